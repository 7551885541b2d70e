#pragma once

#include "StreamFeed.h"

#include "SoundServerConnection.h"

#include <atomic>
#include <cstdint>
#include <chrono>
#include <memory>

struct pa_mainloop_api;
struct pa_operation;
struct pa_stream;
struct pa_time_event;

namespace Platform::Sound {

// A stream on its way out: fed no more. The server is asked where it reads, the frames
// from just beyond are written again, falling to silence, over what it holds, and the
// stream is over once that has been played.
class FadingStream {
public:
    // Takes the stream (and its reference) and its feed. The server's listeners are told,
    // from one of the stream's callbacks, once it is over; heardAfterMs is then set to how
    // long after now the server plays the end of the fade.
    // askedSinkUsec: the sink's period the stream asked for; 0 where no sink rewinds.
    FadingStream(SoundServerConnection& server, pa_stream* stream, std::unique_ptr<StreamFeed> feed,
                 std::uint64_t askedSinkUsec, std::atomic<double>& heardAfterMs);
    // Drops the stream, whether it is over or not.
    ~FadingStream();

    bool isOver() const;

private:
    static void onTiming(pa_stream* stream, int success, void* self);
    static void onState(pa_stream* stream, void* self);
    static void onEnd(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);
    void endAfter(std::uint64_t usec);
    void finish();

    SoundServerConnection& server;
    pa_stream* stream;
    std::unique_ptr<StreamFeed> feed;
    const std::uint64_t askedSinkUsec;
    std::atomic<double>& heardAfterMs;
    pa_operation* timing = nullptr; // the question where the server reads
    pa_time_event* end = nullptr;
    bool over = false;
    std::chrono::steady_clock::time_point since = std::chrono::steady_clock::now();
};

// Drops a stream and its reference, silencing its callbacks first.
void closeStream(pa_stream* stream);

} // namespace Platform::Sound
