#pragma once

#include <cstdint>
#include <memory>

namespace Platform {

// The sound card's volume as one 32-bit word of two 16-bit channels: the
// low half is the left channel, the high half the right; 0 is silent, 65535 full.
// Backed by the default sink's front-left and front-right volume on the sound server,
// mapped linearly onto 0..65535 (normal volume is 65535; louder than normal reads as
// 65535).
//
// Without a sound server get() answers 0 and set() does nothing; a server that
// appears later is used from then on.
class SinkVolume {
public:
    SinkVolume();
    ~SinkVolume();
    SinkVolume(const SinkVolume&) = delete;
    SinkVolume& operator=(const SinkVolume&) = delete;

    // The current volume word; waits briefly for the server's answer.
    std::uint32_t get();

    // Sets the volume word; returns at once. Rapid calls are coalesced: the last wins.
    void set(std::uint32_t word);

    // Waits (briefly) until every set() so far has reached the server. For tests.
    void flush();

    static std::uint32_t toServerVolume(std::uint16_t channel);
    static std::uint16_t fromServerVolume(std::uint32_t volume);

private:
    class Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace Platform
