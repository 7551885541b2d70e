#pragma once

#include "platform/CompanionProcesses.h"
#include "platform/LoopedSound.h"
#include "tone/PlaybackPlan.h"
#include "tone/ToneFileWriter.h"

#include <QElapsedTimer>
#include <QString>

#include <optional>

struct ToneRequest;

// One tone playback at a time, from GO to STOP or the window's close, made from a tone
// request alone: Idle -> Writing (a ToneFileWriter writes the tone files into the tone
// folder while the window goes on) -> Playing -> Idle. The first tone loops in this
// process; in moving mode the companion loops the second from "temp2.wav" in its own
// (Platform::CompanionProcesses). A companion that ends while it plays is started once
// more; one that ends again within a few seconds ends the playback, which says why. A
// tone that cannot be made, a stop or a close while writing lead back to Idle with
// nothing playing and no tone file left.
class TonePlayback : public QObject {
    Q_OBJECT
public:
    // The first tone plays through sound, which outlives this playback.
    TonePlayback(Platform::LoopedSound& sound, const QString& applicationDirectory);
    ~TonePlayback() override;

    // Starts a playback of request unless one is under way: it writes, then plays. A
    // tone that cannot be made or played ends in failed(), perhaps before this returns.
    void playTone(const ToneRequest& request);

    // STOP: back to Idle, and in moving mode (the window's, now) the companion closed;
    // a write under way is abandoned and reports nothing more.
    void stop(bool movingMode);

    // The program's end: the sound stopped, the companion closed in moving mode, the
    // tone files deleted, a write abandoned; the flag is left as it is, and no companion
    // is waited for. When the display has gone no X call may be made: the companions
    // are ended by their process and the sound's fade is heard out before this returns.
    void unload(bool movingMode, bool displayLost = false);

    // Deletes "temp.wav" and then "temp2.wav", ignoring every failure.
    void deleteToneFiles();

    // At start: ends the companions and deletes the tone files an earlier run left, at
    // once; a GO that follows before they have gone ends them outright.
    void endLeftoversOfEarlierRun();

    bool isTonePlaying() const { return state != State::Idle; }
    bool isWriting() const { return state == State::Writing; }
    // Whose progress a dialog may follow.
    const ToneFileWriter& writer() const { return fileWriter; }

    // Empty when there is no usable tone folder.
    QString firstTonePath() const;
    QString secondTonePath() const;
    QString companionPath() const;

signals:
    void failed(const ToneError& error);
    // The playback has ended by itself, with the reason for the user.
    void endedByItself(const QString& reason);

private:
    enum class State {
        Idle,
        Writing, // set by GO: the tone files are being written
        Playing, // the tone loops until STOP
    };

    void onFilesWritten();
    void fail(const ToneError& error);
    void backToIdle();
    void onCompanionEnded();

    Platform::LoopedSound& sound;
    const QString appDir;
    QString toneDir; // where the tone files go; empty when no folder can be used
    State state = State::Idle;
    Platform::CompanionProcesses companions;
    std::optional<PlaybackPlan> playing; // the plan of the tones written and played
    QElapsedTimer companionRestarted;    // invalid until a companion of this playback was started again
    ToneFileWriter fileWriter;
};
