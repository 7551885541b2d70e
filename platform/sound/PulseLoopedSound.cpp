// Platform::LoopedSound on Linux: a libpulse playback stream on the process's
// SoundServerConnection, fed by a LoopResampler that turns the WAV file into a seamless
// loop at the sound server's sample rate.
//
// Threads: play()/stop() run on the caller's thread, read the file there and hand the
// result over under the mainloop lock. Everything else runs on the mainloop's thread.
// libpulse callbacks and the connection's news only kick reconcile(), a deferred event
// that compares what is wanted with what exists and opens or drops the stream. Nothing is
// ever freed from inside a libpulse callback of the same object.
//
// While a sound is wanted the connection is held: a server that goes away (or is not
// there when it is asked for) is tried again with a back-off, so the loop comes back by
// itself when the server returns; stop() ends the waiting at once.
//
// Every stream rises from silence (StreamFeed). When a sound ends (stop(), a new play(),
// the player's end) its stream is not cut off: it fades (FadingStream).

#include "platform/LoopedSound.h"

#include "FadingStream.h"
#include "LoopResampler.h"
#include "SoundServerConnection.h"
#include "StreamFeed.h"
#include "ToneLevel.h"
#include "WavReader.h"

#include <pulse/pulseaudio.h>

#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace Platform {

namespace {

// Requested buffering of a stream: the whole buffer (tlength) and how much of it plays
// before the server asks for more (minreq). A server sets a sink that follows its
// streams to half of what the buffer leaves beyond two requests, and wakes once per such
// period: the shorter it is, the more the server costs the desktop, a laptop's battery
// among it.
struct Buffering {
    pa_usec_t targetUsec;
    pa_usec_t minRequestUsec;
};
// PulseAudio: a 5 ms period, so that a fade at stop is played within a few milliseconds
// on any sink, while the buffer never runs below about 100 ms. (A 200 ms period with the
// fade written where the sink plays, for the sink to rewind, costs the server a tenth of
// the CPU; it is not used until a rewound fade has been heard on a sound card.)
constexpr Buffering PulseAudioBuffering {200 * PA_USEC_PER_MSEC, 95 * PA_USEC_PER_MSEC};
// PipeWire takes the period as the quantum of its whole graph (a power of two in frames,
// rounded down) and rewinds nothing: 25 ms gives the graph's own default quantum, 1024
// frames, so that a fade is heard within it and no other program is woken more often
// than it would be anyway (20 ms gave 512 frames and twice the server's CPU); the rest
// of the buffer rides out a stalled machine.
constexpr Buffering PipeWireBuffering {300 * PA_USEC_PER_MSEC, 125 * PA_USEC_PER_MSEC};
// How much of what was given a stream remembers for its fade-out: more than the server
// ever holds of it.
constexpr double RememberedSeconds = 1.0;
// The player's end waits for its fades this long at most.
constexpr int EndWaitMs = 400;

} // namespace

class LoopedSound::Impl : public SoundServerConnection::Listener {
public:
    explicit Impl(SoundServerConnection& server);
    ~Impl() { end(); }

    void end();
    void play(const QString& path, LoopedSound::Headroom headroom);
    void stop();
    bool isStreaming() const { return streaming.load(std::memory_order_acquire); }
    std::uint32_t rateOfServer() const { return server.lastKnownRate(); }
    double fadeHeardAfterMs() const { return lastFadeHeardAfterMs.load(std::memory_order_acquire); }

private:
    // All below run with the mainloop lock held.
    void serverChanged() override { kick(); }
    void want(std::shared_ptr<const Sound::WavData> wav, float gain);
    void fadeOutStream();
    void kick();
    void reconcile();
    void openStream(pa_context* context);
    void dropStream();
    void write(pa_stream* s, std::size_t bytes);
    const Buffering& buffering() const { return server.onPipeWire() ? PipeWireBuffering : PulseAudioBuffering; }

    static void onKick(pa_mainloop_api*, pa_defer_event*, void* self);
    static void onStreamState(pa_stream*, void* self);
    static void onStreamWrite(pa_stream*, std::size_t bytes, void* self);

    SoundServerConnection& server;
    pa_defer_event* kickEvent = nullptr;
    bool ended = false;

    // What the caller wants: a sound (null for silence), and a generation that every
    // play() and stop() advances. The connection is held while a sound is wanted.
    std::shared_ptr<const Sound::WavData> wanted;
    float wantedGain = Sound::OneToneGain;
    std::uint64_t wantedGeneration = 0;
    bool holding = false;
    std::atomic<double> lastFadeHeardAfterMs{-1};

    pa_stream* stream = nullptr;
    std::uint64_t streamGeneration = 0;
    // The generation a stream was last opened for; a stream that fails is not reopened
    // until the next play(), or the server's return.
    std::uint64_t attemptedGeneration = 0;
    std::unique_ptr<Sound::StreamFeed> feed;
    std::size_t frameBytes = 0;
    std::optional<std::chrono::steady_clock::time_point> lastWrite; // the stream's last request
    std::vector<std::unique_ptr<Sound::FadingStream>> fading;

    std::atomic<bool> streaming{false};
};

LoopedSound::Impl::Impl(SoundServerConnection& server) : server(server)
{
    const std::lock_guard lock(server);
    pa_mainloop_api* api = server.api();
    if (!api)
        return;
    kickEvent = api->defer_new(api, &Impl::onKick, this);
    api->defer_enable(kickEvent, 0);
    server.addListener(this);
}

void LoopedSound::Impl::end()
{
    std::unique_lock lock(server);
    if (ended || !kickEvent)
        return;
    ended = true;
    wanted.reset();
    streaming.store(false, std::memory_order_release);
    // A sound that plays fades as at stop(), and the fades under way are heard out: the
    // end of the program is no click either.
    fadeOutStream();
    QElapsedTimer waited;
    waited.start();
    while (!fading.empty() && waited.elapsed() < EndWaitMs) {
        lock.unlock();
        QThread::msleep(2);
        lock.lock();
    }
    fading.clear();
    dropStream();
    server.removeListener(this);
    if (holding)
        server.release();
    server.api()->defer_free(kickEvent);
    kickEvent = nullptr;
}

void LoopedSound::Impl::play(const QString& path, LoopedSound::Headroom headroom)
{
    std::shared_ptr<const Sound::WavData> wav;
    if (auto parsed = Sound::readWavFile(path)) {
        Sound::removeLoopDc(*parsed);
        wav = std::make_shared<const Sound::WavData>(std::move(*parsed));
    }
    const std::lock_guard lock(server);
    if (kickEvent)
        want(std::move(wav), Sound::gainFor(headroom));
}

void LoopedSound::Impl::stop()
{
    const std::lock_guard lock(server);
    if (kickEvent)
        want(nullptr, Sound::OneToneGain);
}

void LoopedSound::Impl::want(std::shared_ptr<const Sound::WavData> wav, float gain)
{
    ++wantedGeneration;
    streaming.store(false, std::memory_order_release);
    // Silence at once: the old stream starts its fade now, not when the mainloop gets
    // round to it.
    fadeOutStream();
    wanted = std::move(wav);
    wantedGain = gain;
    if (holding != bool(wanted)) {
        holding = bool(wanted);
        holding ? server.hold() : server.release();
    }
    // A request of the caller's own is tried at once; silence needs no server at all.
    if (wanted)
        server.connectNow();
    kick();
}

void LoopedSound::Impl::kick()
{
    if (kickEvent)
        server.api()->defer_enable(kickEvent, 1);
}

void LoopedSound::Impl::onKick(pa_mainloop_api*, pa_defer_event*, void* self)
{
    static_cast<Impl*>(self)->reconcile();
}

void LoopedSound::Impl::reconcile()
{
    server.api()->defer_enable(kickEvent, 0);
    std::erase_if(fading, [](const auto& f) { return f->isOver(); });

    pa_context* context = server.readyContext();
    if (stream && (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream)) || streamGeneration != wantedGeneration)) {
        // A stream of the current sound that the server ended is opened again after the
        // back-off; one lost with its server, once the server is back.
        const bool lost = streamGeneration == wantedGeneration;
        streaming.store(false, std::memory_order_release);
        dropStream();
        if (lost && wanted && context) {
            attemptedGeneration = 0;
            server.retryLater();
        }
    }
    if (!context) {
        attemptedGeneration = 0; // the same sound opens again once a server answers
        return;
    }
    // A new default sink's rate may be on its way: the stream opens at that one.
    if (wanted && !stream && attemptedGeneration != wantedGeneration && server.streamRate() > 0 && !server.retryPending())
        openStream(context);
}

void LoopedSound::Impl::openStream(pa_context* context)
{
    attemptedGeneration = wantedGeneration;
    const std::uint32_t rate = server.streamRate();
    auto loop = Sound::LoopResampler::create(wanted, rate);
    if (!loop)
        return; // rates soxr cannot take: silence
    auto next = std::make_unique<Sound::StreamFeed>(
        std::move(loop), wantedGain, static_cast<std::size_t>(RememberedSeconds * rate));

    pa_sample_spec sampleSpec;
    sampleSpec.format = PA_SAMPLE_FLOAT32NE;
    sampleSpec.rate = rate;
    sampleSpec.channels = static_cast<std::uint8_t>(next->channels());
    pa_channel_map map;
    if (!pa_sample_spec_valid(&sampleSpec) || !pa_channel_map_init_extend(&map, sampleSpec.channels, PA_CHANNEL_MAP_DEFAULT))
        return;

    stream = pa_stream_new(context, "Tone", &sampleSpec, &map);
    if (!stream)
        return;
    feed = std::move(next);
    frameBytes = pa_frame_size(&sampleSpec);
    streamGeneration = wantedGeneration;
    pa_stream_set_state_callback(stream, &Impl::onStreamState, this);
    pa_stream_set_write_callback(stream, &Impl::onStreamWrite, this);
    lastWrite.reset();

    pa_buffer_attr attr;
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(buffering().targetUsec, &sampleSpec));
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(pa_usec_to_bytes(buffering().minRequestUsec, &sampleSpec));
    attr.fragsize = static_cast<std::uint32_t>(-1);
    if (pa_stream_connect_playback(stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0)
        dropStream();
}

void LoopedSound::Impl::dropStream()
{
    if (!stream)
        return;
    pa_stream* s = stream;
    stream = nullptr;
    pa_stream_set_state_callback(s, nullptr, nullptr);
    pa_stream_set_write_callback(s, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(s)))
        pa_stream_disconnect(s);
    pa_stream_unref(s);
    feed.reset();
}

void LoopedSound::Impl::fadeOutStream()
{
    // Only a stream that has sounded needs a fade; one still opening just goes.
    if (!stream || !feed || feed->framesGiven() == 0 || pa_stream_get_state(stream) != PA_STREAM_READY) {
        dropStream();
        return;
    }
    fading.push_back(std::make_unique<Sound::FadingStream>(server.api(), std::exchange(stream, nullptr), std::move(feed),
                                                           [this] { kick(); }, lastFadeHeardAfterMs));
}

void LoopedSound::Impl::write(pa_stream* s, std::size_t bytes)
{
    if (streamGeneration == wantedGeneration)
        streaming.store(true, std::memory_order_release);
    while (bytes >= frameBytes) {
        void* data = nullptr;
        std::size_t size = bytes;
        if (pa_stream_begin_write(s, &data, &size) < 0 || !data || size < frameBytes)
            return;
        const std::size_t frames = size / frameBytes;
        feed->render(static_cast<float*>(data), frames);
        if (pa_stream_write(s, data, frames * frameBytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        bytes -= std::min(bytes, frames * frameBytes);
    }
}

void LoopedSound::Impl::onStreamState(pa_stream* s, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (state == PA_STREAM_READY)
        impl->server.noteToneStream(pa_stream_get_index(s));
    else if (!PA_STREAM_IS_GOOD(state))
        impl->kick();
}

void LoopedSound::Impl::onStreamWrite(pa_stream* s, std::size_t bytes, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    // Asked again only after longer than the server holds: it ran dry meanwhile (this
    // process was stopped, or the machine stalled), and what follows the gap rises from
    // silence. The server's own underflow notice comes after the requests made before it.
    const auto now = std::chrono::steady_clock::now();
    if (impl->lastWrite && now - *impl->lastWrite > std::chrono::microseconds(impl->buffering().targetUsec))
        impl->feed->riseAgain();
    impl->lastWrite = now;
    impl->write(s, bytes);
}

LoopedSound::LoopedSound() : ownServer(std::make_unique<SoundServerConnection>()), impl(std::make_unique<Impl>(*ownServer)) {}

LoopedSound::LoopedSound(SoundServerConnection& server) : impl(std::make_unique<Impl>(server)) {}

LoopedSound::~LoopedSound() = default;

void LoopedSound::play(const QString& path, Headroom headroom)
{
    impl->play(path, headroom);
}

void LoopedSound::stop()
{
    impl->stop();
}

void LoopedSound::end()
{
    impl->end();
}

bool LoopedSound::isStreaming() const
{
    return impl->isStreaming();
}

double LoopedSound::lastFadeHeardAfterMs() const
{
    return impl->fadeHeardAfterMs();
}

double LoopedSound::highestReproducibleFrequencyAt(std::uint32_t serverRate)
{
    return Sound::LoopResampler::PassbandEnd * serverRate / 2.0;
}

double LoopedSound::highestReproducibleFrequency() const
{
    constexpr std::uint32_t LowestDesktopRate = 44100;
    const std::uint32_t rate = impl->rateOfServer();
    return highestReproducibleFrequencyAt(rate > 0 ? rate : LowestDesktopRate);
}

} // namespace Platform
