#pragma once

#include "platform/sound/SoundServerConnection.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct pa_stream;

namespace Platform {

namespace Sound {
struct WavData;
class StreamFeed;
class FadingStream;
} // namespace Sound

// Loops one WAV file through the sound card until stopped, like a tuning fork that rings
// until it is touched: seamlessly, at exactly the file's pitch, its DC taken out, rising and
// falling with short raised-cosine ramps, with headroom so that the server's mix never
// clips. Every call returns at once; the sound runs on a thread that never touches a
// widget. A missing, malformed or unplayable file, or no sound server, gives silence; the
// next play() connects again. Each program owns one player; two play at once.
class LoopedSound final : private SoundServerConnection::Listener {
public:
    // On a connection of its own, for a program with nothing else on the sound server.
    LoopedSound();
    // On the process's connection, which outlives it.
    explicit LoopedSound(SoundServerConnection& shared);
    ~LoopedSound();

    // A tone that sounds alone, or one of two that sound together (in this process or
    // another) at half the level, so that their sum never exceeds full scale.
    enum class Headroom { ForOneTone, ForTwoTones };

    // Replaces whatever this player was playing.
    void play(const QString& path, Headroom headroom = Headroom::ForOneTone);
    // Silences this player at once: a fade of a few milliseconds, heard within about 20 ms.
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

    // The largest tone it plays: a faster file could no longer be resampled in real
    // time, and tone files are about 1 MB. Anything beyond gives silence.
    static constexpr std::uint32_t MaxSampleRate = 100'000'000;
    static constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

    // For tests and benchmarks: true once the sound server has accepted the stream of
    // the current play() and asked for its first audio.
    bool isStreaming() const { return streaming.load(std::memory_order_acquire); }
    // For benchmarks: how long after the last stop() the server plays the end of its
    // fade, by the server's own account of where it plays; negative before any fade.
    double lastFadeHeardAfterMs() const { return fadeHeardAfterMs.load(std::memory_order_acquire); }

private:
    // All below run with the connection's lock held.
    void serverChanged() override { reconcile(); }
    void want(std::shared_ptr<const Sound::WavData> wav, float gain);
    void fadeOutStream();
    void reconcile();
    void openStream(pa_context* context);
    void dropStream();
    void write(pa_stream* s, std::size_t bytes);

    static void onStreamState(pa_stream*, void* self);
    static void onStreamWrite(pa_stream*, std::size_t bytes, void* self);
    static void onStreamTiming(pa_stream*, int success, void* self);
    static void onPeriodSettled(pa_stream*, int success, void* self);

    std::unique_ptr<SoundServerConnection> ownServer;
    SoundServerConnection& server;
    bool ended = false;

    // What the caller wants: a sound (null for silence). The connection is held while one is.
    std::shared_ptr<const Sound::WavData> wanted;
    float wantedGain = 0;
    // A stream was opened for it; one that failed is not reopened until the next play(),
    // or the server's return.
    bool attempted = false;
    std::atomic<double> fadeHeardAfterMs {-1};

    pa_stream* stream = nullptr;
    std::unique_ptr<Sound::StreamFeed> feed; // the stream's, while there is one
    std::optional<std::chrono::steady_clock::time_point> lastWrite; // the stream's last request
    bool shortPeriod = false; // the stream's sink did not take the long period asked for
    // Nothing is written until the period the sink took is known: a buffer changed once
    // it is filled ran dry, and the stream with it, half a second in.
    bool periodPending = false;
    std::vector<std::unique_ptr<Sound::FadingStream>> fading;
    std::atomic<bool> streaming {false};
};

} // namespace Platform
