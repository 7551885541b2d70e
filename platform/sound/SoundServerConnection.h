#pragma once

#include <QElapsedTimer>

#include <atomic>
#include <cstdint>
#include <vector>

struct pa_context;
struct pa_defer_event;
struct pa_mainloop_api;
struct pa_threaded_mainloop;
struct pa_time_event;

namespace Platform {

// The process's one connection to the sound server, shared by its player and its volume:
// a libpulse context on a threaded mainloop of its own, which follows the server's
// default sink and tells its listeners of every change.
//
// Nothing here waits for the server. Without one it tries once; while someone holds it,
// a lost or missing server is tried again with a back-off, so that all comes back by
// itself when the server returns. It never spawns a server.
//
// Lockable: everything below runs with the mainloop's lock held, which its callbacks
// and listeners already hold.
class SoundServerConnection {
public:
    // Told on the mainloop's thread, at a turn of its own (never inside a libpulse
    // callback): the connection came up or went, the default sink was read again, a
    // retry is due, or the server reports a change of a sink, a stream or itself.
    class Listener {
    public:
        virtual void serverChanged() = 0;

    protected:
        ~Listener() = default;
    };

    SoundServerConnection();
    ~SoundServerConnection();
    SoundServerConnection(const SoundServerConnection&) = delete;
    SoundServerConnection& operator=(const SoundServerConnection&) = delete;

    void lock();
    void unlock();

    void addListener(Listener* listener);
    void removeListener(Listener* listener);
    // While held, a lost or missing server is tried again with the back-off.
    void hold();
    void release();
    // A caller's own request: a context that is missing, failed or stuck connecting for
    // too long is tried again at once, and the back-off starts over.
    void connectNow();
    // The listeners are told again after the back-off: something a user opened failed.
    void retryLater();
    bool retryPending() const { return retryEvent != nullptr; }

    pa_mainloop_api* api() const { return loopApi; }
    // The context once the server has accepted it; null before and after.
    pa_context* readyContext() const;

    // The rate a stream opens at: the default sink's own, so that the server need not
    // resample again, or else the server's default. 0 until a server answered and while
    // a new answer is on its way (another default sink may run at another rate).
    std::uint32_t streamRate() const { return infoPending ? 0 : rate; }
    // The last rate a server gave, for any thread; 0 until one answered.
    std::uint32_t lastKnownRate() const { return knownRate.load(std::memory_order_acquire); }
    bool onPipeWire() const { return pipeWire; }

    // The tone's newest stream (its sink input's index), for the volume to follow the
    // sink it plays on; PA_INVALID_INDEX before any.
    void noteToneStream(std::uint32_t index) { toneStreamIndex = index; }
    std::uint32_t toneStream() const { return toneStreamIndex; }

private:
    struct Callbacks;
    friend struct Callbacks;

    void connect();
    void dropContext();
    void scheduleRetry();
    void cancelRetry();
    void askInfo();
    void settleInfo(std::uint32_t answered);
    void notify();

    pa_threaded_mainloop* loop = nullptr;
    pa_mainloop_api* loopApi = nullptr;
    pa_defer_event* fanOut = nullptr;
    pa_context* context = nullptr;
    QElapsedTimer contextAge;
    std::vector<Listener*> listeners;
    int holders = 0;
    pa_time_event* retryEvent = nullptr;
    unsigned failedAttempts = 0;

    bool infoPending = false;
    bool infoAgain = false; // an event came while the info was being asked
    std::uint32_t rate = 0;
    std::uint32_t serverDefaultRate = 0; // of the answer under way
    std::uint32_t defaultSinkRate = 0;   // of the answer under way
    std::atomic<std::uint32_t> knownRate {0};
    bool pipeWire = false; // the server's name says so
    std::uint32_t toneStreamIndex = UINT32_MAX;
};

} // namespace Platform
