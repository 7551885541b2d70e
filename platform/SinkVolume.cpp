#include "platform/SinkVolume.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <mutex>

namespace Platform {

namespace {

// The front left (right) channel by the sink's map, else its first (second); a mono
// sink's only channel for both.
unsigned channelOf(const pa_channel_map& map, pa_channel_position_t position, unsigned otherwise)
{
    const auto* found = std::find(map.map, map.map + map.channels, position);
    return found != map.map + map.channels ? static_cast<unsigned>(found - map.map) : std::min(otherwise, map.channels - 1u);
}

void replace(pa_operation*& slot, pa_operation* op)
{
    if (slot)
        pa_operation_unref(slot);
    slot = op;
}

void cancel(pa_operation*& op)
{
    if (op)
        pa_operation_cancel(op);
    replace(op, nullptr);
}

} // namespace

// All below runs with the connection's lock held, the callbacks on its thread. A read asks
// where the tone's stream plays, then for that sink's volume; every change the connection
// reports asks again. A write sets the sink last read, then reads it back; while a write is
// under way reads are not reported, since they may show the volume from before it.
SinkVolume::SinkVolume(SoundServerConnection& server, QObject* parent) : QObject(parent), server(server) {}

SinkVolume::~SinkVolume()
{
    const std::lock_guard lock(server);
    cancel(readOp);
    cancel(writeOp);
    if (started) {
        server.removeListener(this);
        server.release();
    }
}

void SinkVolume::start()
{
    const std::lock_guard lock(server);
    if (std::exchange(started, true))
        return;
    server.addListener(this);
    server.hold();
    server.connectNow();
}

void SinkVolume::set(int value)
{
    const std::lock_guard lock(server);
    // A value kept for a server that appears later would overwrite a volume nobody has seen.
    if (!started || !server.readyContext())
        return;
    pending = value;
    writing.store(true, std::memory_order_release);
    write();
}

void SinkVolume::serverChanged()
{
    if (server.readyContext()) {
        read();
        return;
    }
    // The server is gone, and what was about to be written with it.
    cancel(readOp);
    cancel(writeOp);
    pending.reset();
    readAgain = false;
    followed.reset();
    writing.store(false, std::memory_order_release);
    report(std::nullopt);
}

void SinkVolume::read()
{
    if (readOp) {
        readAgain = true;
        return;
    }
    followed.reset();
    const std::uint32_t tone = server.toneStream;
    if (tone != PA_INVALID_INDEX)
        readOp = pa_context_get_sink_input_info(server.readyContext(), tone, &SinkVolume::onToneStream, this);
    if (!readOp)
        readSink(PA_INVALID_INDEX);
}

// An error (no such stream: the tone is over) reads the default sink.
void SinkVolume::onToneStream(pa_context*, const pa_sink_input_info* info, int eol, void* self)
{
    if (eol <= 0)
        static_cast<SinkVolume*>(self)->readSink(info ? info->sink : PA_INVALID_INDEX);
}

void SinkVolume::readSink(std::uint32_t index)
{
    pa_context* c = server.readyContext();
    replace(readOp, index != PA_INVALID_INDEX ? pa_context_get_sink_info_by_index(c, index, &SinkVolume::onSink, this)
                                              : pa_context_get_sink_info_by_name(c, "@DEFAULT_SINK@", &SinkVolume::onSink, this));
    if (!readOp)
        readDone();
}

// The end of the answer, or an error, comes without a sink.
void SinkVolume::onSink(pa_context*, const pa_sink_info* info, int, void* self)
{
    auto* volume = static_cast<SinkVolume*>(self);
    if (!info) {
        volume->readDone();
        return;
    }
    volume->followed = Sink {info->index, info->volume, channelOf(info->channel_map, PA_CHANNEL_POSITION_FRONT_LEFT, 0),
                             channelOf(info->channel_map, PA_CHANNEL_POSITION_FRONT_RIGHT, 1)};
}

void SinkVolume::readDone()
{
    replace(readOp, nullptr);
    write(); // a set() that waited for this read goes to the sink it named
    if (std::exchange(readAgain, false))
        read();
    if (readOp || writeOp)
        return;
    writing.store(false, std::memory_order_release);
    report(followed ? std::optional<int>(fromServerVolume(followed->volume.values[followed->left])) : std::nullopt);
}

// Waits for a read under way, which says which sink the user sees.
void SinkVolume::write()
{
    if (!pending || writeOp || readOp)
        return;
    if (followed) {
        pa_cvolume volume = followed->volume;
        volume.values[followed->left] = volume.values[followed->right] = toServerVolume(static_cast<std::uint16_t>(*pending));
        writeOp = pa_context_set_sink_volume_by_index(server.readyContext(), followed->index, &volume,
                                                      [](pa_context*, int, void* self) { static_cast<SinkVolume*>(self)->writeDone(); }, this);
    }
    pending.reset();
    if (!writeOp)
        writeDone();
}

void SinkVolume::writeDone()
{
    replace(writeOp, nullptr);
    if (pending)
        write(); // a newer value that came meanwhile
    else
        read();
}

void SinkVolume::report(std::optional<int> value)
{
    if (value) {
        known = true;
        emit changed(*value);
    } else if (std::exchange(known, false)) {
        emit unavailable();
    }
}

std::uint32_t SinkVolume::toServerVolume(std::uint16_t value)
{
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(value) * PA_VOLUME_NORM + 32767) / 65535);
}

std::uint16_t SinkVolume::fromServerVolume(std::uint32_t volume)
{
    if (volume >= PA_VOLUME_NORM)
        return 65535;
    return static_cast<std::uint16_t>((static_cast<std::uint64_t>(volume) * 65535 + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM);
}

} // namespace Platform
