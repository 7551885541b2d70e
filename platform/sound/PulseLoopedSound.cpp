// Platform::LoopedSound on Linux: a libpulse playback stream on the process's
// SoundServerConnection, fed by a LoopResampler that turns the WAV file into a seamless
// loop at the sound server's sample rate.
//
// play()/stop() read the file on the caller's thread and hand it over under the lock.
// libpulse callbacks only have the connection tell its listeners, at a turn of its own,
// and reconcile() then compares what is wanted with what exists: nothing is freed inside
// a callback of its own. While a sound is wanted the connection is held, so it comes back
// by itself with the server. Every stream rises from silence (StreamFeed) and ends in a
// fade (FadingStream).

#include "platform/LoopedSound.h"

#include "FadingStream.h"
#include "WavReader.h"

#include <pulse/pulseaudio.h>

#include <QElapsedTimer>
#include <QThread>

#include <mutex>

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
    constexpr pa_usec_t sinkUsec() const { return (targetUsec - 2 * minRequestUsec) / 2; }
};
// PulseAudio: a 200 ms period, as long as a media player's, and 400 ms more in the
// stream's queue to ride out a stalled machine. A fade-out on a sink that took that
// period is written where the sink plays now (FadingStream), and the sink rewinds what
// it rendered beyond.
constexpr Buffering PulseAudioBuffering {600 * PA_USEC_PER_MSEC, 100 * PA_USEC_PER_MSEC};
// A sink that does not take that period (one that keeps a period of its own, one that
// may not rewind and caps it) is asked for a 5 ms one instead: a fade is only heard after
// what the sink has rendered, and the period is then its own choice anyway.
constexpr Buffering ShortPeriodBuffering {200 * PA_USEC_PER_MSEC, 95 * PA_USEC_PER_MSEC};
// PipeWire takes the period as the quantum of its whole graph (a power of two in frames,
// rounded down) and rewinds nothing: 25 ms gives the graph's own default quantum, 1024
// frames, so that a fade is heard within it and no other program is woken more often
// than it would be anyway (20 ms gave 512 frames and twice the server's CPU); the rest
// of the buffer rides out a stalled machine.
constexpr Buffering PipeWireBuffering {300 * PA_USEC_PER_MSEC, 125 * PA_USEC_PER_MSEC};
// A stream plays once its first request is in: the server's own choice (the buffer less
// one request) can be more than its first request, when it counts the sink's period
// against the buffer, and the stream would wait for a sink that renders seconds ahead.
pa_buffer_attr bufferAttr(const Buffering& buffering, const pa_sample_spec& format)
{
    constexpr auto ServerChooses = static_cast<std::uint32_t>(-1);
    const auto bytesIn = [&](pa_usec_t usec) { return static_cast<std::uint32_t>(pa_usec_to_bytes(usec, &format)); };
    return {ServerChooses, bytesIn(buffering.targetUsec), bytesIn(buffering.minRequestUsec),
            bytesIn(buffering.minRequestUsec), ServerChooses};
}
const Buffering& bufferingOf(const SoundServerConnection& server, bool shortPeriod)
{
    return server.onPipeWire() ? PipeWireBuffering : shortPeriod ? ShortPeriodBuffering : PulseAudioBuffering;
}

// How much of what was given a stream remembers for its fade-out: more than the server
// ever holds of it.
constexpr double RememberedSeconds = 1.0;
// The player's end waits for its fades this long at most.
constexpr int EndWaitMs = 400;

} // namespace

LoopedSound::LoopedSound() : LoopedSound(*new SoundServerConnection)
{
    ownServer.reset(&server); // the connection made above is this player's own
}

LoopedSound::LoopedSound(SoundServerConnection& shared) : server(shared)
{
    const std::lock_guard lock(server);
    server.addListener(this);
}

LoopedSound::~LoopedSound()
{
    end();
}

void LoopedSound::end()
{
    std::unique_lock lock(server);
    if (ended)
        return;
    ended = true;
    if (std::exchange(wanted, nullptr))
        server.release();
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
}

void LoopedSound::play(const QString& path, Headroom headroom)
{
    std::shared_ptr<const Sound::WavData> wav;
    if (auto parsed = Sound::readWavFile(path)) {
        Sound::removeLoopDc(*parsed);
        wav = std::make_shared<const Sound::WavData>(std::move(*parsed));
    }
    const std::lock_guard lock(server);
    if (!ended)
        want(std::move(wav), headroom == Headroom::ForTwoTones ? Sound::TwoTonesGain : Sound::OneToneGain);
}

void LoopedSound::stop()
{
    const std::lock_guard lock(server);
    if (!ended)
        want(nullptr, Sound::OneToneGain);
}

void LoopedSound::want(std::shared_ptr<const Sound::WavData> wav, float gain)
{
    attempted = false;
    streaming.store(false, std::memory_order_release);
    // Silence at once: the old stream starts its fade now, not when the mainloop gets
    // round to it.
    fadeOutStream();
    if (bool(wav) != bool(wanted))
        wav ? server.hold() : server.release();
    wanted = std::move(wav);
    wantedGain = gain;
    // A request of the caller's own is tried at once; silence needs no server at all.
    if (wanted)
        server.connectNow();
    else
        server.notify();
}

void LoopedSound::reconcile()
{
    std::erase_if(fading, [](const auto& f) { return f->isOver(); });

    pa_context* context = server.readyContext();
    // want() has taken any older stream away: this one is the wanted sound's. Ended by the
    // server, it is opened again after the back-off; lost with its server, once it is back.
    if (stream && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
        streaming.store(false, std::memory_order_release);
        dropStream();
        attempted = false;
        if (context)
            server.retryLater();
    }
    // The same sound opens again once a server answers. A new default sink's rate may be on
    // its way: the stream opens at that one.
    if (!context)
        attempted = false;
    else if (wanted && !stream && !attempted && server.streamRate() > 0 && !server.retryPending())
        openStream(context);
}

void LoopedSound::openStream(pa_context* context)
{
    attempted = true;
    const std::uint32_t rate = server.streamRate();
    auto loop = Sound::LoopResampler::create(wanted, rate);
    if (!loop)
        return; // rates soxr cannot take: silence
    auto next = std::make_unique<Sound::StreamFeed>(
        std::move(loop), wantedGain, static_cast<std::size_t>(RememberedSeconds * rate));

    // The tone files are mono: the default map. A sample format the server cannot take gives no stream.
    const pa_sample_spec sampleSpec {PA_SAMPLE_FLOAT32NE, rate, 1};
    stream = pa_stream_new(context, "Tone", &sampleSpec, nullptr);
    if (!stream)
        return;
    feed = std::move(next);
    pa_stream_set_state_callback(stream, &LoopedSound::onStreamState, this);
    pa_stream_set_write_callback(stream, &LoopedSound::onStreamWrite, this);
    lastWrite.reset();
    shortPeriod = false;
    periodPending = !server.onPipeWire();

    const pa_buffer_attr attr = bufferAttr(bufferingOf(server, false), sampleSpec);
    if (pa_stream_connect_playback(stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0)
        dropStream();
}

void LoopedSound::dropStream()
{
    if (stream)
        Sound::closeStream(std::exchange(stream, nullptr));
    feed.reset();
}

void LoopedSound::fadeOutStream()
{
    // Only a stream that has sounded needs a fade; one still opening just goes.
    if (!stream || feed->framesGiven() == 0 || pa_stream_get_state(stream) != PA_STREAM_READY) {
        dropStream();
        return;
    }
    // PipeWire never rewinds.
    const pa_usec_t askedSinkUsec = server.onPipeWire() ? 0 : bufferingOf(server, shortPeriod).sinkUsec();
    fading.push_back(std::make_unique<Sound::FadingStream>(server, std::exchange(stream, nullptr), std::move(feed),
                                                           askedSinkUsec, fadeHeardAfterMs));
}

void LoopedSound::write(pa_stream* s, std::size_t bytes)
{
    streaming.store(true, std::memory_order_release);
    const std::size_t frameBytes = pa_frame_size(pa_stream_get_sample_spec(s));
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

void LoopedSound::onStreamState(pa_stream* s, void* self)
{
    auto* sound = static_cast<LoopedSound*>(self);
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (state == PA_STREAM_READY) {
        sound->server.toneStream = pa_stream_get_index(s);
        if (!sound->periodPending)
            return;
        if (pa_operation* op = pa_stream_update_timing_info(s, &LoopedSound::onStreamTiming, sound))
            pa_operation_unref(op);
        else
            onPeriodSettled(s, 0, sound);
    } else if (!PA_STREAM_IS_GOOD(state)) {
        sound->server.notify();
    }
}

// Whether the sink took the period asked for; if not, the short one is asked for.
void LoopedSound::onStreamTiming(pa_stream* s, int success, void* self)
{
    auto* sound = static_cast<LoopedSound*>(self);
    const pa_timing_info* info = success ? pa_stream_get_timing_info(s) : nullptr;
    if (s != sound->stream || !sound->periodPending)
        return;
    if (!info || info->configured_sink_usec + PA_USEC_PER_MSEC > PulseAudioBuffering.sinkUsec()) {
        onPeriodSettled(s, 1, self);
        return;
    }
    sound->shortPeriod = true;
    const pa_buffer_attr attr = bufferAttr(ShortPeriodBuffering, *pa_stream_get_sample_spec(s));
    if (pa_operation* op = pa_stream_set_buffer_attr(s, &attr, &LoopedSound::onPeriodSettled, sound))
        pa_operation_unref(op);
    else
        onPeriodSettled(s, 0, self);
}

void LoopedSound::onPeriodSettled(pa_stream* s, int, void* self)
{
    auto* sound = static_cast<LoopedSound*>(self);
    if (s != sound->stream || !sound->periodPending)
        return;
    sound->periodPending = false;
    const std::size_t writable = pa_stream_writable_size(s);
    if (writable != static_cast<std::size_t>(-1))
        sound->write(s, writable);
}

void LoopedSound::onStreamWrite(pa_stream* s, std::size_t bytes, void* self)
{
    auto* sound = static_cast<LoopedSound*>(self);
    if (sound->periodPending)
        return; // written once the period is settled
    // Asked again only after longer than the server holds: it ran dry meanwhile (this
    // process was stopped, or the machine stalled), and what follows the gap rises from
    // silence. The server's own underflow notice comes after the requests made before it.
    const auto now = std::chrono::steady_clock::now();
    if (sound->lastWrite && now - *sound->lastWrite > std::chrono::microseconds(bufferingOf(sound->server, sound->shortPeriod).targetUsec))
        sound->feed->riseAgain();
    sound->lastWrite = now;
    sound->write(s, bytes);
}

double LoopedSound::highestReproducibleFrequency() const
{
    constexpr std::uint32_t LowestDesktopRate = 44100;
    const std::uint32_t rate = server.lastKnownRate();
    return Sound::LoopResampler::PassbandEnd * (rate > 0 ? rate : LowestDesktopRate) / 2.0;
}

} // namespace Platform
