#include "tone/TonePlayback.h"

#include "platform/AppDirectory.h"
#include "platform/CompanionNames.h"
#include "platform/FileSystem.h"
#include "platform/ToneFolder.h"
#include "tone/PlaybackPlan.h"
#include "tone/ToneError.h"
#include "tone/ToneProgress.h"
#include "tone/ToneRequest.h"
#include "tone/WaveWriter.h"

#include <QCoreApplication>
#include <QDir>

using namespace Platform::CompanionNames;

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
    : sound(player), appDir(applicationDirectory), toneDir(Platform::toneFolder(applicationDirectory).path),
      companions(Platform::pathInDirectory(applicationDirectory, ProgramFile))
{
    QObject::connect(&companions, &Platform::CompanionProcesses::endedWhilePlaying, &companions,
                     [this] { onCompanionEnded(); });
}

void TonePlayback::endLeftoversOfEarlierRun()
{
    // Each takes SIGTERM as a close: it stops and deletes its own file.
    companions.endEarlierRun();
    const QString folder = Platform::toneFolder(appDir).path;
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

// A playback that goes while it plays leaves nothing playing behind it; the companions
// it started go with their CompanionProcesses.
TonePlayback::~TonePlayback()
{
    if (state == State::Idle)
        return;
    sound.stop();
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
    return companions.programPath();
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
        // An earlier run's companion still closing would delete the new second tone file.
        companions.finishEndingEarlierRun();
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
        playing = plan;
        companionRestarted.invalidate();

        // The two tones of moving mode share the sound card's range; the companion plays
        // its tone at the same level.
        sound.play(firstTonePath(), request.moving ? Platform::LoopedSound::Headroom::ForTwoTones
                                                   : Platform::LoopedSound::Headroom::ForOneTone);
        if (request.moving && !companions.start()) {
            throw ToneError(ToneError::Kind::PlayerNotStarted,
                tr("The second-tone player \"%1\" could not be started, so moving mode cannot play "
                   "its second tone.\n\nRe-install Tinevox, or switch to stationary mode.")
                    .arg(QDir::toNativeSeparators(companionPath())));
        }
        return Outcome::Playing;
    } catch (const WriteAbandoned&) {
        backToIdle();
        return Outcome::Abandoned;
    } catch (...) {
        backToIdle();
        throw;
    }
}

// Started once more; a second end within this time gives up.
constexpr qint64 CompanionRetryWindowMs = 5000;

void TonePlayback::onCompanionEnded()
{
    if (state != State::Playing || !playing || !playing->second)
        return;
    const bool again = companionRestarted.isValid() && companionRestarted.elapsed() < CompanionRetryWindowMs;
    companionRestarted.start();
    if (!again) {
        try {
            // A companion that closed deleted its file on the way.
            if (!Platform::pathExists(secondTonePath()))
                WaveWriter::writeToneFile(*playing->second, secondTonePath());
            if (companions.start())
                return;
        } catch (const ToneError&) {
        }
    }
    backToIdle();
    companions.closeAll(false);
    if (endedByItself)
        endedByItself(tr("The second-tone player \"%1\" ended while the tones played, and again when it was "
                         "started once more, so both tones have been stopped.\n\nRe-install Tinevox, or "
                         "switch to stationary mode.")
                          .arg(QDir::toNativeSeparators(companionPath())));
}

void TonePlayback::backToIdle()
{
    state = State::Idle;
    playing.reset();
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
    playing.reset();
    abandonWrite();
    sound.stop();
    deleteToneFiles();
    companions.closeAll(movingMode);
}

void TonePlayback::unload(bool movingMode)
{
    abandonWrite();
    sound.stop();
    companions.closeAllAtProgramEnd(movingMode);
    deleteToneFiles();
}

void TonePlayback::unloadWithoutDisplay()
{
    abandonWrite();
    sound.stop();
    companions.closeAllWithoutDisplay();
    deleteToneFiles();
    sound.end();
}
