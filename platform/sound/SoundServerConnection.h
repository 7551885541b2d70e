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
// a libpulse context on a threaded mainloop, following the default sink. Nothing here
// waits for the server, and it never spawns one. Lockable: all below runs with the
// mainloop's lock held, as its callbacks and listeners do.
class SoundServerConnection {
public:
    // Told at a turn of the mainloop's own, never inside a libpulse callback: the
    // connection came or went, a retry is due, something changed on the server, or a
    // listener asked with notify().
    class Listener {
    public:
        virtual void serverChanged() = 0;

    protected:
        ~Listener() = default;
    };

    SoundServerConnection();
    ~SoundServerConnection();

    void lock();
    void unlock();

    void addListener(Listener* listener) { listeners.push_back(listener); }
    void removeListener(Listener* listener) { std::erase(listeners, listener); }
    // Without a holder it tries once; while held, a lost or missing server is tried again
    // with a back-off, so that all comes back by itself when the server returns.
    void hold() { ++holders; }
    void release()
    {
        if (--holders == 0)
            cancelRetry();
    }
    // A caller's own request: tried at once unless a connection is up or on its way.
    void connectNow();
    // Connects again if need be, and tells the listeners, after the back-off.
    void retryLater();
    bool retryPending() const { return retryEvent != nullptr; }
    void notify();

    pa_mainloop_api* api() const { return loopApi; }
    // The context once the server has accepted it; null before and after.
    pa_context* readyContext() const;

    // The rate a stream opens at: the default sink's own (no resampling in the server),
    // else the server's default; 0 while unknown or while a new answer is on its way.
    std::uint32_t streamRate() const { return infoPending ? 0 : lastKnownRate(); }
    // The last rate a server gave, for any thread; 0 until one answered.
    std::uint32_t lastKnownRate() const { return rate.load(std::memory_order_acquire); }
    bool onPipeWire() const { return pipeWire; }

    // The tone's newest stream, for the volume to follow its sink; PA_INVALID_INDEX before any.
    std::uint32_t toneStream = UINT32_MAX;

private:
    struct Callbacks;
    friend struct Callbacks;

    void connect();
    void dropContext();
    void cancelRetry();
    void askInfo();
    void settleInfo(std::uint32_t answered);

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
    std::atomic<std::uint32_t> rate {0};
    std::uint32_t serverDefaultRate = 0; // of the answer under way
    std::uint32_t defaultSinkRate = 0;   // of the answer under way
    bool pipeWire = false; // the server's name says so
};

} // namespace Platform
