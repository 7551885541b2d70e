#include "platform/CompanionProcesses.h"

#include "platform/CompanionNames.h"
#include "platform/ProgramLauncher.h"
#include "platform/WindowCaption.h"

#include <QDir>
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
// How long an earlier run's companion may take over SIGTERM.
constexpr qint64 EarlierRunGraceMs = 2000;
// How often a companion's window is looked for while the graces run.
constexpr int FollowUpMs = 50;
} // namespace

class CompanionProcesses::Companion : public QProcess {
public:
    using QProcess::QProcess;
    // Left to end by itself, not killed and waited for as a running QProcess would be:
    // it has its close, or at the latest the tie's signal once this process has ended.
    ~Companion() override { setProcessState(NotRunning); }

    void enter(Stage next)
    {
        stage = next;
        inStage.start();
    }

    Stage stage = Stage::Playing;
    QElapsedTimer inStage;
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
        if (companion->stage < Stage::Ending)
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
    connect(companion, &QProcess::finished, this, [this, companion] { ended(companion); });
    companion->start();
    if (!companion->waitForStarted()) {
        delete companion;
        return false;
    }
    started.push_back(companion);
    return true;
}

void CompanionProcesses::ended(Companion* companion)
{
    const bool whilePlaying = companion->stage == Stage::Playing;
    std::erase(started, companion);
    companion->deleteLater();
    followUp();
    if (whilePlaying)
        emit endedWhilePlaying();
}

void CompanionProcesses::closeAll(bool byCaption)
{
    close(byCaption, false);
}

void CompanionProcesses::closeAllAtProgramEnd(bool byCaption)
{
    close(byCaption, true);
    finishEndingEarlierRun();
}

void CompanionProcesses::closeAllWithoutDisplay()
{
    displayGone = true;
    closeAllAtProgramEnd(false);
}

void CompanionProcesses::close(bool byCaption, bool withoutGrace)
{
    qint64 owner = 0;
    if (byCaption && !displayGone && postCloseByCaption(CompanionNames::Caption, &owner)) {
        // When the window was one of ours, that one has its close now.
        for (Companion* companion : started) {
            if (companion->processId() == owner && companion->stage < Stage::Ending)
                companion->enter(Stage::Ending);
        }
    }
    for (Companion* companion : started) {
        if (companion->stage == Stage::Playing)
            companion->enter(Stage::Closing);
    }
    // One with a window has its close request before this returns.
    followUp(withoutGrace);
}

void CompanionProcesses::followUp(bool withoutGrace)
{
    bool pending = false;
    for (Companion* companion : started) {
        if (companion->stage == Stage::Closing) {
            if (!displayGone && postCloseToHiddenWindowOf(CompanionNames::Caption, companion->processId())) {
                companion->enter(Stage::Ending);
            } else if (withoutGrace || displayGone || companion->inStage.elapsed() > WindowGraceMs
                       || !captionsReachable()) {
                // No window will come where no X display answers: its process is closed now.
                companion->terminate();
                companion->enter(Stage::Ending);
            }
        } else if (companion->stage == Stage::Ending && companion->inStage.elapsed() > EndGraceMs) {
            companion->kill();
            companion->enter(Stage::Killed);
        }
        pending = pending || companion->stage == Stage::Closing || companion->stage == Stage::Ending;
    }

    // The earlier run's are no children of this process: gone is all that can be seen,
    // and their identifiers may go to other programs then.
    std::erase_if(earlierRun, [this](qint64 pid) { return !isHiddenStart(pid); });
    if (!earlierRun.empty() && sinceEarlierRunEnded.elapsed() > EarlierRunGraceMs)
        finishEndingEarlierRun();

    if (!pending && earlierRun.empty())
        graces.stop();
    else if (!graces.isActive())
        graces.start();
}

void CompanionProcesses::endEarlierRun()
{
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const qint64 pid = name.toLongLong();
        if (pid > 0 && isHiddenStart(pid)) {
            ::kill(static_cast<pid_t>(pid), SIGTERM);
            earlierRun.push_back(pid);
        }
    }
    sinceEarlierRunEnded.start();
    followUp();
}

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
    const QString deleted = QStringLiteral(" (deleted)");
    if (program.endsWith(deleted))
        program.chop(deleted.size());
    QFile environment(entry + QStringLiteral("/environ"));
    return QFileInfo(entry).ownerId() == ::getuid() && !program.isEmpty()
        && program == QFileInfo(path).canonicalFilePath() && environment.open(QIODevice::ReadOnly)
        && environment.readAll().split('\0').contains(QByteArray(ShowStateVariable) + "=0");
}

} // namespace Platform
