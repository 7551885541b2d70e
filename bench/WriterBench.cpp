// The largest tone file, written three ways: by the program's writer, as one plain write
// of the very same bytes (what the disk and the kernel cost at the least), and by sox
// (what an everyday tool takes to make an 8-bit mono WAV of that length and rate).

#include "bench/Benches.h"
#include "bench/Measure.h"
#include "bench/Tones.h"
#include "mainwindow/ToneProgressDialog.h"
#include "platform/CompanionNames.h"
#include "tone/ToneFileWriter.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace Bench {

namespace {

constexpr int WriterRuns = 30;
constexpr int SoxRuns = 10;

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("cannot read back %1").arg(path));
    return file.readAll();
}

// As GO has it written: on the writer's thread, followed by the one progress dialog that
// the window keeps from tone to tone, until the window hears that the file is complete.
double timeToneWriter(const WaveWriter::TonePlan& plan, const QString& path, ToneFileWriter& writer)
{
    QFile::remove(path);
    QEventLoop loop;
    QString error;
    QObject::connect(&writer, &ToneFileWriter::written, &loop, &QEventLoop::quit);
    QObject::connect(&writer, &ToneFileWriter::failed, &loop, [&](const ToneError& e) {
        error = e.message();
        loop.quit();
    });
    QElapsedTimer t;
    t.start();
    writer.write({{plan, path}});
    loop.exec();
    if (!error.isEmpty())
        throw Failure(QStringLiteral("the writer failed: %1").arg(error));
    return elapsedMs(t);
}

double timePlainWrite(const QByteArray& bytes, const QString& path)
{
    QFile::remove(path);
    QElapsedTimer t;
    t.start();
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush())
        throw Failure(QStringLiteral("the plain write of %1 failed").arg(path));
    out.close();
    return elapsedMs(t);
}

double timeSox(const WaveWriter::TonePlan& plan, const QString& path)
{
    QFile::remove(path);
    // The rate goes before "-n", on the generated input: after it, it would be the output's,
    // and sox would synthesise at 48 kHz and resample (a file 42 times as long).
    const QStringList args {QStringLiteral("-r"), QString::number(plan.sampleRate), QStringLiteral("-n"),
                            QStringLiteral("-D"), QStringLiteral("-b"), QStringLiteral("8"), QStringLiteral("-c"), QStringLiteral("1"),
                            QStringLiteral("-e"), QStringLiteral("unsigned-integer"), path, QStringLiteral("synth"),
                            QStringLiteral("%1s").arg(plan.dataSize), QStringLiteral("sine"),
                            QString::number(plan.frequency, 'f', 0)};
    QProcess sox;
    QElapsedTimer t;
    t.start();
    sox.start(QStringLiteral("sox"), args);
    if (!sox.waitForFinished(30000) || sox.exitStatus() != QProcess::NormalExit || sox.exitCode() != 0)
        throw Failure(QStringLiteral("sox did not make the file: %1%2")
                          .arg(sox.errorString(), QString::fromLocal8Bit(sox.readAllStandardError())));
    return elapsedMs(t);
}

} // namespace

void benchWriter(Table& table)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        throw Failure(QStringLiteral("cannot make a scratch folder"));
    const QString path = dir.filePath(Platform::CompanionNames::FirstToneFile);
    const QString plainPath = dir.filePath(QStringLiteral("plain.wav"));
    const QString soxPath = dir.filePath(QStringLiteral("sox.wav"));

    const WaveWriter::TonePlan plan = planFor(LargestTone);
    if (plan.frequency != 20060 || plan.sampleRate != 2006000 || plan.dataSize + 44 != 1003044)
        throw Failure(QStringLiteral("the largest tone is not what it should be: %1, %2 bytes")
                          .arg(describe(plan)).arg(plan.dataSize + 44));

    ToneFileWriter writer;
    ToneProgressDialog dialog;
    QObject::connect(&writer, &ToneFileWriter::progressed, &dialog, &ToneProgressDialog::showProgress);
    QObject::connect(&writer, &ToneFileWriter::fileFinished, &dialog, &ToneProgressDialog::finishFile);
    // The first run pays for loading fonts and styles and for making the dialog's window.
    timeToneWriter(plan, path, writer);
    const QByteArray bytes = readFile(path);
    if (bytes.size() != plan.dataSize + 44)
        throw Failure(QStringLiteral("the writer wrote %1 bytes, not %2").arg(bytes.size()).arg(plan.dataSize + 44));

    std::vector<double> written, plain, sox;
    for (int i = 0; i < WriterRuns; ++i) {
        written.push_back(timeToneWriter(plan, path, writer));
        plain.push_back(timePlainWrite(bytes, plainPath));
    }
    if (readFile(path) != bytes)
        throw Failure(QStringLiteral("the writer wrote different bytes from one run to the next"));
    for (int i = 0; i < SoxRuns; ++i)
        sox.push_back(timeSox(plan, soxPath));
    const qint64 soxBytes = QFileInfo(soxPath).size();

    const Spread w = spreadOf(written);
    const Spread p = spreadOf(plain);
    const Spread s = spreadOf(sox);
    const double ratio = w.median / p.median;
    const QString file = QStringLiteral("%1 bytes, %2").arg(grouped(bytes.size()), describe(plan));
    table.add(QStringLiteral("tone writer, largest tone file (%1), median of %2").arg(file).arg(WriterRuns),
              msWithSpread(w), QStringLiteral("< 10 ms"), w.median < 10.0);
    table.add(QStringLiteral("plain write of the same bytes, median of %1").arg(WriterRuns), msWithSpread(p, 3));
    table.add(QStringLiteral("tone writer / plain write"), QStringLiteral("%1 x").arg(ratio, 0, 'f', 1),
              QStringLiteral("< 3 x"), ratio < 3.0);
    table.add(QStringLiteral("sox making an 8-bit mono WAV of that length and rate (%1 bytes), a process, median of %2")
                  .arg(grouped(soxBytes))
                  .arg(SoxRuns),
              msWithSpread(s, 1));
}

} // namespace Bench
