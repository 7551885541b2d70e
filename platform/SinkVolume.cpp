#include "platform/SinkVolume.h"

#include "platform/sound/SoundServerConnection.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

namespace Platform {

namespace {

constexpr auto FlushTimeout = std::chrono::milliseconds(1000);

// The front left (right) channel by the sink's map, else its first (second); a mono
// sink's only channel for both.
unsigned channelOf(const pa_channel_map& map, pa_channel_position_t position, unsigned otherwise)
{
    const auto* found = std::find(map.map, map.map + map.channels, position);
    return found != map.map + map.channels ? static_cast<unsigned>(found - map.map) : std::min(otherwise, map.channels - 1u);
}

} // namespace

// All state lives under the connection's lock; callbacks run on its mainloop's thread,
// and only there are the signals emitted.
//
// The sink followed is the one the tone's stream plays on while it plays (wherever a
// mixer has moved it), else the default sink. A read asks where the tone's stream plays,
// then for that sink's volume; every change the connection reports asks again. A write
// sets the volume of the sink last read, then reads it back. While a write is under way
// reads are not reported: they may show the volume from before it.
class SinkVolume::Impl final : public SoundServerConnection::Listener {
public:
    Impl(SinkVolume& owner, SoundServerConnection& server) : owner(owner), server(server) {}

    ~Impl()
    {
        const std::lock_guard lock(server);
        for (pa_operation** op : {&readOp, &writeOp}) {
            if (*op)
                pa_operation_cancel(*op);
            track(*op, nullptr);
        }
        if (started) {
            server.removeListener(this);
            server.release();
        }
    }

    void start()
    {
        const std::lock_guard lock(server);
        if (started)
            return;
        started = true;
        server.addListener(this);
        server.hold();
        server.connectNow();
    }

    void set(std::uint32_t word)
    {
        const std::lock_guard lock(server);
        // Without a server there is no volume to change: a word kept for a server that
        // appears later would overwrite a volume nobody has seen.
        if (!started || !server.readyContext())
            return;
        pending = word;
        noteWriting();
        startWrite();
    }

    bool isWriting() const { return writingNow.load(std::memory_order_acquire); }

    void flush()
    {
        std::unique_lock lock(server);
        const auto deadline = std::chrono::steady_clock::now() + FlushTimeout;
        while (isWriting() && std::chrono::steady_clock::now() < deadline) {
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            lock.lock();
        }
    }

private:
    struct Sink {
        std::uint32_t index;
        pa_cvolume volume;
        pa_channel_map map;
    };

    // Kept so that the destructor can cancel what is under way.
    static void track(pa_operation*& slot, pa_operation* op)
    {
        if (slot)
            pa_operation_unref(slot);
        slot = op;
    }

    void serverChanged() override
    {
        if (!server.readyContext()) {
            lose();
            return;
        }
        requestRead();
    }

    // The server is gone: what was about to be written goes with it (the slider is shown
    // the next server's volume instead), and the volume is unknown until it returns.
    void lose()
    {
        pending.reset();
        writing = reading = readAgain = readBackDue = false;
        noteWriting();
        report(std::nullopt);
    }

    void requestRead()
    {
        if (reading) {
            readAgain = true; // what the read in flight saw may already be old
            return;
        }
        reading = true;
        readAgain = false;
        followed.reset();
        toneSink.reset();
        const std::uint32_t tone = server.toneStream();
        pa_operation* op = tone == PA_INVALID_INDEX
            ? nullptr
            : pa_context_get_sink_input_info(server.readyContext(), tone, &Impl::onToneStream, this);
        track(readOp, op);
        if (!op)
            askSink(server.readyContext());
    }

    // An error (no such stream: the tone is over) ends the answer too.
    static void onToneStream(pa_context* c, const pa_sink_input_info* info, int eol, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        if (eol == 0)
            impl->toneSink = info->sink;
        else
            impl->askSink(c);
    }

    void askSink(pa_context* c)
    {
        pa_operation* op = toneSink ? pa_context_get_sink_info_by_index(c, *toneSink, &Impl::onSink, this)
                                    : pa_context_get_sink_info_by_name(c, "@DEFAULT_SINK@", &Impl::onSink, this);
        track(readOp, op);
        if (!op)
            finishRead();
    }

    static void onSink(pa_context*, const pa_sink_info* info, int, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        if (info)
            impl->followed = Sink {info->index, info->volume, info->channel_map};
        else
            impl->finishRead(); // the end of the answer, or an error: no sink to show or set
    }

    void finishRead()
    {
        reading = false;
        startWrite(); // to the sink just read; it reads back when it is done
        if (readAgain) {
            requestRead();
            return;
        }
        if (pending || writing || reading)
            return;
        readBackDue = false;
        noteWriting();
        report(followed ? std::optional(wordOf(*followed)) : std::nullopt);
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

    static std::uint32_t wordOf(const Sink& sink)
    {
        if (sink.volume.channels == 0)
            return 0;
        const auto channel = [&](pa_channel_position_t position, unsigned otherwise) {
            return static_cast<std::uint32_t>(fromServerVolume(sink.volume.values[channelOf(sink.map, position, otherwise)]));
        };
        return channel(PA_CHANNEL_POSITION_FRONT_LEFT, 0) | channel(PA_CHANNEL_POSITION_FRONT_RIGHT, 1) << 16;
    }

    // Waits for a read under way, which says which sink the user sees.
    void startWrite()
    {
        if (writing || reading || !pending)
            return;
        pa_context* c = server.readyContext();
        pa_operation* op = nullptr;
        if (c && followed && followed->volume.channels > 0) {
            pa_cvolume volume = followed->volume;
            // The right channel first: a mono sink's only channel takes the left.
            volume.values[channelOf(followed->map, PA_CHANNEL_POSITION_FRONT_RIGHT, 1)] = toServerVolume(static_cast<std::uint16_t>(*pending >> 16));
            volume.values[channelOf(followed->map, PA_CHANNEL_POSITION_FRONT_LEFT, 0)] = toServerVolume(static_cast<std::uint16_t>(*pending & 0xFFFF));
            op = pa_context_set_sink_volume_by_index(c, followed->index, &volume, &Impl::onWritten, this);
        }
        pending.reset();
        track(writeOp, op);
        writing = op != nullptr;
        if (!op)
            writeDone();
    }

    static void onWritten(pa_context*, int, void* self)
    {
        static_cast<Impl*>(self)->writeDone();
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
    SoundServerConnection& server;
    bool started = false;

    std::optional<std::uint32_t> pending;
    bool writing = false;     // the set request has been sent
    bool readBackDue = false; // a write is done; its read-back has not been reported yet
    std::atomic<bool> writingNow {false};
    pa_operation* writeOp = nullptr;

    bool reading = false;
    bool readAgain = false;
    std::optional<std::uint32_t> toneSink;
    std::optional<Sink> followed; // the sink last read
    pa_operation* readOp = nullptr;
    bool known = false; // the last report was a volume, not "unavailable"
};

SinkVolume::SinkVolume(SoundServerConnection& server, QObject* parent)
    : QObject(parent), impl(std::make_unique<Impl>(*this, server))
{
}
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
