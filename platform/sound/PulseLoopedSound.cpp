// Platform::LoopedSound on Linux: a libpulse playback stream on a pa_threaded_mainloop,
// fed by a LoopResampler that turns the WAV file into a seamless loop at the sound
// server's sample rate.
//
// Threads: play()/stop() run on the caller's thread, read the file there and hand the
// result over under the mainloop lock. Everything else runs on the mainloop's thread.
// libpulse callbacks only record what happened and kick reconcile(), a deferred event
// that compares what is wanted with what exists and creates or drops the context and
// the stream. Nothing is ever freed from inside a libpulse callback of the same object,
// so a callback that libpulse invokes synchronously (during a connect, say) is harmless.
//
// A server that goes away while a sound is wanted (or is not there when it is asked
// for) is tried again with a back-off, so the loop comes back by itself when the server
// returns; stop() ends the waiting at once.

#include "platform/LoopedSound.h"

#include "LoopResampler.h"
#include "WavReader.h"

#include <pulse/pulseaudio.h>

#include <QElapsedTimer>

#include <atomic>
#include <cstdint>
#include <iterator>
#include <memory>

namespace Platform {

namespace {

// Requested buffering of the stream: enough to ride out scheduling hiccups, small
// enough that the server's side holds little. Stop never waits for it: the stream is
// disconnected, which drops whatever the server still holds.
constexpr pa_usec_t TargetLatencyUsec = 200 * PA_USEC_PER_MSEC;
// A context that has not become ready by then is given up at the next play().
constexpr qint64 ConnectTimeoutMs = 3000;
// Waits before the next attempt to reach a lost server: the first few come quickly, then
// one a second, so that a returning server is heard again soon and a missing one costs
// nothing.
constexpr pa_usec_t RetryDelaysUsec[] = {100 * PA_USEC_PER_MSEC, 250 * PA_USEC_PER_MSEC, 500 * PA_USEC_PER_MSEC};
constexpr pa_usec_t SteadyRetryUsec = PA_USEC_PER_SEC;

} // namespace

class LoopedSound::Impl {
public:
    Impl();
    ~Impl();

    void play(const QString& path);
    void stop();
    bool isStreaming() const { return streaming.load(std::memory_order_acquire); }

private:
    // All below run with the mainloop lock held.
    void want(std::shared_ptr<const Sound::WavData> wav);
    void kick();
    void reconcile();
    void connect();
    void openStream();
    void dropStream();
    void dropContext();
    void scheduleRetry();
    void cancelRetry();
    void write(pa_stream* s, std::size_t bytes);

    static void onKick(pa_mainloop_api*, pa_defer_event*, void* self);
    static void onRetry(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);
    static void onContextState(pa_context*, void* self);
    static void onServerInfo(pa_context*, const pa_server_info*, void* self);
    static void onSinkInfo(pa_context*, const pa_sink_info*, int eol, void* self);
    static void onStreamState(pa_stream*, void* self);
    static void onStreamWrite(pa_stream*, std::size_t bytes, void* self);

    pa_threaded_mainloop* mainloop = nullptr;
    pa_mainloop_api* api = nullptr;
    pa_defer_event* kickEvent = nullptr;

    // What the caller wants: a sound (null for silence), and a generation that every
    // play() and stop() advances.
    std::shared_ptr<const Sound::WavData> wanted;
    std::uint64_t wantedGeneration = 0;
    bool connectWanted = false;
    // The pending attempt to reach the server again, and how many failed in a row.
    pa_time_event* retryEvent = nullptr;
    unsigned failedAttempts = 0;

    pa_context* context = nullptr;
    QElapsedTimer contextAge;
    bool serverInfoPending = false;
    // The rate streams are opened at: the default sink's own rate, so that the server
    // need not resample again, or else the server's default rate.
    std::uint32_t serverRate = 0;
    std::uint32_t serverDefaultRate = 0;

    pa_stream* stream = nullptr;
    std::uint64_t streamGeneration = 0;
    // The generation a stream was last opened for; a stream that fails is not reopened
    // until the next play().
    std::uint64_t attemptedGeneration = 0;
    std::unique_ptr<Sound::LoopResampler> resampler;
    std::size_t frameBytes = 0;

    std::atomic<bool> streaming{false};
};

LoopedSound::Impl::Impl()
{
    mainloop = pa_threaded_mainloop_new();
    if (!mainloop)
        return;
    api = pa_threaded_mainloop_get_api(mainloop);
    kickEvent = api->defer_new(api, &Impl::onKick, this);
    if (kickEvent)
        api->defer_enable(kickEvent, 0);
    pa_threaded_mainloop_set_name(mainloop, "tinevox-sound");
    if (!kickEvent || pa_threaded_mainloop_start(mainloop) < 0) {
        if (kickEvent)
            api->defer_free(kickEvent);
        kickEvent = nullptr;
        pa_threaded_mainloop_free(mainloop);
        mainloop = nullptr;
        api = nullptr;
    }
}

LoopedSound::Impl::~Impl()
{
    if (!mainloop)
        return;
    pa_threaded_mainloop_lock(mainloop);
    wanted.reset();
    streaming.store(false, std::memory_order_release);
    dropStream();
    dropContext();
    cancelRetry();
    api->defer_free(kickEvent);
    kickEvent = nullptr;
    pa_threaded_mainloop_unlock(mainloop);
    pa_threaded_mainloop_stop(mainloop);
    pa_threaded_mainloop_free(mainloop);
}

void LoopedSound::Impl::play(const QString& path)
{
    std::shared_ptr<const Sound::WavData> wav;
    if (auto parsed = Sound::readWavFile(path))
        wav = std::make_shared<const Sound::WavData>(std::move(*parsed));
    if (!mainloop)
        return;
    pa_threaded_mainloop_lock(mainloop);
    want(std::move(wav));
    pa_threaded_mainloop_unlock(mainloop);
}

void LoopedSound::Impl::stop()
{
    if (!mainloop)
        return;
    pa_threaded_mainloop_lock(mainloop);
    want(nullptr);
    pa_threaded_mainloop_unlock(mainloop);
}

void LoopedSound::Impl::want(std::shared_ptr<const Sound::WavData> wav)
{
    ++wantedGeneration;
    streaming.store(false, std::memory_order_release);
    // Silence at once: the old stream goes now, not when the mainloop gets round to it.
    dropStream();
    wanted = std::move(wav);
    // A request of the caller's own is tried at once; silence needs no server at all.
    cancelRetry();
    failedAttempts = 0;
    if (wanted) {
        connectWanted = true;
        if (context && pa_context_get_state(context) != PA_CONTEXT_READY && contextAge.elapsed() > ConnectTimeoutMs)
            dropContext();
    }
    kick();
}

void LoopedSound::Impl::kick()
{
    if (kickEvent)
        api->defer_enable(kickEvent, 1);
}

void LoopedSound::Impl::onKick(pa_mainloop_api*, pa_defer_event*, void* self)
{
    static_cast<Impl*>(self)->reconcile();
}

void LoopedSound::Impl::reconcile()
{
    api->defer_enable(kickEvent, 0);

    if (context && !PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) {
        // The server went away or never answered: silence, and try again later. The
        // stream of the same sound is opened again once a server answers.
        streaming.store(false, std::memory_order_release);
        dropStream();
        dropContext();
        attemptedGeneration = 0;
        connectWanted = false; // not at once: when the back-off says so
        if (wanted)
            scheduleRetry();
    }
    if (stream && (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream)) || streamGeneration != wantedGeneration)) {
        // A stream of the current sound that the server ended is opened again later.
        const bool lost = streamGeneration == wantedGeneration;
        streaming.store(false, std::memory_order_release);
        dropStream();
        if (lost && wanted)
            scheduleRetry();
    }
    if (!wanted)
        return;
    if (!context) {
        if (connectWanted)
            connect();
        if (!context)
            scheduleRetry();
        return;
    }
    if (pa_context_get_state(context) != PA_CONTEXT_READY)
        return;
    if (serverRate == 0) {
        if (!serverInfoPending && serverDefaultRate == 0) {
            if (pa_operation* op = pa_context_get_server_info(context, &Impl::onServerInfo, this)) {
                serverInfoPending = true;
                pa_operation_unref(op);
            }
        }
        return;
    }
    if (!stream && attemptedGeneration != wantedGeneration)
        openStream();
}

void LoopedSound::Impl::scheduleRetry()
{
    if (retryEvent)
        return;
    const pa_usec_t delay = failedAttempts < std::size(RetryDelaysUsec) ? RetryDelaysUsec[failedAttempts] : SteadyRetryUsec;
    ++failedAttempts;
    timeval when;
    pa_timeval_add(pa_gettimeofday(&when), delay);
    retryEvent = api->time_new(api, &when, &Impl::onRetry, this);
}

void LoopedSound::Impl::cancelRetry()
{
    if (!retryEvent)
        return;
    api->time_free(retryEvent);
    retryEvent = nullptr;
}

void LoopedSound::Impl::onRetry(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    impl->cancelRetry();
    if (!impl->wanted)
        return;
    // Whatever failed is tried again: the connection, or the stream on a live one.
    impl->connectWanted = !impl->context;
    impl->attemptedGeneration = 0;
    impl->reconcile();
}

void LoopedSound::Impl::connect()
{
    connectWanted = false;
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Tinevox");
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "production");
    context = pa_context_new_with_proplist(api, "Tinevox", props);
    pa_proplist_free(props);
    if (!context)
        return;
    contextAge.start();
    serverRate = 0;
    serverDefaultRate = 0;
    serverInfoPending = false;
    pa_context_set_state_callback(context, &Impl::onContextState, this);
    // Never spawn a server: without one the player stays silent.
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        kick(); // the failed context is dropped by the next reconcile()
}

void LoopedSound::Impl::openStream()
{
    attemptedGeneration = wantedGeneration;
    auto next = Sound::LoopResampler::create(wanted, serverRate);
    if (!next)
        return; // rates soxr cannot take: silence

    pa_sample_spec sampleSpec;
    sampleSpec.format = PA_SAMPLE_FLOAT32NE;
    sampleSpec.rate = serverRate;
    sampleSpec.channels = static_cast<std::uint8_t>(next->channels());
    pa_channel_map map;
    if (!pa_sample_spec_valid(&sampleSpec) || !pa_channel_map_init_extend(&map, sampleSpec.channels, PA_CHANNEL_MAP_DEFAULT))
        return;

    stream = pa_stream_new(context, "Tone", &sampleSpec, &map);
    if (!stream)
        return;
    resampler = std::move(next);
    frameBytes = pa_frame_size(&sampleSpec);
    streamGeneration = wantedGeneration;
    pa_stream_set_state_callback(stream, &Impl::onStreamState, this);
    pa_stream_set_write_callback(stream, &Impl::onStreamWrite, this);

    pa_buffer_attr attr;
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(TargetLatencyUsec, &sampleSpec));
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(-1);
    if (pa_stream_connect_playback(stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0) {
        dropStream();
    }
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
    resampler.reset();
}

void LoopedSound::Impl::dropContext()
{
    if (!context)
        return;
    pa_context* c = context;
    context = nullptr;
    serverRate = 0;
    serverDefaultRate = 0;
    serverInfoPending = false;
    pa_context_set_state_callback(c, nullptr, nullptr);
    pa_context_disconnect(c);
    pa_context_unref(c);
}

void LoopedSound::Impl::write(pa_stream* s, std::size_t bytes)
{
    if (streamGeneration == wantedGeneration) {
        streaming.store(true, std::memory_order_release);
        failedAttempts = 0;
    }
    while (bytes >= frameBytes) {
        void* data = nullptr;
        std::size_t size = bytes;
        if (pa_stream_begin_write(s, &data, &size) < 0 || !data || size < frameBytes)
            return;
        const std::size_t frames = size / frameBytes;
        resampler->render(static_cast<float*>(data), frames);
        if (pa_stream_write(s, data, frames * frameBytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        bytes -= std::min(bytes, frames * frameBytes);
    }
}

void LoopedSound::Impl::onContextState(pa_context* c, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    if (c != impl->context)
        return;
    const pa_context_state_t state = pa_context_get_state(c);
    if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state))
        impl->kick();
}

void LoopedSound::Impl::onServerInfo(pa_context* c, const pa_server_info* info, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    if (c != impl->context)
        return;
    impl->serverDefaultRate = info ? info->sample_spec.rate : 0;
    pa_operation* op = nullptr;
    if (info && info->default_sink_name && *info->default_sink_name)
        op = pa_context_get_sink_info_by_name(c, info->default_sink_name, &Impl::onSinkInfo, self);
    if (op) {
        pa_operation_unref(op);
        return;
    }
    impl->serverInfoPending = false;
    impl->serverRate = impl->serverDefaultRate;
    impl->kick();
}

void LoopedSound::Impl::onSinkInfo(pa_context* c, const pa_sink_info* info, int eol, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    if (c != impl->context || !impl->serverInfoPending)
        return;
    if (eol == 0 && info && info->sample_spec.rate > 0)
        impl->serverRate = info->sample_spec.rate;
    else if (eol == 0)
        return;
    else if (impl->serverRate == 0)
        impl->serverRate = impl->serverDefaultRate;
    // The first entry settles it; the end-of-list call that follows finds nothing pending.
    impl->serverInfoPending = false;
    impl->kick();
}

void LoopedSound::Impl::onStreamState(pa_stream* s, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    if (s != impl->stream)
        return;
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(s)))
        impl->kick();
}

void LoopedSound::Impl::onStreamWrite(pa_stream* s, std::size_t bytes, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    if (s != impl->stream || !impl->resampler)
        return;
    impl->write(s, bytes);
}

LoopedSound::LoopedSound() : impl(std::make_unique<Impl>()) {}

LoopedSound::~LoopedSound() = default;

void LoopedSound::play(const QString& path)
{
    impl->play(path);
}

void LoopedSound::stop()
{
    impl->stop();
}

bool LoopedSound::isStreaming() const
{
    return impl->isStreaming();
}

} // namespace Platform
