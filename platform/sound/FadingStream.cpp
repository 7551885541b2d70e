#include "FadingStream.h"

#include "platform/LoopedSound.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <vector>

namespace Platform::Sound {

namespace {

// A fade-out on a sink that rewinds starts this long after what the sink plays now: the
// request's way there and the sink's own rewind guard fit within it.
constexpr pa_usec_t RewindGuardUsec = 10 * PA_USEC_PER_MSEC;
// On any other sink the fade starts beyond what the server has read, after the period
// the server reads at a time (the device's latency) and this much more: the server goes
// on reading while the request travels.
constexpr pa_usec_t FadeGuardUsec = 2 * PA_USEC_PER_MSEC;
constexpr pa_usec_t LongestDevicePeriodUsec = 50 * PA_USEC_PER_MSEC;
// After this a fading stream goes whatever the server said (a server that stopped
// answering, say).
constexpr pa_usec_t FadeGiveUpUsec = 300 * PA_USEC_PER_MSEC;
// Beyond the fade as the server plays it, before the stream is dropped.
constexpr pa_usec_t FadeSlackUsec = 15 * PA_USEC_PER_MSEC;

} // namespace

FadingStream::FadingStream(SoundServerConnection& server, pa_stream* stream, std::unique_ptr<StreamFeed> feed,
                           std::uint64_t askedSinkUsec, std::atomic<double>& heardAfterMs)
    : server(server), stream(stream), feed(std::move(feed)), askedSinkUsec(askedSinkUsec), heardAfterMs(heardAfterMs)
{
    heardAfterMs.store(-1, std::memory_order_release);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_set_state_callback(stream, &FadingStream::onState, this);
    endAfter(FadeGiveUpUsec);
    timing = pa_stream_update_timing_info(stream, &FadingStream::onTiming, this);
    if (!timing)
        finish();
}

FadingStream::~FadingStream()
{
    if (timing) {
        pa_operation_cancel(timing);
        pa_operation_unref(timing);
    }
    if (end)
        server.api()->time_free(end);
    closeStream(stream);
}

bool FadingStream::isOver() const
{
    return over || !PA_STREAM_IS_GOOD(pa_stream_get_state(stream));
}

void FadingStream::onTiming(pa_stream* s, int success, void* self)
{
    auto* f = static_cast<FadingStream*>(self);
    if (f->timing) {
        pa_operation_unref(f->timing);
        f->timing = nullptr;
    }
    if (f->over)
        return;
    const pa_timing_info* info = success ? pa_stream_get_timing_info(s) : nullptr;
    if (!info || info->read_index_corrupt || info->write_index_corrupt) {
        f->finish();
        return;
    }
    const std::size_t frameBytes = pa_frame_size(pa_stream_get_sample_spec(s));
    const double rate = f->feed->rate();
    const auto framesIn = [rate](pa_usec_t usec) {
        return static_cast<std::int64_t>(rate * static_cast<double>(usec) / PA_USEC_PER_SEC);
    };
    // The server has read and played on since it answered, for as long as this thread
    // took to get to its answer: on a busy machine that may be longer than a period.
    const pa_usec_t answerAge = std::min(pa_timeval_age(&info->timestamp), FadeGiveUpUsec);
    const std::int64_t readAt = info->read_index / static_cast<std::int64_t>(frameBytes);
    const std::int64_t playedAt = readAt - framesIn(info->sink_usec) + framesIn(answerAge);
    // A sink that took the period asked for follows its streams' latencies, as the sinks
    // that rewind do (a sound card's, a null sink's); one that keeps a period of its own,
    // or that another stream holds at a shorter one, may not rewind.
    const pa_usec_t asked = f->askedSinkUsec;
    const bool rewinds = asked > LongestDevicePeriodUsec && info->configured_sink_usec + PA_USEC_PER_MSEC > asked
                         && info->configured_sink_usec < asked + PA_USEC_PER_MSEC;
    const std::int64_t from = rewinds ? playedAt + framesIn(RewindGuardUsec)
                                      : readAt + framesIn(std::min(info->configured_sink_usec, LongestDevicePeriodUsec)
                                                          + FadeGuardUsec + answerAge);
    std::int64_t startsAt = from;
    const std::vector<float> frames = f->feed->fadeOutFrom(from, startsAt);
    if (pa_stream_write(s, frames.data(), frames.size() * sizeof(float), nullptr,
                        startsAt * static_cast<std::int64_t>(frameBytes), PA_SEEK_ABSOLUTE) < 0) {
        f->finish();
        return;
    }
    // Dropped once the server has played the fade: dropping earlier would let the server
    // take back the fade it had not yet played.
    const pa_usec_t fadeUsec = static_cast<pa_usec_t>(LoopedSound::FadeSeconds * PA_USEC_PER_SEC);
    const double aheadUsec = static_cast<double>(startsAt - playedAt) * PA_USEC_PER_SEC / rate;
    const pa_usec_t untilFade = aheadUsec > 0 ? static_cast<pa_usec_t>(aheadUsec) : 0;
    f->endAfter(std::min<pa_usec_t>(untilFade + info->transport_usec, FadeGiveUpUsec) + fadeUsec + FadeSlackUsec);
    const double sinceStopMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - f->since).count();
    f->heardAfterMs.store(sinceStopMs + static_cast<double>(untilFade + fadeUsec) / PA_USEC_PER_MSEC,
                          std::memory_order_release);
}

void FadingStream::endAfter(pa_usec_t usec)
{
    timeval when;
    pa_timeval_add(pa_gettimeofday(&when), usec);
    if (end)
        server.api()->time_restart(end, &when);
    else
        end = server.api()->time_new(server.api(), &when, &FadingStream::onEnd, this);
}

void FadingStream::onEnd(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self)
{
    static_cast<FadingStream*>(self)->finish();
}

void FadingStream::onState(pa_stream* s, void* self)
{
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(s)))
        static_cast<FadingStream*>(self)->server.notify();
}

// The owner drops it at a turn of its own: this may run inside one of the stream's own
// callbacks.
void FadingStream::finish()
{
    over = true;
    server.notify();
}

void closeStream(pa_stream* stream)
{
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

} // namespace Platform::Sound
