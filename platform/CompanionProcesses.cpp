#include "platform/CompanionProcesses.h"

#include "platform/CompanionNames.h"
#include "platform/HiddenStarts.h"
#include "platform/ProgramLauncher.h"
#include "platform/TiedProgram.h"
#include "platform/WindowCaption.h"

#include <algorithm>

namespace Platform {

namespace {
// How long a companion asked to close may take to show its window (a loaded machine
// starts it slowly), and then how long it may take to end.
constexpr qint64 WindowGraceMs = 3000;
constexpr qint64 EndGraceMs = 5000;
// How long an earlier run's companion may take over SIGTERM.
constexpr qint64 EarlierRunGraceMs = 2000;
constexpr int FollowUpMs = 50;
} // namespace

CompanionProcesses::CompanionProcesses(const QString& programPath, QObject* parent)
    : QObject(parent), path(programPath)
{
    followUps.setInterval(FollowUpMs);
    connect(&followUps, &QTimer::timeout, this, &CompanionProcesses::followUp);
}

CompanionProcesses::~CompanionProcesses()
{
    for (const Started& companion : started) {
        if (companion.stage == Started::Stage::Playing || companion.stage == Started::Stage::Closing)
            terminateProcess(companion.pid);
    }
    finishEndingEarlierRun();
}

bool CompanionProcesses::start()
{
    qint64 pid = 0;
    if (!startTiedProgram(path, ShowState::Hidden, &pid))
        return false;
    started.push_back({pid, Started::Stage::Playing, {}});
    followUp();
    return true;
}

void CompanionProcesses::enter(Started& companion, Started::Stage stage)
{
    companion.stage = stage;
    companion.inStage.start();
}

CompanionProcesses::Started* CompanionProcesses::find(qint64 pid)
{
    const auto it = std::find_if(started.begin(), started.end(), [pid](const Started& c) { return c.pid == pid; });
    return it == started.end() ? nullptr : &*it;
}

void CompanionProcesses::closeByCaption()
{
    qint64 owner = 0;
    if (!postCloseByCaption(CompanionNames::Caption, &owner))
        return;
    // When the window was one of ours, that one has its close now.
    Started* companion = find(owner);
    if (companion && companion->stage < Started::Stage::Ending)
        enter(*companion, Started::Stage::Ending);
}

void CompanionProcesses::closeAll(bool byCaption)
{
    if (byCaption && !displayGone)
        closeByCaption();
    for (Started& companion : started) {
        if (companion.stage == Started::Stage::Playing)
            enter(companion, Started::Stage::Closing);
    }
    // One with a window has its close request before this returns.
    followUp();
}

void CompanionProcesses::closeAllAtProgramEnd(bool byCaption)
{
    if (byCaption && !displayGone)
        closeByCaption();
    std::erase_if(started, [this](Started& companion) {
        if (reapChild(companion.pid))
            return true;
        if (companion.stage >= Started::Stage::Ending)
            return false;
        if (displayGone || !postCloseToHiddenWindowOf(CompanionNames::Caption, companion.pid))
            terminateProcess(companion.pid);
        enter(companion, Started::Stage::Ending);
        return false;
    });
    finishEndingEarlierRun();
    // Should the event loop still run, the rest is collected as usual.
    if (!displayGone)
        followUp();
}

void CompanionProcesses::closeAllWithoutDisplay()
{
    displayGone = true;
    closeAllAtProgramEnd(false);
}

void CompanionProcesses::endEarlierRun()
{
    const std::vector<qint64> signalled = terminateHiddenStartsOf(path);
    earlierRun.insert(earlierRun.end(), signalled.begin(), signalled.end());
    sinceEarlierRunEnded.start();
    followUp();
}

void CompanionProcesses::finishEndingEarlierRun()
{
    for (qint64 pid : earlierRun) {
        if (isHiddenStartOf(pid, path))
            killProcess(pid);
    }
    earlierRun.clear();
}

void CompanionProcesses::followUp()
{
    using Stage = Started::Stage;
    bool endedWhilePlaying = false;
    std::erase_if(started, [&](Started& companion) {
        if (reapChild(companion.pid)) {
            endedWhilePlaying = endedWhilePlaying || companion.stage == Stage::Playing;
            return true;
        }
        // The one of a playback that runs now plays on.
        if (companion.stage == Stage::Playing)
            return false;
        if (companion.stage == Stage::Closing) {
            if (!displayGone && postCloseToHiddenWindowOf(CompanionNames::Caption, companion.pid)) {
                enter(companion, Stage::Ending);
            } else if (displayGone || companion.inStage.elapsed() > WindowGraceMs || !captionsReachable()) {
                // No window will come where no X display answers: its process is closed now.
                terminateProcess(companion.pid);
                enter(companion, Stage::Ending);
            }
        } else if (companion.stage == Stage::Ending && companion.inStage.elapsed() > EndGraceMs) {
            killProcess(companion.pid);
            enter(companion, Stage::Killed);
        }
        return false;
    });

    // The earlier run's are no children of this process: gone is all that can be seen,
    // and their identifiers may go to other programs then.
    std::erase_if(earlierRun, [this](qint64 pid) { return !isHiddenStartOf(pid, path); });
    if (!earlierRun.empty() && sinceEarlierRunEnded.elapsed() > EarlierRunGraceMs)
        finishEndingEarlierRun();

    if (earlierRun.empty() && started.empty())
        followUps.stop();
    else if (!followUps.isActive())
        followUps.start();
    if (endedWhilePlaying)
        emit this->endedWhilePlaying();
}

} // namespace Platform
