#include "platform/SinkVolume.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <optional>
#include <thread>

namespace Platform {

namespace {

constexpr auto AnswerTimeout = std::chrono::milliseconds(1000);
const char* const DefaultSink = "@DEFAULT_SINK@";

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

} // namespace

// All server state lives under the threaded main loop's lock; callbacks run on the
// loop's own thread.
class SinkVolume::Impl {
public:
    Impl() : loop(pa_threaded_mainloop_new())
    {
        if (loop && pa_threaded_mainloop_start(loop) < 0) {
            pa_threaded_mainloop_free(loop);
            loop = nullptr;
        }
    }

    ~Impl()
    {
        if (!loop)
            return;
        pa_threaded_mainloop_lock(loop);
        dropContext();
        pa_threaded_mainloop_unlock(loop);
        pa_threaded_mainloop_stop(loop);
        pa_threaded_mainloop_free(loop);
    }

    std::uint32_t get()
    {
        if (!loop)
            return 0;
        Locked lock(loop);
        if (!waitReady())
            return 0;
        answer.reset();
        const unsigned generation = ++readGeneration;
        pa_operation* op = pa_context_get_sink_info_by_name(context, DefaultSink, &Impl::onSinkRead, this);
        if (!op)
            return 0;
        pa_operation_unref(op);
        waitFor([&] { return answerGeneration == generation || !isReady(); });
        return answer.value_or(0);
    }

    void set(std::uint32_t word)
    {
        if (!loop)
            return;
        Locked lock(loop);
        pending = word;
        ensureContext();
        if (isReady())
            startWrite();
    }

    void flush()
    {
        if (!loop)
            return;
        Locked lock(loop);
        if (!waitReady())
            return;
        waitFor([&] { return (!pending && !writing) || !isReady(); });
    }

private:
    struct Locked {
        explicit Locked(pa_threaded_mainloop* l) : loop(l) { pa_threaded_mainloop_lock(loop); }
        ~Locked() { pa_threaded_mainloop_unlock(loop); }
        pa_threaded_mainloop* loop;
    };

    bool isReady() const { return context && pa_context_get_state(context) == PA_CONTEXT_READY; }

    void ensureContext()
    {
        if (context) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state != PA_CONTEXT_FAILED && state != PA_CONTEXT_TERMINATED)
                return;
            dropContext();
        }
        context = pa_context_new(pa_threaded_mainloop_get_api(loop), "Tinevox volume");
        if (!context)
            return;
        pa_context_set_state_callback(context, &Impl::onState, this);
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            dropContext();
    }

    void dropContext()
    {
        if (!context)
            return;
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
        writing = false;
        setInFlight = false;
    }

    // Waits, with the lock released now and then, until done() or the timeout.
    template <typename Done>
    bool waitFor(Done done)
    {
        const auto deadline = std::chrono::steady_clock::now() + AnswerTimeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            pa_threaded_mainloop_unlock(loop);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            pa_threaded_mainloop_lock(loop);
        }
        return true;
    }

    bool waitReady()
    {
        ensureContext();
        waitFor([&] {
            if (!context)
                return true;
            const pa_context_state_t state = pa_context_get_state(context);
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        });
        return isReady();
    }

    void startWrite()
    {
        if (writing || !pending)
            return;
        pa_operation* op = pa_context_get_sink_info_by_name(context, DefaultSink, &Impl::onSinkForWrite, this);
        if (!op)
            return;
        writing = true;
        pa_operation_unref(op);
    }

    static void onState(pa_context* c, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        if (pa_context_get_state(c) == PA_CONTEXT_READY)
            impl->startWrite();
        else if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(c)))
            impl->writing = impl->setInFlight = false;
    }

    static void onSinkRead(pa_context*, const pa_sink_info* info, int eol, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        if (info && !impl->answer)
            impl->answer = readWord(info->volume, info->channel_map);
        if (eol)
            impl->answerGeneration = impl->readGeneration;
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
        // End of the list. Without a default sink there is nothing to set.
        if (!impl->setInFlight) {
            impl->writing = false;
            impl->pending.reset();
        }
    }

    static void onWritten(pa_context*, int, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        impl->setInFlight = false;
        impl->writing = false;
        impl->startWrite(); // a newer value that arrived meanwhile
    }

    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    std::optional<std::uint32_t> pending;
    bool writing = false;     // a write is under way (reading the sink, then setting it)
    bool setInFlight = false; // the set request itself has been sent
    std::optional<std::uint32_t> answer;
    unsigned readGeneration = 0;
    unsigned answerGeneration = 0;
};

SinkVolume::SinkVolume() : impl(std::make_unique<Impl>()) {}
SinkVolume::~SinkVolume() = default;

std::uint32_t SinkVolume::get()
{
    return impl->get();
}

void SinkVolume::set(std::uint32_t word)
{
    impl->set(word);
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
