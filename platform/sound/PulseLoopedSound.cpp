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
//
// Every stream rises from silence (StreamFeed). When a sound ends (stop(), a new play(),
// the player's end) its stream is not cut off: it fades. The server is asked where it
// reads, the frames from just beyond are written again, falling to silence, over what
// it holds, and the stream is dropped once that has been played.

#include "platform/LoopedSound.h"

#include "LoopResampler.h"
#include "StreamFeed.h"
#include "ToneLevel.h"
#include "WavReader.h"

#include <pulse/pulseaudio.h>

#include <QElapsedTimer>

#include <QThread>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
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
// The fade starts beyond what the server has read, after the period the server reads at
// a time (the device's latency) and this much more: the server goes on reading while the
// request travels.
constexpr pa_usec_t FadeGuardUsec = 2 * PA_USEC_PER_MSEC;
constexpr pa_usec_t LongestDevicePeriodUsec = 50 * PA_USEC_PER_MSEC;
// After this a fading stream goes whatever the server said (a server that stopped
// answering, say).
constexpr pa_usec_t FadeGiveUpUsec = 300 * PA_USEC_PER_MSEC;
// Beyond the fade as the server plays it, before the stream is dropped.
constexpr pa_usec_t FadeSlackUsec = 15 * PA_USEC_PER_MSEC;
// How much of what was given a stream remembers for its fade-out: more than the server
// ever holds of it.
constexpr double RememberedSeconds = 1.0;
// The player's end waits for its fades this long at most.
constexpr int EndWaitMs = 400;
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

    void end();
    void play(const QString& path, LoopedSound::Headroom headroom);
    void stop();
    bool isStreaming() const { return streaming.load(std::memory_order_acquire); }
    std::uint32_t rateOfServer() const { return knownServerRate.load(std::memory_order_acquire); }
    double fadeHeardAfterMs() const { return lastFadeHeardAfterMs.load(std::memory_order_acquire); }

private:
    // A stream on its way out: fed no more, its last frames rewritten to fall to silence.
    struct Fading {
        Impl* owner = nullptr;
        pa_stream* stream = nullptr;
        std::unique_ptr<Sound::StreamFeed> feed;
        std::size_t frameBytes = 0;
        pa_operation* timing = nullptr; // the question where the server reads
        pa_time_event* end = nullptr;
        bool over = false;              // to be dropped at the next reconcile()
        std::chrono::steady_clock::time_point since; // stop()
    };

    // All below run with the mainloop lock held.
    void want(std::shared_ptr<const Sound::WavData> wav, float gain);
    void fadeOutStream();
    void writeFade(Fading* fading);
    void endFadeAfter(Fading* fading, pa_usec_t delay);
    void dropFading(Fading* fading);
    void sweepFading(bool all);
    void kick();
    void reconcile();
    void connect();
    void askRate();
    void settleRate(std::uint32_t rate);
    void openStream();
    void dropStream();
    void dropContext();
    void scheduleRetry();
    void cancelRetry();
    void write(pa_stream* s, std::size_t bytes);

    static void onKick(pa_mainloop_api*, pa_defer_event*, void* self);
    static void onRetry(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);
    static void onContextState(pa_context*, void* self);
    static void onServerEvent(pa_context*, pa_subscription_event_type_t, std::uint32_t, void* self);
    static void onServerInfo(pa_context*, const pa_server_info*, void* self);
    static void onSinkInfo(pa_context*, const pa_sink_info*, int eol, void* self);
    static void onStreamState(pa_stream*, void* self);
    static void onStreamWrite(pa_stream*, std::size_t bytes, void* self);
    static void onFadeTiming(pa_stream*, int success, void* fading);
    static void onFadeState(pa_stream*, void* fading);
    static void onFadeEnd(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* fading);

    pa_threaded_mainloop* mainloop = nullptr;
    pa_mainloop_api* api = nullptr;
    pa_defer_event* kickEvent = nullptr;

    // What the caller wants: a sound (null for silence), and a generation that every
    // play() and stop() advances.
    std::shared_ptr<const Sound::WavData> wanted;
    float wantedGain = Sound::OneToneGain;
    std::uint64_t wantedGeneration = 0;
    bool connectWanted = false;
    // The pending attempt to reach the server again, and how many failed in a row.
    pa_time_event* retryEvent = nullptr;
    unsigned failedAttempts = 0;

    pa_context* context = nullptr;
    QElapsedTimer contextAge;
    bool serverInfoPending = false;
    // The rate streams are opened at: the default sink's own rate, so that the server
    // need not resample again, or else the server's default rate. It is followed through
    // server and sink events: another default sink may run at another rate.
    std::uint32_t serverRate = 0;
    std::uint32_t serverDefaultRate = 0;
    std::uint32_t defaultSinkRate = 0; // of the answer under way
    bool followingServer = false;      // subscribed to its events
    bool rateAgain = false;            // an event came while the rate was being asked
    // The last rate a server gave, for callers on other threads; 0 until one answered.
    std::atomic<std::uint32_t> knownServerRate{0};
    bool onPipeWire = false;  // the server's name says so
    const Buffering& buffering() const
    {
        return onPipeWire ? PipeWireBuffering : PulseAudioBuffering;
    }
    std::atomic<double> lastFadeHeardAfterMs{-1};

    pa_stream* stream = nullptr;
    std::uint64_t streamGeneration = 0;
    // The generation a stream was last opened for; a stream that fails is not reopened
    // until the next play().
    std::uint64_t attemptedGeneration = 0;
    std::unique_ptr<Sound::StreamFeed> feed;
    std::size_t frameBytes = 0;
    std::optional<std::chrono::steady_clock::time_point> lastWrite; // the stream's last request
    std::vector<std::unique_ptr<Fading>> fading;

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
        return;
    }
    // The server's rate is asked for at once, before any sound: a tone it cannot
    // reproduce is then refused before it is written. Without a server this costs one
    // failed attempt and nothing more.
    pa_threaded_mainloop_lock(mainloop);
    connectWanted = true;
    kick();
    pa_threaded_mainloop_unlock(mainloop);
}

LoopedSound::Impl::~Impl()
{
    end();
}

void LoopedSound::Impl::end()
{
    if (!mainloop)
        return;
    pa_threaded_mainloop_lock(mainloop);
    wanted.reset();
    streaming.store(false, std::memory_order_release);
    // A sound that plays fades as at stop(), and the fades under way are heard out: the
    // end of the program is no click either.
    fadeOutStream();
    QElapsedTimer waited;
    waited.start();
    while (!fading.empty() && waited.elapsed() < EndWaitMs) {
        pa_threaded_mainloop_unlock(mainloop);
        QThread::msleep(2);
        pa_threaded_mainloop_lock(mainloop);
    }
    dropStream();
    sweepFading(true);
    dropContext();
    cancelRetry();
    api->defer_free(kickEvent);
    kickEvent = nullptr;
    pa_threaded_mainloop_unlock(mainloop);
    pa_threaded_mainloop_stop(mainloop);
    pa_threaded_mainloop_free(mainloop);
    mainloop = nullptr;
    api = nullptr;
}

void LoopedSound::Impl::play(const QString& path, LoopedSound::Headroom headroom)
{
    std::shared_ptr<const Sound::WavData> wav;
    if (auto parsed = Sound::readWavFile(path)) {
        Sound::removeLoopDc(*parsed);
        wav = std::make_shared<const Sound::WavData>(std::move(*parsed));
    }
    if (!mainloop)
        return;
    pa_threaded_mainloop_lock(mainloop);
    want(std::move(wav), Sound::gainFor(headroom));
    pa_threaded_mainloop_unlock(mainloop);
}

void LoopedSound::Impl::stop()
{
    if (!mainloop)
        return;
    pa_threaded_mainloop_lock(mainloop);
    want(nullptr, Sound::OneToneGain);
    pa_threaded_mainloop_unlock(mainloop);
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
    sweepFading(false);

    if (context && !PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) {
        // The server went away or never answered: silence, and try again later. The
        // stream of the same sound is opened again once a server answers.
        streaming.store(false, std::memory_order_release);
        dropStream();
        sweepFading(true);
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
    if (!context) {
        if (connectWanted)
            connect();
        if (!context && wanted)
            scheduleRetry();
        return;
    }
    if (pa_context_get_state(context) != PA_CONTEXT_READY)
        return;
    if (serverRate == 0) {
        if (!serverInfoPending && serverDefaultRate == 0)
            askRate();
        return;
    }
    // A new default sink's rate is on its way: the stream opens at that one.
    if (serverInfoPending)
        return;
    if (wanted && !stream && attemptedGeneration != wantedGeneration)
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
    followingServer = false;
    rateAgain = false;
    pa_context_set_state_callback(context, &Impl::onContextState, this);
    // Never spawn a server: without one the player stays silent.
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        kick(); // the failed context is dropped by the next reconcile()
}

void LoopedSound::Impl::openStream()
{
    attemptedGeneration = wantedGeneration;
    auto loop = Sound::LoopResampler::create(wanted, serverRate);
    if (!loop)
        return; // rates soxr cannot take: silence
    auto next = std::make_unique<Sound::StreamFeed>(
        std::move(loop), wantedGain, static_cast<std::size_t>(RememberedSeconds * serverRate));

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
    feed.reset();
}

void LoopedSound::Impl::fadeOutStream()
{
    // Only a stream that has sounded needs a fade; one still opening just goes.
    if (!stream || !feed || feed->framesGiven() == 0 || pa_stream_get_state(stream) != PA_STREAM_READY) {
        dropStream();
        return;
    }
    auto f = std::make_unique<Fading>();
    f->owner = this;
    f->stream = stream;
    f->feed = std::move(feed);
    f->frameBytes = frameBytes;
    f->since = std::chrono::steady_clock::now();
    lastFadeHeardAfterMs.store(-1, std::memory_order_release);
    stream = nullptr;
    Fading* raw = f.get();
    fading.push_back(std::move(f));

    pa_stream_set_write_callback(raw->stream, nullptr, nullptr);
    pa_stream_set_state_callback(raw->stream, &Impl::onFadeState, raw);
    endFadeAfter(raw, FadeGiveUpUsec);
    raw->timing = pa_stream_update_timing_info(raw->stream, &Impl::onFadeTiming, raw);
    if (!raw->timing)
        dropFading(raw);
}

void LoopedSound::Impl::onFadeTiming(pa_stream* s, int success, void* data)
{
    auto* f = static_cast<Fading*>(data);
    if (f->timing) {
        pa_operation_unref(f->timing);
        f->timing = nullptr;
    }
    if (f->over)
        return;
    const pa_timing_info* info = success ? pa_stream_get_timing_info(s) : nullptr;
    if (!info || info->read_index_corrupt || info->write_index_corrupt) {
        f->owner->dropFading(f);
        return;
    }
    Impl* impl = f->owner;
    const double rate = f->feed->rate();
    const auto framesIn = [rate](pa_usec_t usec) {
        return static_cast<std::int64_t>(rate * static_cast<double>(usec) / PA_USEC_PER_SEC);
    };
    // The server has read and played on since it answered, for as long as this thread
    // took to get to its answer: on a busy machine that may be longer than a period.
    const pa_usec_t answerAge = std::min(pa_timeval_age(&info->timestamp), FadeGiveUpUsec);
    const std::int64_t readAt = info->read_index / static_cast<std::int64_t>(f->frameBytes);
    const std::int64_t playedAt = readAt - framesIn(info->sink_usec) + framesIn(answerAge);
    const std::int64_t from = readAt + framesIn(std::min(info->configured_sink_usec, LongestDevicePeriodUsec)
                                                 + FadeGuardUsec + answerAge);
    std::int64_t startsAt = from;
    const std::vector<float> frames = f->feed->fadeOutFrom(from, startsAt);
    const std::size_t bytes = frames.size() * sizeof(float);
    if (pa_stream_write(s, frames.data(), bytes, nullptr, startsAt * static_cast<std::int64_t>(f->frameBytes),
                        PA_SEEK_ABSOLUTE) < 0) {
        impl->dropFading(f);
        return;
    }
    // Dropped once the server has played the fade: dropping earlier would let the server
    // take back the fade it had not yet played.
    const pa_usec_t fadeUsec = static_cast<pa_usec_t>(LoopedSound::FadeSeconds * PA_USEC_PER_SEC);
    const double aheadUsec = static_cast<double>(startsAt - playedAt) * PA_USEC_PER_SEC / rate;
    const pa_usec_t untilFade = aheadUsec > 0 ? static_cast<pa_usec_t>(aheadUsec) : 0;
    impl->endFadeAfter(f, std::min<pa_usec_t>(untilFade + info->transport_usec, FadeGiveUpUsec) + fadeUsec + FadeSlackUsec);
    const double sinceStopMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - f->since).count();
    impl->lastFadeHeardAfterMs.store(sinceStopMs + static_cast<double>(untilFade + fadeUsec) / PA_USEC_PER_MSEC,
                                     std::memory_order_release);
}

void LoopedSound::Impl::endFadeAfter(Fading* f, pa_usec_t delay)
{
    timeval when;
    pa_timeval_add(pa_gettimeofday(&when), delay);
    if (f->end)
        api->time_restart(f->end, &when);
    else
        f->end = api->time_new(api, &when, &Impl::onFadeEnd, f);
}

void LoopedSound::Impl::onFadeEnd(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* data)
{
    auto* f = static_cast<Fading*>(data);
    f->owner->dropFading(f);
}

void LoopedSound::Impl::onFadeState(pa_stream* s, void* data)
{
    auto* f = static_cast<Fading*>(data);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(s)))
        f->owner->kick(); // reconcile() has it go: not from inside its own callback
}

void LoopedSound::Impl::dropFading(Fading* f)
{
    // Deferred to the mainloop's next turn: this may run inside one of the stream's own
    // callbacks.
    f->over = true;
    kick();
}

void LoopedSound::Impl::sweepFading(bool all)
{
    std::erase_if(fading, [this, all](const std::unique_ptr<Fading>& f) {
        if (!all && !f->over && PA_STREAM_IS_GOOD(pa_stream_get_state(f->stream)))
            return false;
        if (f->timing) {
            pa_operation_cancel(f->timing);
            pa_operation_unref(f->timing);
        }
        if (f->end)
            api->time_free(f->end);
        pa_stream_set_state_callback(f->stream, nullptr, nullptr);
        if (PA_STREAM_IS_GOOD(pa_stream_get_state(f->stream)))
            pa_stream_disconnect(f->stream);
        pa_stream_unref(f->stream);
        return true;
    });
}

void LoopedSound::Impl::dropContext()
{
    if (!context)
        return;
    sweepFading(true); // its streams go with it
    pa_context* c = context;
    context = nullptr;
    serverRate = 0;
    serverDefaultRate = 0;
    serverInfoPending = false;
    followingServer = false;
    rateAgain = false;
    pa_context_set_state_callback(c, nullptr, nullptr);
    pa_context_set_subscribe_callback(c, nullptr, nullptr);
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
        feed->render(static_cast<float*>(data), frames);
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

// Asks the server for its default sink's rate, and from the first time on follows the
// changes of the server and its sinks; asks again after an answer when one came meanwhile.
void LoopedSound::Impl::askRate()
{
    if (serverInfoPending) {
        rateAgain = true;
        return;
    }
    if (!followingServer) {
        followingServer = true;
        pa_context_set_subscribe_callback(context, &Impl::onServerEvent, this);
        const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SINK);
        if (pa_operation* op = pa_context_subscribe(context, mask, nullptr, nullptr))
            pa_operation_unref(op);
    }
    rateAgain = false;
    if (pa_operation* op = pa_context_get_server_info(context, &Impl::onServerInfo, this)) {
        serverInfoPending = true;
        pa_operation_unref(op);
    }
}

void LoopedSound::Impl::settleRate(std::uint32_t rate)
{
    serverInfoPending = false;
    // No answer keeps the rate known before.
    if (rate > 0 || serverRate == 0) {
        serverRate = rate;
        knownServerRate.store(rate, std::memory_order_release);
    }
    if (rateAgain)
        askRate();
    kick();
}

void LoopedSound::Impl::onServerEvent(pa_context* c, pa_subscription_event_type_t, std::uint32_t, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    if (c == impl->context && pa_context_get_state(c) == PA_CONTEXT_READY)
        impl->askRate();
}

void LoopedSound::Impl::onServerInfo(pa_context* c, const pa_server_info* info, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    if (c != impl->context)
        return;
    impl->serverDefaultRate = info ? info->sample_spec.rate : 0;
    impl->onPipeWire = info && info->server_name && std::strstr(info->server_name, "PipeWire");
    impl->defaultSinkRate = 0;
    pa_operation* op = nullptr;
    if (info && info->default_sink_name && *info->default_sink_name)
        op = pa_context_get_sink_info_by_name(c, info->default_sink_name, &Impl::onSinkInfo, self);
    if (op) {
        pa_operation_unref(op);
        return;
    }
    impl->settleRate(impl->serverDefaultRate);
}

void LoopedSound::Impl::onSinkInfo(pa_context* c, const pa_sink_info* info, int eol, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    if (c != impl->context || !impl->serverInfoPending)
        return;
    if (eol == 0) {
        if (info && info->sample_spec.rate > 0)
            impl->defaultSinkRate = info->sample_spec.rate;
        return;
    }
    // The end of the answer, or an error (the sink went meanwhile).
    impl->settleRate(impl->defaultSinkRate > 0 ? impl->defaultSinkRate : impl->serverDefaultRate);
}

void LoopedSound::Impl::onStreamState(pa_stream* s, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    if (s != impl->stream)
        return;
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (!PA_STREAM_IS_GOOD(state))
        impl->kick();
}

void LoopedSound::Impl::onStreamWrite(pa_stream* s, std::size_t bytes, void* self)
{
    auto* impl = static_cast<Impl*>(self);
    if (s != impl->stream || !impl->feed)
        return;
    // Asked again only after longer than the server holds: it ran dry meanwhile (this
    // process was stopped, or the machine stalled), and what follows the gap rises from
    // silence. The server's own underflow notice comes after the requests made before it.
    const auto now = std::chrono::steady_clock::now();
    if (impl->lastWrite && now - *impl->lastWrite > std::chrono::microseconds(impl->buffering().targetUsec))
        impl->feed->riseAgain();
    impl->lastWrite = now;
    impl->write(s, bytes);
}

LoopedSound::LoopedSound() : impl(std::make_unique<Impl>()) {}

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
