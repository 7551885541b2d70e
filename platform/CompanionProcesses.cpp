#include "platform/CompanionProcesses.h"

#include "platform/CompanionNames.h"
#include "platform/ProgramLauncher.h"
#include "platform/WindowCaption.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <csignal>

#include <linux/close_range.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace Platform {

namespace {
// How long a companion asked to close may take to show its window (a loaded machine
// starts it slowly), and then how long it may take to end.
constexpr qint64 WindowGraceMs = 3000;
constexpr qint64 EndGraceMs = 5000;
constexpr int EarlierRunGraceMs = 2000;
// How often a closing companion's window is looked for.
constexpr int FollowUpMs = 50;
} // namespace

class CompanionProcesses::Companion : public QProcess {
public:
    using QProcess::QProcess;
    // Left to end by itself, not killed and waited for as a running QProcess would be:
    // it has its close, or at the latest the tie's signal once this process has ended.
    ~Companion() override { setProcessState(NotRunning); }

    QElapsedTimer asked;  // since it was asked to close
    QElapsedTimer closed; // since its window has the close request, or it was sent SIGTERM
};

CompanionProcesses::CompanionProcesses(const QString& programPath, QObject* parent)
    : QObject(parent), path(programPath)
{
    graces.setInterval(FollowUpMs);
    connect(&graces, &QTimer::timeout, this, [this] { followUp(); });
}

CompanionProcesses::~CompanionProcesses()
{
    for (Companion* companion : started) {
        if (!companion->closed.isValid())
            companion->terminate();
    }
    finishEndingEarlierRun();
}

bool CompanionProcesses::start()
{
    auto* companion = new Companion(this);
    prepareStart(*companion, path, ShowState::Hidden);
    const pid_t parent = ::getpid();
    // In the child, between fork and exec: async-signal-safe calls only.
    companion->setChildProcessModifier([parent] {
        // A signal when this process ends; if it ended before this line, end now.
        ::prctl(PR_SET_PDEATHSIG, ParentEndedSignal);
        if (::getppid() != parent)
            ::_exit(127);
        // Nothing of this process's own (sockets, files) reaches the program.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    });
    connect(companion, &QProcess::finished, this, [this, companion] {
        std::erase(started, companion);
        companion->deleteLater();
        if (!companion->asked.isValid())
            emit endedWhilePlaying();
    });
    companion->start();
    if (!companion->waitForStarted()) {
        delete companion;
        return false;
    }
    started.push_back(companion);
    return true;
}

void CompanionProcesses::close(bool byCaption, bool atProgramEnd)
{
    qint64 owner = 0;
    if (byCaption && !displayGone)
        postCloseByCaption(CompanionNames::Caption, &owner);
    for (Companion* companion : started) {
        // When the window was one of ours, that one has its close now.
        if (!companion->closed.isValid() && companion->processId() == owner)
            companion->closed.start();
        if (!companion->asked.isValid())
            companion->asked.start();
    }
    // One with a window has its close request before this returns.
    followUp(atProgramEnd);
    if (atProgramEnd)
        finishEndingEarlierRun();
}

void CompanionProcesses::followUp(bool withoutGrace)
{
    bool pending = false;
    for (Companion* companion : started) {
        if (!companion->asked.isValid())
            continue;
        pending = true;
        if (companion->closed.isValid()) {
            if (companion->closed.elapsed() > EndGraceMs)
                companion->kill();
        } else if (!displayGone && postCloseToHiddenWindowOf(CompanionNames::Caption, companion->processId())) {
            companion->closed.start();
        } else if (withoutGrace || displayGone || companion->asked.elapsed() > WindowGraceMs || !captionsReachable()) {
            // No window will come where no X display answers: its process is closed now.
            companion->terminate();
            companion->closed.start();
        }
    }
    if (pending)
        graces.start();
    else
        graces.stop();
}

void CompanionProcesses::endEarlierRun()
{
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (const qint64 pid = name.toLongLong(); pid > 0 && isHiddenStart(pid)) {
            ::kill(static_cast<pid_t>(pid), SIGTERM);
            earlierRun.push_back(pid);
        }
    }
    QTimer::singleShot(EarlierRunGraceMs, this, &CompanionProcesses::finishEndingEarlierRun);
}

// Their identifiers may have gone to other programs since: only a hidden start is killed.
void CompanionProcesses::finishEndingEarlierRun()
{
    for (qint64 pid : earlierRun) {
        if (isHiddenStart(pid))
            ::kill(static_cast<pid_t>(pid), SIGKILL);
    }
    earlierRun.clear();
}

// A process of this user that runs this program (a replaced file keeps its old name) and
// was started hidden: the environment it started with says so, whatever it has changed
// since. One that has ended names no program any more.
bool CompanionProcesses::isHiddenStart(qint64 pid) const
{
    const QString entry = QStringLiteral("/proc/%1").arg(pid);
    QString program = QFile::symLinkTarget(entry + QStringLiteral("/exe"));
    if (program.endsWith(QLatin1String(" (deleted)")))
        program.chop(10);
    QFile environment(entry + QStringLiteral("/environ"));
    return QFileInfo(entry).ownerId() == ::getuid() && !program.isEmpty()
        && program == QFileInfo(path).canonicalFilePath() && environment.open(QIODevice::ReadOnly)
        && environment.readAll().split('\0').contains(QByteArray(ShowStateVariable) + "=0");
}

} // namespace Platform
