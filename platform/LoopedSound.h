#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace Platform {

class SoundServerConnection;

// Loops one WAV file through the sound card until stopped, like a tuning fork that
// rings until it is touched. Every call returns at once; the sound runs on a thread of
// its own that never touches a widget.
//
// - play(path) replaces whatever this player was playing with the file at path, looped
//   seamlessly at exactly the file's pitch. A missing, malformed or unplayable file
//   gives silence, never another sound.
// - stop() silences this player at once: a fade of a few milliseconds, heard within
//   about 20 ms.
// - What is heard is the tone and nothing else: the loop's own DC is taken out, it rises
//   and falls with short raised-cosine ramps instead of switching on and off (a click),
//   and it plays with headroom, so that the server's mix of it never clips.
// - Without a sound server, or after losing it, the player stays silent and harmless;
//   the next play() connects again.
//
// Each program owns one player; two players (in one process or two) play at once.
class LoopedSound {
public:
    // On a connection of its own, for a program with nothing else on the sound server.
    LoopedSound();
    // On the process's connection, which outlives it.
    explicit LoopedSound(SoundServerConnection& server);
    ~LoopedSound();
    LoopedSound(const LoopedSound&) = delete;
    LoopedSound& operator=(const LoopedSound&) = delete;

    enum class Headroom {
        // The tone sounds alone: its full level, less a margin for the overshoot of
        // band-limited resampling.
        ForOneTone,
        // One of two tones that sound together (in this process or another): half that
        // level (-6.02 dB), so that their sum never exceeds full scale.
        ForTwoTones,
    };

    void play(const QString& path, Headroom headroom = Headroom::ForOneTone);
    void stop();
    // Ends the player for good, as its destruction does: a sound that plays fades, and
    // this waits until the fades have been played (a few hundred milliseconds at most).
    // Later play() calls give silence. For a program that ends without its destructors.
    void end();

    // Length of the fade at a loop's start and end.
    static constexpr double FadeSeconds = 0.005;

    // The highest tone the sound server reproduces at full level: below half the sample
    // rate of its default sink as it is now (followed live, never waited for) by the
    // resampler's transition band. Before any server has answered, it is that of
    // 44.1 kHz, the lowest rate desktops run at.
    double highestReproducibleFrequency() const;
    static double highestReproducibleFrequencyAt(std::uint32_t serverRate);

    // The largest tone it plays: a faster file could no longer be resampled in real
    // time, and tone files are about 1 MB. Anything beyond gives silence.
    static constexpr std::uint32_t MaxSampleRate = 100'000'000;
    static constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

    // For tests and benchmarks: true once the sound server has accepted the stream of
    // the current play() and asked for its first audio.
    bool isStreaming() const;
    // For benchmarks: how long after the last stop() the server plays the end of its
    // fade, by the server's own account of where it plays; negative before any fade.
    double lastFadeHeardAfterMs() const;

private:
    class Impl;
    std::unique_ptr<SoundServerConnection> ownServer;
    std::unique_ptr<Impl> impl;
};

} // namespace Platform
