#include "tone/TonePlayback.h"

#include "platform/AppDirectory.h"
#include "platform/FileSystem.h"
#include "platform/ProgramLauncher.h"
#include "platform/ToneFolder.h"
#include "platform/WindowCaption.h"
#include "settings/NumberText.h"
#include "settings/SettingsKeys.h"
#include "tone/ToneError.h"
#include "tone/ToneProgressDialog.h"
#include "tone/WaveWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("TonePlayback", text);
}

// A stored text as a message quotes it: a line of a settings file can be megabytes long.
QString quotedText(const QString& text)
{
    constexpr qsizetype Longest = 40;
    return text.size() > Longest ? text.left(Longest) + QChar(0x2026) : text;
}

} // namespace

TonePlayback::TonePlayback(const ToneInputs& toneInputs, const QString& applicationDirectory)
    : inputs(toneInputs), appDir(applicationDirectory), toneDir(Platform::toneFolder(applicationDirectory).path)
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

// A playback that goes while it plays leaves nothing playing behind it. The inputs may
// already be gone (they are often the window that owns this), so they are not asked:
// the companions it started are known by their process.
TonePlayback::~TonePlayback()
{
    if (!playing && companions.empty())
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

TonePlayback::Outcome TonePlayback::playTone()
{
    if (playing || writing)
        return Outcome::Absorbed;
    playing = true;
    writing = true;
    abandonRequested = false;

    try {
        const double constant = Doppler::dopplerConstantFor(inputs.selectedBand());
        deleteToneFiles();

        // Every tone of this playback is checked before any file is written, so a tone
        // that cannot be made leaves nothing behind.
        const QString firstSpeed = inputs.firstSpeedText();
        const double first = Doppler::toneFrequency(constant, firstSpeed);
        const QString accuracy = Settings::read(Settings::Accuracy);
        std::optional<double> second;
        checkTone(true, firstSpeed, first, accuracy);
        const bool moving = inputs.isMovingMode();
        if (moving) {
            const QString secondSpeed = inputs.secondSpeedText();
            second = Doppler::toneFrequency(constant, secondSpeed);
            checkTone(false, secondSpeed, *second, accuracy);
        }

        // The folder is looked at again for every tone: a runtime folder may have been
        // cleared since the last one.
        const Platform::ToneFolder folder = Platform::toneFolder(appDir);
        toneDir = folder.path;
        if (toneDir.isEmpty())
            throw ToneError(ToneError::Kind::FileNotWritten, folder.problem);

        writeTone(first, firstTonePath());
        if (second)
            writeTone(*second, secondTonePath());
        writing = false;

        // The two tones of moving mode share the sound card's range; the companion plays
        // its tone at the same level.
        sound.play(firstTonePath(), moving ? Platform::LoopedSound::Headroom::ForTwoTones
                                           : Platform::LoopedSound::Headroom::ForOneTone);
        qint64 companionPid = 0;
        if (moving && !Platform::startTiedProgram(companionPath(), Platform::ShowState::Hidden, &companionPid)) {
            throw ToneError(ToneError::Kind::PlayerNotStarted,
                tr("The second-tone player \"%1\" could not be started, so moving mode cannot play "
                   "its second tone.\n\nRe-install Tinevox, or switch to stationary mode.")
                    .arg(QDir::toNativeSeparators(companionPath())));
        }
        if (companionPid > 0)
            companions.push_back({companionPid, {}});
        return Outcome::Playing;
    } catch (const WriteAbandoned&) {
        writing = false;
        playing = false;
        sound.stop();
        deleteToneFiles();
        return Outcome::Abandoned;
    } catch (...) {
        writing = false;
        playing = false;
        sound.stop();
        deleteToneFiles();
        throw;
    }
}

void TonePlayback::checkTone(bool first, const QString& speedText, double frequency, const QString& accuracy) const
{
    WaveWriter::TonePlan plan;
    try {
        plan = WaveWriter::planTone(ToneSeconds, frequency, accuracy);
    } catch (const ToneError& e) {
        throw namingTheCause(e, first, speedText, frequency);
    }
    // A file the server cannot reproduce would be written and then not heard.
    if (plan.frequency > sound.highestReproducibleFrequency())
        throw namingTheCause(ToneError(ToneError::Kind::TooHigh, QString()), first, speedText, frequency);
}

void TonePlayback::writeTone(double frequency, const QString& path)
{
    if (abandonRequested)
        throw WriteAbandoned();
    WaveWriter::WriteContext context;
    context.mainWindow = inputs.mainWindow();
    context.abandoned = [this] { return abandonRequested; };
    if (!progress)
        progress = std::make_unique<ToneProgressDialog>();
    context.progress = progress.get();
    WaveWriter::writeToneFile(ToneSeconds, frequency, path, context);
    if (abandonRequested)
        throw WriteAbandoned();
}

void TonePlayback::abandonWrite()
{
    if (writing)
        abandonRequested = true;
}

void TonePlayback::stop()
{
    playing = false;
    abandonWrite();
    sound.stop();
    deleteToneFiles();
    if (inputs.isMovingMode())
        Platform::postCloseByCaption(CompanionCaption);
    closeStartedCompanions(false);
}

void TonePlayback::unload()
{
    abandonWrite();
    sound.stop();
    if (inputs.isMovingMode() && !displayGone)
        Platform::postCloseByCaption(CompanionCaption);
    closeStartedCompanions(true);
    deleteToneFiles();
}

void TonePlayback::unloadWithoutDisplay()
{
    displayGone = true;
    unload();
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

ToneError TonePlayback::namingTheCause(const ToneError& error, bool first, const QString& speedText,
                                       double frequency) const
{
    switch (error.kind()) {
    case ToneError::Kind::NoFrequency:
        return ToneError(error.kind(), frequencyMessage(first, speedText, frequency));
    case ToneError::Kind::TooHigh:
        return ToneError(error.kind(), tooHighMessage(first, speedText, frequency));
    default:
        return error;
    }
}

QString TonePlayback::tooHighMessage(bool first, const QString& speedText, double frequency) const
{
    const std::optional<Doppler::Band> band = inputs.selectedBand();
    const QString carrier = band ? Doppler::carrierText(*band) : QString();
    // With a carrier Settings offers and a speed the boxes allow, every tone plays; the
    // one beyond its range is the cause.
    if (band && NumberText::leadingValue(carrier) > Doppler::highestOfferedCarrier(*band)) {
        return tr("The carrier frequency of the %1 band, \"%2\" GHz, makes the tone too high to play. "
                  "Choose another carrier frequency in Settings.")
            .arg(Doppler::bandName(*band), quotedText(carrier));
    }
    if (NumberText::leadingValue(speedText) > Doppler::HighestSpeed) {
        return tr("The %1 speed, \"%2\", makes the tone too high to play. Enter a speed from 1 to 199, then "
                  "press GO again.")
            .arg(first ? tr("first") : tr("second"), quotedText(speedText));
    }
    // Choices the window offers, and a sound server running at a low sample rate.
    return tr("The tone of %1 Hz is higher than the sound server can play at its sample rate (up to %2 Hz). "
              "Choose a lower speed or another band, or set the sound server to 44100 Hz or more.")
        .arg(NumberText::wholeNumber(NumberText::roundHalfEven(frequency)),
             NumberText::wholeNumber(std::floor(sound.highestReproducibleFrequency())));
}

QString TonePlayback::frequencyMessage(bool first, const QString& speedText, double frequency) const
{
    const std::optional<Doppler::Band> band = inputs.selectedBand();
    if (!band)
        return tr("No radar band is selected. Choose X, K, Ka or Ku, then press GO again.");
    if (!(Doppler::dopplerConstantFor(band) > 0.0)) {
        return tr("The carrier frequency of the %1 band, \"%2\" GHz, gives no Doppler tone. "
                  "Choose another carrier frequency in Settings.")
            .arg(Doppler::bandName(*band), quotedText(Doppler::carrierText(*band)));
    }
    const QString which = first ? tr("first") : tr("second");
    if (speedText.trimmed().isEmpty())
        return tr("The %1 speed box is empty. Enter a speed from 1 to 199, then press GO again.").arg(which);
    if (!(NumberText::leadingValue(speedText) > 0.0)) {
        return tr("The %1 speed, \"%2\", gives no tone to play. Enter a speed from 1 to 199, then "
                  "press GO again.")
            .arg(which, quotedText(speedText));
    }
    return tr("The %1 speed, \"%2\", gives a tone of %3 Hz, too low to play. Enter a higher "
              "speed, then press GO again.")
        .arg(which, quotedText(speedText), NumberText::wholeNumber(NumberText::roundHalfEven(frequency)));
}
