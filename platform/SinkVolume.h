#pragma once

#include <QObject>

#include <cstdint>
#include <memory>

namespace Platform {

class SoundServerConnection;

// The sound card's volume as one 32-bit word of two 16-bit channels: the
// low half is the left channel, the high half the right; 0 is silent, 65535 full.
// Backed by the front-left and front-right volume of the sink this process's tone plays
// on, or of the default sink while no tone plays, mapped linearly onto 0..65535 (normal
// volume is 65535; louder than normal reads as 65535).
//
// The volume is followed live, as desktop mixers follow it: whoever changes it (volume
// keys, the panel, another mixer), whichever sink becomes the default and wherever a
// mixer moves the tone, changed() reports that sink's word. Nothing here waits for the server: the connection,
// its answers and its return after a loss all happen on its thread, so a hung or missing
// server never holds up the caller.
class SinkVolume : public QObject {
    Q_OBJECT
public:
    // On the process's connection, which outlives it.
    explicit SinkVolume(SoundServerConnection& server, QObject* parent = nullptr);
    ~SinkVolume() override;
    SinkVolume(const SinkVolume&) = delete;
    SinkVolume& operator=(const SinkVolume&) = delete;

    // Connects and follows the volume from now on; connect to the signals first.
    void start();

    // Sets the volume word; returns at once. Rapid calls are coalesced: the last wins.
    // While no server answers it does nothing.
    void set(std::uint32_t word);

    // True from a set() until the server has taken it and the volume has been read back.
    // A word reported meanwhile may predate that write.
    bool isWriting() const;

    // Waits (briefly) until every set() so far has reached the server. For tests.
    void flush();

    static std::uint32_t toServerVolume(std::uint16_t channel);
    static std::uint16_t fromServerVolume(std::uint32_t volume);

signals:
    // The volume word of the sink followed: when a server first answers, and after every
    // change of the volume, of the default sink or of the sink the tone plays on. Emitted from the sound server's
    // thread, so receivers in the window get it queued.
    void changed(quint32 word);
    // No server answers, or it has no sink to set: the volume is unknown until changed().
    void unavailable();

private:
    class Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace Platform
