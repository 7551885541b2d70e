#include "platform/SinkVolume.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include <unistd.h>

namespace Platform {

namespace {

constexpr auto FlushTimeout = std::chrono::milliseconds(1000);
// How soon a lost or missing server is tried again: the slider comes back within this
// much of the server's return.
constexpr pa_usec_t RetryUsec = 500 * PA_USEC_PER_MSEC;
const char* const DefaultSink = "@DEFAULT_SINK@";

// The tone's stream is the sink input of this process: the player opens it on a
// connection of its own, so only the process identifies it.
bool isOwnStream(const pa_sink_input_info& info)
{
    static const std::string ownProcess = std::to_string(getpid());
    const char* process = pa_proplist_gets(info.proplist, PA_PROP_APPLICATION_PROCESS_ID);
    return process && ownProcess == process;
}

// Both channels of a stereo sink; the only channel of a mono one.
void applyWord(pa_cvolume& volume, const pa_channel_map& map, std::uint32_t word)
{
    const pa_volume_t left = SinkVolume::toServerVolume(static_cast<std::uint16_t>(word & 0xFFFF));
    const pa_volume_t right = SinkVolume::toServerVolume(static_cast<std::uint16_t>(word >> 16));
    if (volume.channels == 1) {
        volume.values[0] = left;
        return;
    }
    if (pa_channel_map_has_position(&map, PA_CHANNEL_POSITION_FRONT_LEFT))
        pa_cvolume_set_position(&volume, &map, PA_CHANNEL_POSITION_FRONT_LEFT, left);
    else
        volume.values[0] = left;
    if (pa_channel_map_has_position(&map, PA_CHANNEL_POSITION_FRONT_RIGHT))
        pa_cvolume_set_position(&volume, &map, PA_CHANNEL_POSITION_FRONT_RIGHT, right);
    else
        volume.values[1] = right;
}

std::uint32_t readWord(const pa_cvolume& volume, const pa_channel_map& map)
{
    if (volume.channels == 0)
        return 0;
    pa_volume_t left = volume.values[0];
    pa_volume_t right = volume.channels > 1 ? volume.values[1] : volume.values[0];
    if (pa_channel_map_has_position(&map, PA_CHANNEL_POSITION_FRONT_LEFT))
        left = pa_cvolume_get_position(&volume, &map, PA_CHANNEL_POSITION_FRONT_LEFT);
    if (pa_channel_map_has_position(&map, PA_CHANNEL_POSITION_FRONT_RIGHT))
        right = pa_cvolume_get_position(&volume, &map, PA_CHANNEL_POSITION_FRONT_RIGHT);
    return static_cast<std::uint32_t>(SinkVolume::fromServerVolume(left))
        | static_cast<std::uint32_t>(SinkVolume::fromServerVolume(right)) << 16;
}

// Where the tone's stream was found: its sink, and the stream itself.
struct ToneStream {
    std::optional<std::uint32_t> sink;
    std::uint32_t input = 0;
};

} // namespace

// All server state lives under the threaded main loop's lock; callbacks run on the
// loop's own thread, and only there are the signals emitted.
//
// The sink followed is the one the tone plays on while it plays (wherever a mixer has
// moved its stream), else the default sink. A read looks for the tone's stream, then
// asks for its sink's volume, or for the default sink and its volume; every sink, stream
// or server event asks again (a volume changed elsewhere, a stream moved, a new default
// sink). A write looks for the sink the same way and sets its volume, then reads it back.
// While a write is under way reads are not reported: they may show the volume from
// before it.
class SinkVolume::Impl {
public:
    explicit Impl(SinkVolume& owner) : owner(owner), loop(pa_threaded_mainloop_new())
    {
        if (!loop)
            return;
        pa_threaded_mainloop_set_name(loop, "tinevox-volume");
        api = pa_threaded_mainloop_get_api(loop);
    }

    void start()
    {
        if (!loop || started)
            return;
        started = true;
        connect(); // the loop does not run yet: nothing else touches the state
        if (pa_threaded_mainloop_start(loop) < 0) {
            cancelRetry();
            dropContext();
            pa_threaded_mainloop_free(loop);
            loop = nullptr;
        }
    }

    ~Impl()
    {
        if (!loop)
            return;
        if (!started) {
            pa_threaded_mainloop_free(loop);
            return;
        }
        pa_threaded_mainloop_lock(loop);
        cancelRetry();
        dropContext();
        pa_threaded_mainloop_unlock(loop);
        pa_threaded_mainloop_stop(loop);
        pa_threaded_mainloop_free(loop);
    }

    void set(std::uint32_t word)
    {
        if (!loop || !started)
            return;
        Locked lock(loop);
        // Without a server there is no volume to change: a word kept for a server that
        // appears later would overwrite a volume nobody has seen.
        if (!isReady())
            return;
        pending = word;
        noteWriting();
        startWrite();
    }

    bool isWriting() const { return writingNow.load(std::memory_order_acquire); }

    void flush()
    {
        if (!loop || !started)
            return;
        Locked lock(loop);
        const auto deadline = std::chrono::steady_clock::now() + FlushTimeout;
        while (isWriting() && std::chrono::steady_clock::now() < deadline) {
            pa_threaded_mainloop_unlock(loop);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            pa_threaded_mainloop_lock(loop);
        }
    }

private:
    struct Locked {
        explicit Locked(pa_threaded_mainloop* l) : loop(l) { pa_threaded_mainloop_lock(loop); }
        ~Locked() { pa_threaded_mainloop_unlock(loop); }
        pa_threaded_mainloop* loop;
    };

    bool isReady() const { return context && pa_context_get_state(context) == PA_CONTEXT_READY; }

    void connect()
    {
        context = pa_context_new(api, "Tinevox volume");
        if (!context) {
            scheduleRetry();
            return;
        }
        pa_context_set_state_callback(context, &Impl::onState, this);
        pa_context_set_subscribe_callback(context, &Impl::onServerEvent, this);
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            dropContext();
            scheduleRetry();
        }
    }

    void dropContext()
    {
        if (!context)
            return;
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_set_subscribe_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
    }

    void scheduleRetry()
    {
        if (retryEvent)
            return;
        timeval when;
        pa_timeval_add(pa_gettimeofday(&when), RetryUsec);
        retryEvent = api->time_new(api, &when, &Impl::onRetry, this);
    }

    void cancelRetry()
    {
        if (!retryEvent)
            return;
        api->time_free(retryEvent);
        retryEvent = nullptr;
    }

    // The context is replaced here, not in its own state callback.
    static void onRetry(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        impl->cancelRetry();
        impl->dropContext();
        impl->connect();
    }

    static void onState(pa_context* c, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        const pa_context_state_t state = pa_context_get_state(c);
        if (state == PA_CONTEXT_READY) {
            const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SINK_INPUT
                                                                  | PA_SUBSCRIPTION_MASK_SERVER);
            if (pa_operation* op = pa_context_subscribe(c, mask, nullptr, nullptr))
                pa_operation_unref(op);
            impl->requestRead();
            impl->startWrite();
        } else if (!PA_CONTEXT_IS_GOOD(state)) {
            impl->lose();
        }
    }

    // The server is gone: what was about to be written goes with it (the slider is shown
    // the next server's volume instead), and the volume is unknown until it returns.
    void lose()
    {
        pending.reset();
        writing = setInFlight = reading = readAgain = readBackDue = false;
        noteWriting();
        report(std::nullopt);
        scheduleRetry();
    }

    static void onServerEvent(pa_context*, pa_subscription_event_type_t, std::uint32_t, void* self)
    {
        static_cast<Impl*>(self)->requestRead();
    }

    void requestRead()
    {
        if (!isReady())
            return;
        if (reading) {
            readAgain = true; // what the read in flight saw may already be old
            return;
        }
        pa_operation* op = pa_context_get_sink_input_info_list(context, &Impl::onStreamForRead, this);
        if (!op)
            return;
        reading = true;
        readAgain = false;
        readResult.reset();
        readTone = {};
        pa_operation_unref(op);
    }

    // The newest stream of this process: a stream that fades out after a STOP or a new
    // tone goes within moments.
    static void noteToneStream(ToneStream& found, const pa_sink_input_info* info)
    {
        if (info && isOwnStream(*info) && (!found.sink || info->index > found.input)) {
            found.sink = info->sink;
            found.input = info->index;
        }
    }

    static void onStreamForRead(pa_context* c, const pa_sink_input_info* info, int eol, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        if (eol == 0) {
            noteToneStream(impl->readTone, info);
            return;
        }
        pa_operation* op = impl->readTone.sink ? pa_context_get_sink_info_by_index(c, *impl->readTone.sink, &Impl::onSinkRead, impl)
                                               : pa_context_get_server_info(c, &Impl::onServerInfo, impl);
        if (op)
            pa_operation_unref(op);
        else
            impl->finishRead();
    }

    static void onServerInfo(pa_context* c, const pa_server_info* info, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        pa_operation* op = nullptr;
        if (info && info->default_sink_name)
            op = pa_context_get_sink_info_by_name(c, info->default_sink_name, &Impl::onSinkRead, impl);
        if (op)
            pa_operation_unref(op);
        else
            impl->finishRead(); // no default sink: nothing to show or set
    }

    static void onSinkRead(pa_context*, const pa_sink_info* info, int, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        if (info)
            impl->readResult = readWord(info->volume, info->channel_map);
        else
            impl->finishRead(); // the end of the list, or an error
    }

    void finishRead()
    {
        reading = false;
        if (readAgain) {
            requestRead();
            return;
        }
        if (pending || writing)
            return; // the write reads back when it is done
        readBackDue = false;
        noteWriting();
        report(readResult);
    }

    void report(const std::optional<std::uint32_t>& word)
    {
        if (word) {
            known = true;
            emit owner.changed(*word);
        } else if (known) {
            known = false;
            emit owner.unavailable();
        }
    }

    void startWrite()
    {
        if (writing || !pending || !isReady())
            return;
        pa_operation* op = pa_context_get_sink_input_info_list(context, &Impl::onStreamForWrite, this);
        if (!op)
            return;
        writing = true;
        writeTone = {};
        pa_operation_unref(op);
    }

    static void onStreamForWrite(pa_context* c, const pa_sink_input_info* info, int eol, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        if (eol == 0) {
            noteToneStream(impl->writeTone, info);
            return;
        }
        pa_operation* op = impl->writeTone.sink
            ? pa_context_get_sink_info_by_index(c, *impl->writeTone.sink, &Impl::onSinkForWrite, impl)
            : pa_context_get_sink_info_by_name(c, DefaultSink, &Impl::onSinkForWrite, impl);
        if (op) {
            pa_operation_unref(op);
            return;
        }
        impl->pending.reset();
        impl->writeDone();
    }

    static void onSinkForWrite(pa_context* c, const pa_sink_info* info, int, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        if (info) {
            if (impl->pending && !impl->setInFlight) {
                pa_cvolume volume = info->volume;
                applyWord(volume, info->channel_map, *impl->pending);
                impl->pending.reset();
                pa_operation* op = pa_context_set_sink_volume_by_index(c, info->index, &volume, &Impl::onWritten, impl);
                if (op) {
                    impl->setInFlight = true;
                    pa_operation_unref(op);
                }
            }
            return;
        }
        // End of the list. Without a sink there is nothing to set.
        if (!impl->setInFlight) {
            impl->pending.reset();
            impl->writeDone();
        }
    }

    static void onWritten(pa_context*, int, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        impl->setInFlight = false;
        impl->writeDone();
    }

    void writeDone()
    {
        writing = false;
        if (pending) {
            startWrite(); // a newer value that arrived meanwhile
            return;
        }
        readBackDue = true;
        noteWriting();
        requestRead();
    }

    void noteWriting() { writingNow.store(pending || writing || readBackDue, std::memory_order_release); }

    SinkVolume& owner;
    pa_threaded_mainloop* loop = nullptr;
    pa_mainloop_api* api = nullptr;
    pa_context* context = nullptr;
    pa_time_event* retryEvent = nullptr;
    bool started = false;

    std::optional<std::uint32_t> pending;
    bool writing = false;     // a write is under way (reading the sink, then setting it)
    bool setInFlight = false; // the set request itself has been sent
    bool readBackDue = false; // a write is done; its read-back has not been reported yet
    std::atomic<bool> writingNow {false};

    bool reading = false;
    bool readAgain = false;
    std::optional<std::uint32_t> readResult;
    ToneStream readTone;
    ToneStream writeTone;
    bool known = false; // the last report was a volume, not "unavailable"
};

SinkVolume::SinkVolume(QObject* parent) : QObject(parent), impl(std::make_unique<Impl>(*this)) {}
SinkVolume::~SinkVolume() = default;

void SinkVolume::start()
{
    impl->start();
}

void SinkVolume::set(std::uint32_t word)
{
    impl->set(word);
}

bool SinkVolume::isWriting() const
{
    return impl->isWriting();
}

void SinkVolume::flush()
{
    impl->flush();
}

std::uint32_t SinkVolume::toServerVolume(std::uint16_t channel)
{
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(channel) * PA_VOLUME_NORM + 32767) / 65535);
}

std::uint16_t SinkVolume::fromServerVolume(std::uint32_t volume)
{
    if (volume >= PA_VOLUME_NORM)
        return 65535;
    return static_cast<std::uint16_t>((static_cast<std::uint64_t>(volume) * 65535 + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM);
}

} // namespace Platform
