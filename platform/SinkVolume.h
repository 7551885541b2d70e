#pragma once

#include "platform/sound/SoundServerConnection.h"

#include <QObject>

#include <pulse/volume.h>

#include <atomic>
#include <cstdint>
#include <optional>

struct pa_operation;
struct pa_sink_info;
struct pa_sink_input_info;

namespace Platform {

// The sound card's volume as the slider counts it, one 16-bit channel: 0 is silent, 65535
// normal volume (louder than normal reads 65535). Reading takes the front-left channel of
// the sink this process's tone plays on, or of the default sink while none plays; writing
// sets front left and right alike. Followed live, as desktop mixers follow it: whoever
// changes it, whichever sink becomes the default and wherever a mixer moves the tone.
// Nothing here waits for the server: all of it happens on the connection's thread.
class SinkVolume final : public QObject, private SoundServerConnection::Listener {
    Q_OBJECT
public:
    // On the process's connection, which outlives it.
    explicit SinkVolume(SoundServerConnection& server, QObject* parent = nullptr);
    ~SinkVolume() override;

    // Connects and follows the volume from now on; connect to the signals first.
    void start();
    // Returns at once; rapid calls are coalesced, the last wins. Without a server it does nothing.
    void set(int value);
    // True from a set() until the volume has been read back after it: a value reported
    // meanwhile may predate that write.
    bool isWriting() const { return writing.load(std::memory_order_acquire); }

    static std::uint32_t toServerVolume(std::uint16_t value);
    static std::uint16_t fromServerVolume(std::uint32_t volume);

signals:
    // Emitted from the connection's thread, so receivers in the window get it queued.
    void changed(int value);
    // No server answers, or it has no sink: the volume is unknown until changed().
    void unavailable();

private:
    struct Sink {
        std::uint32_t index;
        pa_cvolume volume;
        unsigned left, right; // the channels of volume shown and set
    };

    void serverChanged() override;
    void read();
    void readSink(std::uint32_t index);
    void readDone();
    void write();
    void writeDone();
    void report(std::optional<int> value);
    static void onToneStream(pa_context*, const pa_sink_input_info* info, int eol, void* self);
    static void onSink(pa_context*, const pa_sink_info* info, int eol, void* self);

    SoundServerConnection& server;
    bool started = false;
    std::optional<int> pending; // set, not yet sent
    std::atomic<bool> writing {false};
    pa_operation* writeOp = nullptr;
    pa_operation* readOp = nullptr;
    bool readAgain = false; // what the read in flight sees may already be old
    std::optional<Sink> followed; // the sink last read
    bool known = false;           // the last report was a volume, not "unavailable"
};

} // namespace Platform
