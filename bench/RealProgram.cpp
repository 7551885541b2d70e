#include "bench/RealProgram.h"

#include "bench/Measure.h"
#include "bench/Processes.h"
#include "bench/WindowWatch.h"

#include <QFile>

namespace Bench {

AppCopy::AppCopy(const QString& builtAppDir)
{
    if (!dir.isValid())
        throw Failure(QStringLiteral("cannot make a scratch application directory"));
    for (const QString& name : {QStringLiteral("tinevox"), QStringLiteral("echolet.dll"), QStringLiteral("readme.txt")}) {
        if (!QFile::copy(builtAppDir + QLatin1Char('/') + name, dir.filePath(name)))
            throw Failure(QStringLiteral("cannot copy %1 from %2").arg(name, builtAppDir));
    }
}

RealProgram::RealProgram(const AppCopy& appCopy, const QByteArray& settings) : app(appCopy)
{
    if (!config.isValid() || !runtime.isValid())
        throw Failure(QStringLiteral("cannot make scratch settings and runtime folders"));
    if (!settings.isEmpty()) {
        QFile file(config.filePath(QStringLiteral("Tinecheck.conf")));
        if (!file.open(QIODevice::WriteOnly) || file.write(settings) != settings.size())
            throw Failure(QStringLiteral("cannot write the settings of the program under test"));
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("TINEVOX_SHOW_STATE"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path()); // its own instance lock
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(app.path());
    process.setProgram(app.tinevox());
}

RealProgram::~RealProgram()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(3000);
    }
    for (qint64 pid : processesRunning(app.companion()))
        endProcess(pid);
}

void RealProgram::start()
{
    process.start();
    if (!process.waitForStarted(5000))
        throw Failure(QStringLiteral("%1 does not start: %2").arg(app.tinevox(), process.errorString()));
}

QString RealProgram::output()
{
    return QString::fromLocal8Bit(process.readAllStandardError() + process.readAllStandardOutput()).trimmed();
}

bool RealProgram::close(WindowWatch& watch, unsigned long window, int timeoutMs)
{
    if (process.state() == QProcess::NotRunning)
        return true;
    watch.askToClose(window);
    if (process.waitForFinished(timeoutMs))
        return true;
    process.kill();
    process.waitForFinished(3000);
    return false;
}

} // namespace Bench
