#pragma once

#include <QString>

#include <cstdint>
#include <memory>

namespace Platform {

// Loops one WAV file through the sound card until stopped, like a tuning fork that
// rings until it is touched. Every call returns at once; the sound runs on a thread of
// its own that never touches a widget.
//
// - play(path) replaces whatever this player was playing with the file at path, looped
//   seamlessly at exactly the file's pitch. A missing, malformed or unplayable file
//   gives silence, never another sound.
// - stop() silences this player at once.
// - Without a sound server, or after losing it, the player stays silent and harmless;
//   the next play() connects again.
//
// Each program owns one player; two players (in one process or two) play at once.
class LoopedSound {
public:
    LoopedSound();
    ~LoopedSound();
    LoopedSound(const LoopedSound&) = delete;
    LoopedSound& operator=(const LoopedSound&) = delete;

    void play(const QString& path);
    void stop();

    // The largest tone it plays: a faster file could no longer be resampled in real
    // time, and tone files are about 1 MB. Anything beyond gives silence.
    static constexpr std::uint32_t MaxSampleRate = 100'000'000;
    static constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

    // For tests and benchmarks: true once the sound server has accepted the stream of
    // the current play() and asked for its first audio.
    bool isStreaming() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace Platform
