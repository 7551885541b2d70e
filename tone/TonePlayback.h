#pragma once

#include "platform/LoopedSound.h"
#include "tone/DopplerModel.h"
#include "tone/ToneError.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QWidget;
class ToneProgressDialog;

// What a playback reads from the main window at the moment it needs it.
class ToneInputs {
public:
    virtual ~ToneInputs() = default;
    virtual std::optional<Doppler::Band> selectedBand() const = 0;
    virtual QString firstSpeedText() const = 0;   // as typed in the first speed box
    virtual QString secondSpeedText() const = 0;  // and in the second
    virtual bool isMovingMode() const = 0;
    virtual const QWidget* mainWindow() const { return nullptr; }
};

// One tone playback at a time: from the play request to the stop request or the
// closing of the main window. The first tone loops in this process; in moving mode the
// companion "echolet.dll" loops the second from "temp2.wav" in a process of its own
// and is closed again through its window caption. The tone files lie in the tone folder
// (Platform::toneFolder): the application directory when the user may write there. The
// companion is tied to this process, so it ends with it however this process ends.
//
// Idle -> Writing -> Playing -> Idle. A tone that cannot be made, a stop, a cancel or a
// close while writing all lead back to Idle with nothing playing and no tone file left.
class TonePlayback {
public:
    enum class Outcome {
        Playing,   // the tone (both tones in moving mode) now loops
        Absorbed,  // a playback is already under way: nothing happened
        Abandoned, // stopped, cancelled or closed while writing: back to Idle
    };

    static inline const QString CompanionCaption = QStringLiteral("RodIdedivOzaruDodeZovo");
    static inline const QString FirstToneFile = QStringLiteral("temp.wav");
    static inline const QString SecondToneFile = QStringLiteral("temp2.wav");
    static inline const QString CompanionFile = QStringLiteral("echolet.dll");
    static constexpr double ToneSeconds = 0.5;

    TonePlayback(const ToneInputs& inputs, const QString& applicationDirectory);
    ~TonePlayback();
    TonePlayback(const TonePlayback&) = delete;
    TonePlayback& operator=(const TonePlayback&) = delete;

    // Starts a playback. Throws ToneError, with a message for the user, when the tone
    // cannot be made or played; nothing is then left playing, no tone file is left and
    // isTonePlaying() is false again.
    Outcome playTone();

    // The stop button: clear the flag, stop the sound, delete the tone files and, in
    // moving mode, close the companion. A write under way is abandoned.
    void stop();

    // The closing of the main window (after the settings are saved): stop the sound,
    // close the companion in moving mode, delete the tone files. A write under way is
    // abandoned. The flag is left as it is.
    void unload();
    // The same when the display has gone (the X server died) and the program ends without
    // going back to its event loop: no X call may be made any more, so the companions
    // this playback started are ended by their process, and the sound's fade is heard
    // out before this returns.
    void unloadWithoutDisplay();

    // Deletes "temp.wav" and then "temp2.wav", ignoring every failure.
    void deleteToneFiles();

    // At start, before anything plays: ends the hidden companions of this installation
    // that an earlier run left playing and deletes the tone files it left.
    static void endLeftoversOfEarlierRun(const QString& applicationDirectory);

    bool isTonePlaying() const { return playing; }
    bool isWriting() const { return writing; }

    // Empty when there is no usable tone folder.
    QString firstTonePath() const;
    QString secondTonePath() const;
    QString companionPath() const;

    // For tests and benchmarks: the sound of the first tone.
    const Platform::LoopedSound& firstToneSound() const { return sound; }

private:
    // The writer's refusal of a tone, told in terms of the setting that causes it.
    ToneError namingTheCause(const ToneError& error, bool first, const QString& speedText, double frequency) const;
    QString frequencyMessage(bool first, const QString& speedText, double frequency) const;
    QString tooHighMessage(bool first, const QString& speedText, double frequency) const;
    // Throws ToneError, naming the cause, for a tone that cannot be made or not heard.
    void checkTone(bool first, const QString& speedText, double frequency, const QString& accuracy) const;
    // A companion told to close before its window existed would play on: each one this
    // playback started is followed until its own window has taken the close request.
    void closeStartedCompanions(bool programEnds);
    void followCompanions();
    void writeTone(double frequency, const QString& path);
    void abandonWrite();

    const ToneInputs& inputs;
    const QString appDir;
    QString toneDir; // where the tone files go; empty when no folder can be used
    Platform::LoopedSound sound;
    std::unique_ptr<ToneProgressDialog> progress; // the one progress dialog, made at the first write
    bool playing = false;         // set by GO; cleared by STOP and by a tone that cannot be made
    bool writing = false;         // a tone file is being written
    bool abandonRequested = false;
    bool displayGone = false;     // nothing reaches X any more

    struct StartedCompanion {
        qint64 pid = 0;
        QElapsedTimer sinceClose;
    };
    std::vector<StartedCompanion> companions; // started and not yet seen closing
    std::vector<qint64> endingCompanions;      // closing, not yet collected
    QObject followUps;                          // owns the pending follow-up timer
    bool followUpPending = false;
};
