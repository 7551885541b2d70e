#include "tone/TonePlayback.h"

#include "platform/AppDirectory.h"
#include "platform/FileSystem.h"
#include "platform/ProgramLauncher.h"
#include "platform/ToneFolder.h"
#include "platform/WindowCaption.h"
#include "tone/PlaybackPlan.h"
#include "tone/ToneError.h"
#include "tone/ToneProgress.h"
#include "tone/ToneRequest.h"
#include "tone/WaveWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("TonePlayback", text);
}

} // namespace

// The caller's progress and this playback's own end as one: a cancel there, or a stop
// or close while the caller's progress let the event loop run, abandons the file.
class TonePlayback::WriteFollower final : public ToneProgress {
public:
    WriteFollower(const TonePlayback& playback, ToneProgress* shown) : playback(playback), shown(shown) {}

    void progress(double fraction) override
    {
        if (shown)
            shown->progress(fraction);
    }
    bool cancelRequested() override
    {
        // The caller's answer first: that is where a stop or a close can arrive.
        const bool cancelled = shown && shown->cancelRequested();
        return cancelled || playback.state != State::Writing;
    }
    void finished() override
    {
        if (shown)
            shown->finished();
    }

private:
    const TonePlayback& playback;
    ToneProgress* const shown;
};

TonePlayback::TonePlayback(Platform::LoopedSound& player, const QString& applicationDirectory)
    : sound(player), appDir(applicationDirectory), toneDir(Platform::toneFolder(applicationDirectory).path)
{
}

void TonePlayback::endLeftoversOfEarlierRun(const QString& applicationDirectory)
{
    // Each takes its close as a close: it stops and deletes its own file.
    Platform::endHiddenStartsOf(Platform::pathInDirectory(applicationDirectory, CompanionFile), 2000);
    const QString folder = Platform::toneFolder(applicationDirectory).path;
    if (folder.isEmpty())
        return;
    // Also the unfinished files of a write that was cut off (".temp.wav.XXXXXXXX").
    const QDir tones(folder);
    for (const QString& name : {FirstToneFile, SecondToneFile}) {
        Platform::deleteFileIgnoringErrors(tones.filePath(name));
        const QStringList unfinished {QLatin1Char('.') + name + QStringLiteral(".????????")};
        for (const QString& partial : tones.entryList(unfinished, QDir::Files | QDir::Hidden | QDir::System))
            Platform::deleteFileIgnoringErrors(tones.filePath(partial));
    }
}

// A playback that goes while it plays leaves nothing playing behind it: the companions
// it started are known by their process.
TonePlayback::~TonePlayback()
{
    if (state == State::Idle && companions.empty())
        return;
    sound.stop();
    closeStartedCompanions(true);
    deleteToneFiles();
}

QString TonePlayback::firstTonePath() const
{
    return toneDir.isEmpty() ? QString() : Platform::pathInDirectory(toneDir, FirstToneFile);
}

QString TonePlayback::secondTonePath() const
{
    return toneDir.isEmpty() ? QString() : Platform::pathInDirectory(toneDir, SecondToneFile);
}

QString TonePlayback::companionPath() const
{
    return Platform::pathInDirectory(appDir, CompanionFile);
}

void TonePlayback::deleteToneFiles()
{
    Platform::deleteFileIgnoringErrors(firstTonePath());
    Platform::deleteFileIgnoringErrors(secondTonePath());
}

TonePlayback::Outcome TonePlayback::playTone(const ToneRequest& request, ToneProgress* progress)
{
    if (state != State::Idle)
        return Outcome::Absorbed;
    state = State::Writing;

    try {
        deleteToneFiles();
        // Every tone of this playback is checked before any file is written, so a tone
        // that cannot be made leaves nothing behind.
        const PlaybackPlan plan = PlaybackPlan::of(request, sound.highestReproducibleFrequency());

        // The folder is looked at again for every tone: a runtime folder may have been
        // cleared since the last one.
        const Platform::ToneFolder folder = Platform::toneFolder(appDir);
        toneDir = folder.path;
        if (toneDir.isEmpty())
            throw ToneError(ToneError::Kind::FileNotWritten, folder.problem);

        WriteFollower follower(*this, progress);
        WaveWriter::writeToneFile(plan.first, firstTonePath(), &follower);
        if (plan.second)
            WaveWriter::writeToneFile(*plan.second, secondTonePath(), &follower);
        if (state != State::Writing)
            throw WriteAbandoned();
        state = State::Playing;

        // The two tones of moving mode share the sound card's range; the companion plays
        // its tone at the same level.
        sound.play(firstTonePath(), request.moving ? Platform::LoopedSound::Headroom::ForTwoTones
                                                   : Platform::LoopedSound::Headroom::ForOneTone);
        qint64 companionPid = 0;
        if (request.moving && !Platform::startTiedProgram(companionPath(), Platform::ShowState::Hidden, &companionPid)) {
            throw ToneError(ToneError::Kind::PlayerNotStarted,
                tr("The second-tone player \"%1\" could not be started, so moving mode cannot play "
                   "its second tone.\n\nRe-install Tinevox, or switch to stationary mode.")
                    .arg(QDir::toNativeSeparators(companionPath())));
        }
        if (companionPid > 0)
            companions.push_back({companionPid, {}});
        return Outcome::Playing;
    } catch (const WriteAbandoned&) {
        backToIdle();
        return Outcome::Abandoned;
    } catch (...) {
        backToIdle();
        throw;
    }
}

void TonePlayback::backToIdle()
{
    state = State::Idle;
    sound.stop();
    deleteToneFiles();
}

void TonePlayback::abandonWrite()
{
    if (state == State::Writing)
        state = State::Abandoning;
}

void TonePlayback::stop(bool movingMode)
{
    if (state == State::Playing)
        state = State::Idle;
    abandonWrite();
    sound.stop();
    deleteToneFiles();
    if (movingMode)
        Platform::postCloseByCaption(CompanionCaption);
    closeStartedCompanions(false);
}

void TonePlayback::unload(bool movingMode)
{
    abandonWrite();
    sound.stop();
    if (movingMode && !displayGone)
        Platform::postCloseByCaption(CompanionCaption);
    closeStartedCompanions(true);
    deleteToneFiles();
}

void TonePlayback::unloadWithoutDisplay()
{
    displayGone = true;
    unload(false);
    sound.end();
}

namespace {
// How long a companion may take to show its window before it is ended outright.
constexpr qint64 CompanionGraceMs = 3000;
constexpr int FollowUpMs = 50;
} // namespace

void TonePlayback::closeStartedCompanions(bool programEnds)
{
    for (StartedCompanion& c : companions) {
        if (!c.sinceClose.isValid())
            c.sinceClose.start();
    }
    followCompanions();
    if (!programEnds)
        return; // followCompanions() goes on from its timer while any are left
    // The program is ending: no timer will run, so follow them here, briefly.
    QElapsedTimer waited;
    waited.start();
    while (!companions.empty() && waited.elapsed() < 1000) { // all are closing now
        QThread::msleep(FollowUpMs);
        followCompanions();
    }
    for (const StartedCompanion& c : companions)
        Platform::terminateProcess(c.pid);
    companions.clear();
}

void TonePlayback::followCompanions()
{
    // Those told to close are children of this process: collect each once it has ended.
    std::erase_if(endingCompanions, [](qint64 pid) { return Platform::reapChild(pid); });
    // Only those asked to close: the companion of a playback that runs now plays on.
    std::erase_if(companions, [this](const StartedCompanion& c) {
        if (!c.sinceClose.isValid())
            return false;
        // Without a display a companion takes SIGTERM as its close. This program ends
        // now and collects nothing: what it leaves, the system collects.
        if (displayGone) {
            Platform::terminateProcess(c.pid);
            return true;
        }
        if (!Platform::processRuns(c.pid)) {
            Platform::reapChild(c.pid);
            return true;
        }
        if (Platform::postCloseByCaptionOfProcess(CompanionCaption, c.pid)) {
            endingCompanions.push_back(c.pid); // its own window has the request now
            return true;
        }
        if (c.sinceClose.elapsed() > CompanionGraceMs) {
            Platform::terminateProcess(c.pid);
            endingCompanions.push_back(c.pid);
            return true;
        }
        return false;
    });
    const bool closing = !endingCompanions.empty()
        || std::any_of(companions.begin(), companions.end(),
                       [](const StartedCompanion& c) { return c.sinceClose.isValid(); });
    if (closing && !followUpPending) {
        followUpPending = true;
        QTimer::singleShot(FollowUpMs, &followUps, [this] {
            followUpPending = false;
            followCompanions();
        });
    }
}
