#pragma once

#include "platform/CompanionProcesses.h"
#include "platform/LoopedSound.h"
#include "tone/PlaybackPlan.h"
#include "tone/ToneFileWriter.h"

#include <QElapsedTimer>
#include <QString>

#include <optional>

struct ToneRequest;

// One tone playback at a time: from the play request to the stop request or the
// closing of the main window. The first tone loops in this process; in moving mode the
// companion "echolet.dll" loops the second from "temp2.wav" in a process of its own
// (Platform::CompanionProcesses starts, closes and collects it). The tone files lie in
// the tone folder (Platform::toneFolder): the application directory when the user may
// write there.
//
// A playback is made from a tone request alone and knows nothing of the window that
// asks for it: the window hands over the request at GO and its mode at STOP and close.
//
// A companion that ends while it plays (killed, or failing) is started once more; one
// that ends again within a few seconds ends the playback, which then reports why.
//
// Idle -> Writing -> Playing -> Idle. The tone files are written by a ToneFileWriter,
// while the window goes on. A tone that cannot be made, a stop or a close while writing
// all lead back to Idle with nothing playing and no tone file left.
class TonePlayback : public QObject {
    Q_OBJECT
public:
    // The first tone plays through sound, which outlives this playback.
    TonePlayback(Platform::LoopedSound& sound, const QString& applicationDirectory);
    ~TonePlayback() override;

    // Starts a playback of request, unless one is under way: it writes until its files
    // are complete, then plays. A tone that cannot be made or played ends in failed(),
    // perhaps before this returns: nothing is then left playing, no tone file is left
    // and isTonePlaying() is false again.
    void playTone(const ToneRequest& request);

    // The stop button: clear the flag, stop the sound, delete the tone files and, in
    // moving mode (the window's, now), close the companion. A write under way is
    // abandoned, and reports nothing more.
    void stop(bool movingMode);

    // The closing of the main window (after the settings are saved), after which the
    // program ends: stop the sound, close the companion in moving mode, delete the tone
    // files. A write under way is abandoned. The flag is left as it is. Nothing waits
    // for a companion: each ends by itself.
    void unload(bool movingMode);
    // The same when the display has gone (the X server died) and the program ends without
    // going back to its event loop: no X call may be made any more, so the companions
    // this playback started are ended by their process, and the sound's fade is heard
    // out before this returns.
    void unloadWithoutDisplay();

    // Deletes "temp.wav" and then "temp2.wav", ignoring every failure.
    void deleteToneFiles();

    // At start, before anything plays: ends the hidden companions of this installation
    // that an earlier run left playing and deletes the tone files it left. Returns at
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
