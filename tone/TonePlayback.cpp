#include "tone/TonePlayback.h"

#include "platform/CompanionNames.h"
#include "platform/ToneFolder.h"
#include "tone/PlaybackPlan.h"
#include "tone/ToneError.h"
#include "tone/ToneRequest.h"
#include "tone/WaveWriter.h"

#include <QDir>
#include <QFileInfo>

using namespace Platform::CompanionNames;

TonePlayback::TonePlayback(Platform::LoopedSound& player, const QString& applicationDirectory)
    : sound(player), appDir(applicationDirectory), toneDir(Platform::toneFolder(applicationDirectory).path),
      companions(applicationDirectory + QLatin1Char('/') + ProgramFile)
{
    connect(&companions, &Platform::CompanionProcesses::endedWhilePlaying, this, &TonePlayback::onCompanionEnded);
    connect(&fileWriter, &ToneFileWriter::written, this, &TonePlayback::onFilesWritten);
    connect(&fileWriter, &ToneFileWriter::failed, this, &TonePlayback::fail);
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
        QFile::remove(tones.filePath(name));
        const QStringList unfinished {QLatin1Char('.') + name + QStringLiteral(".????????")};
        for (const QString& partial : tones.entryList(unfinished, QDir::Files | QDir::Hidden | QDir::System))
            QFile::remove(tones.filePath(partial));
    }
}

// A playback that goes while it plays leaves nothing playing behind it; the companions
// it started go with their CompanionProcesses.
TonePlayback::~TonePlayback()
{
    if (state == State::Idle)
        return;
    // Before the files are deleted: those the writer names after that, it deletes itself.
    fileWriter.abandon();
    sound.stop();
    deleteToneFiles();
}

QString TonePlayback::firstTonePath() const
{
    return toneDir.isEmpty() ? QString() : toneDir + QLatin1Char('/') + FirstToneFile;
}

QString TonePlayback::secondTonePath() const
{
    return toneDir.isEmpty() ? QString() : toneDir + QLatin1Char('/') + SecondToneFile;
}

QString TonePlayback::companionPath() const
{
    return companions.programPath();
}

void TonePlayback::deleteToneFiles()
{
    if (toneDir.isEmpty())
        return;
    QFile::remove(firstTonePath());
    QFile::remove(secondTonePath());
}

void TonePlayback::playTone(const ToneRequest& request)
{
    if (state != State::Idle)
        return;
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

        std::vector<ToneFileWriter::File> files {{plan.first, firstTonePath()}};
        if (plan.second)
            files.push_back({*plan.second, secondTonePath()});
        state = State::Writing;
        playing = plan;
        fileWriter.write(std::move(files));
    } catch (const ToneError& error) {
        fail(error);
    }
}

void TonePlayback::onFilesWritten()
{
    state = State::Playing;
    companionRestarted.invalidate();
    // The two tones of moving mode share the sound card's range; the companion plays
    // its tone at the same level.
    const bool moving = playing->second.has_value();
    sound.play(firstTonePath(), moving ? Platform::LoopedSound::Headroom::ForTwoTones
                                       : Platform::LoopedSound::Headroom::ForOneTone);
    if (moving && !companions.start()) {
        fail(ToneError(ToneError::Kind::PlayerNotStarted,
            tr("The second-tone player \"%1\" could not be started, so moving mode cannot play "
               "its second tone.\n\nRe-install Tinevox, or switch to stationary mode.")
                .arg(QDir::toNativeSeparators(companionPath()))));
    }
}

void TonePlayback::fail(const ToneError& error)
{
    backToIdle();
    emit failed(error);
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
            if (!QFileInfo::exists(secondTonePath()))
                WaveWriter::writeToneFile(*playing->second, secondTonePath());
            if (companions.start())
                return;
        } catch (const ToneError&) {
        }
    }
    backToIdle();
    companions.closeAll(false);
    emit endedByItself(tr("The second-tone player \"%1\" ended while the tones played, and again when it was "
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

void TonePlayback::stop(bool movingMode)
{
    fileWriter.abandon();
    backToIdle();
    companions.closeAll(movingMode);
}

void TonePlayback::unload(bool movingMode, bool displayLost)
{
    fileWriter.abandon();
    if (isWriting())
        state = State::Idle;
    sound.stop();
    if (displayLost)
        companions.closeAllWithoutDisplay();
    else
        companions.closeAllAtProgramEnd(movingMode);
    deleteToneFiles();
    if (displayLost)
        sound.end();
}
