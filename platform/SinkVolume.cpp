#include "platform/SinkVolume.h"

#include "platform/sound/SoundServerConnection.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

namespace Platform {

namespace {

constexpr auto FlushTimeout = std::chrono::milliseconds(1000);

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

// All server state lives under the connection's lock; callbacks run on its mainloop's
// thread, and only there are the signals emitted.
//
// The sink followed is the one the tone's stream plays on while it plays (wherever a
// mixer has moved it), else the default sink. A read asks where the tone's stream plays,
// then for that sink's volume; every change the connection reports asks again (a volume
// changed elsewhere, a stream moved, a new default sink). A write looks for the sink the
// same way and sets its volume, then reads it back. While a write is under way reads are
// not reported: they may show the volume from before it.
class SinkVolume::Impl : public SoundServerConnection::Listener {
public:
    Impl(SinkVolume& owner, SoundServerConnection& server) : owner(owner), server(server) {}

    ~Impl()
    {
        const std::lock_guard lock(server);
        for (SinkQuery* query : {&readQuery, &writeQuery}) {
            if (query->operation)
                pa_operation_cancel(query->operation);
            track(*query, nullptr);
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
    // One look for the sink followed, then what is done with it.
    struct SinkQuery {
        Impl* impl;
        pa_sink_info_cb_t then;
        pa_operation* operation = nullptr; // under way, cancelled should this go first
        std::optional<std::uint32_t> sink;
    };

    static void track(SinkQuery& query, pa_operation* operation)
    {
        if (query.operation)
            pa_operation_unref(query.operation);
        query.operation = operation;
    }

    void serverChanged() override
    {
        if (!server.readyContext()) {
            lose();
            return;
        }
        requestRead();
        startWrite();
    }

    // The server is gone: what was about to be written goes with it (the slider is shown
    // the next server's volume instead), and the volume is unknown until it returns.
    void lose()
    {
        pending.reset();
        writing = setInFlight = reading = readAgain = readBackDue = false;
        noteWriting();
        report(std::nullopt);
    }

    void lookUpSink(SinkQuery& query)
    {
        query.sink.reset();
        pa_context* c = server.readyContext();
        pa_operation* op = server.toneStream() == PA_INVALID_INDEX
            ? nullptr
            : pa_context_get_sink_input_info(c, server.toneStream(), &Impl::onToneStream, &query);
        track(query, op);
        if (!op)
            askSink(c, query);
    }

    // An error (no such stream: the tone is over) ends the list as well.
    static void onToneStream(pa_context* c, const pa_sink_input_info* info, int eol, void* data)
    {
        auto& query = *static_cast<SinkQuery*>(data);
        if (eol == 0 && info)
            query.sink = info->sink;
        else if (eol != 0)
            query.impl->askSink(c, query);
    }

    void askSink(pa_context* c, SinkQuery& query)
    {
        pa_operation* op = query.sink ? pa_context_get_sink_info_by_index(c, *query.sink, query.then, this)
                                      : pa_context_get_sink_info_by_name(c, "@DEFAULT_SINK@", query.then, this);
        track(query, op);
        if (!op)
            query.then(c, nullptr, -1, this);
    }

    void requestRead()
    {
        if (reading) {
            readAgain = true; // what the read in flight saw may already be old
            return;
        }
        reading = true;
        readAgain = false;
        readResult.reset();
        lookUpSink(readQuery);
    }

    static void onSinkRead(pa_context*, const pa_sink_info* info, int, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        if (info)
            impl->readResult = readWord(info->volume, info->channel_map);
        else
            impl->finishRead(); // the end of the list, or an error: no sink to show or set
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
        if (writing || !pending)
            return;
        writing = true;
        lookUpSink(writeQuery);
    }

    static void onSinkForWrite(pa_context* c, const pa_sink_info* info, int, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        if (info) {
            if (impl->pending && !impl->setInFlight) {
                pa_cvolume volume = info->volume;
                applyWord(volume, info->channel_map, *impl->pending);
                impl->pending.reset();
                if (pa_operation* op = pa_context_set_sink_volume_by_index(c, info->index, &volume, &Impl::onWritten, impl)) {
                    impl->setInFlight = true;
                    track(impl->writeQuery, op);
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
    SoundServerConnection& server;
    bool started = false;

    std::optional<std::uint32_t> pending;
    bool writing = false;     // a write is under way (finding the sink, then setting it)
    bool setInFlight = false; // the set request itself has been sent
    bool readBackDue = false; // a write is done; its read-back has not been reported yet
    std::atomic<bool> writingNow {false};

    bool reading = false;
    bool readAgain = false;
    std::optional<std::uint32_t> readResult;
    SinkQuery readQuery {this, &Impl::onSinkRead, nullptr, std::nullopt};
    SinkQuery writeQuery {this, &Impl::onSinkForWrite, nullptr, std::nullopt};
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
