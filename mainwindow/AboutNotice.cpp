#include "mainwindow/AboutNotice.h"

namespace AboutNotice {

QStringList paragraphs()
{
    return {
        QStringLiteral("Tinevox"),
        QStringLiteral("Copyright (c) 2026 the Tinevox developers. All rights reserved."),
        QStringLiteral("Tinevox makes the test tones with which a traffic radar is checked in place of tuning "
                       "forks. Each tone is computed from the band, the unit and the speed that you choose, "
                       "written to a file beside the program and played in a loop until you stop it. In moving "
                       "mode a second tone plays at the same time. The pitch is exact to the hertz, and the "
                       "readout under each speed names it."),
        QStringLiteral("Disclaimer: Tinevox is provided as it is, without warranty of any kind, express or "
                       "implied, including the warranties of merchantability, of fitness for a particular "
                       "purpose and of accuracy. The tone that reaches the radar depends on your sound card, "
                       "your speaker and your room as much as on this program."),
        QStringLiteral("Terms of use: use Tinevox only to check radar units that you are entitled to test, and "
                       "never to mislead a radar that measures traffic. Keep the volume low enough to protect "
                       "your hearing, and stop the tone when you leave the radar."),
        QStringLiteral("Tinevox does not replace certified tuning forks, nor the calibration and the checks "
                       "that your agency or the maker of the radar requires. Where a result matters in law or "
                       "in safety, confirm it with certified forks and keep the record of each check."),
        QStringLiteral("The authors accept no liability for any loss or damage that comes from using or from "
                       "not being able to use this program. By using Tinevox you accept these terms; if you do "
                       "not accept them, do not use it."),
    };
}

QStringList wrap(const QString& paragraph)
{
    QStringList lines;
    QString line;
    for (const QString& word : paragraph.split(QLatin1Char(' '))) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        // A broken line keeps its blank, which counts towards the 76.
        if (line.isEmpty() || longer.size() + 1 <= MaxLine) {
            line = longer;
        } else {
            lines << line + QLatin1Char(' ');
            line = word;
        }
    }
    lines << line;
    return lines;
}

QString text()
{
    QStringList lines;
    const QStringList all = paragraphs();
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (i > 0)
            lines << QString();
        lines << wrap(all[i]);
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString flowingText()
{
    // Only a broken line ends in a blank.
    return text().replace(QStringLiteral(" \r\n"), QStringLiteral(" "));
}

} // namespace AboutNotice
