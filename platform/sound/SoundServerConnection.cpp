#include "SoundServerConnection.h"

#include <pulse/pulseaudio.h>

#include <cstring>
#include <iterator>

namespace Platform {

namespace {

// A context that has not become ready by then is given up at the next connectNow().
constexpr qint64 ConnectTimeoutMs = 3000;
// Waits before the next attempt to reach a lost server: the first few come quickly, then
// one a second, so that a returning server is heard again soon and a missing one costs
// nothing.
constexpr pa_usec_t RetryDelaysUsec[] = {100 * PA_USEC_PER_MSEC, 250 * PA_USEC_PER_MSEC, 500 * PA_USEC_PER_MSEC};
constexpr pa_usec_t SteadyRetryUsec = PA_USEC_PER_SEC;

} // namespace

struct SoundServerConnection::Callbacks {
    static void onFanOut(pa_mainloop_api* api, pa_defer_event* event, void* self)
    {
        api->defer_enable(event, 0);
        for (Listener* listener : static_cast<SoundServerConnection*>(self)->listeners)
            listener->serverChanged();
    }

    static void onRetry(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self)
    {
        auto* connection = static_cast<SoundServerConnection*>(self);
        connection->cancelRetry();
        if (!connection->readyContext())
            connection->connect();
        connection->notify();
    }

    static void onState(pa_context* c, void* self)
    {
        auto* connection = static_cast<SoundServerConnection*>(self);
        const pa_context_state_t state = pa_context_get_state(c);
        if (state == PA_CONTEXT_READY) {
            connection->failedAttempts = 0;
            pa_context_set_subscribe_callback(c, &Callbacks::onEvent, self);
            const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SINK_INPUT
                                                                  | PA_SUBSCRIPTION_MASK_SERVER);
            if (pa_operation* op = pa_context_subscribe(c, mask, nullptr, nullptr))
                pa_operation_unref(op);
            connection->askInfo();
        } else if (!PA_CONTEXT_IS_GOOD(state)) {
            // Its questions went with it. The context itself is replaced at the retry,
            // not inside its own callback.
            connection->infoPending = false;
            if (connection->holders > 0)
                connection->retryLater();
        }
        connection->notify();
    }

    static void onEvent(pa_context*, pa_subscription_event_type_t type, std::uint32_t, void* self)
    {
        auto* connection = static_cast<SoundServerConnection*>(self);
        const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        if (facility == PA_SUBSCRIPTION_EVENT_SERVER || facility == PA_SUBSCRIPTION_EVENT_SINK)
            connection->askInfo();
        connection->notify();
    }

    static void onServerInfo(pa_context*, const pa_server_info* info, void* self)
    {
        auto* connection = static_cast<SoundServerConnection*>(self);
        connection->serverDefaultRate = info ? info->sample_spec.rate : 0;
        connection->pipeWire = info && info->server_name && std::strstr(info->server_name, "PipeWire");
    }

    static void onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* self)
    {
        auto* connection = static_cast<SoundServerConnection*>(self);
        if (eol == 0) {
            if (info && info->sample_spec.rate > 0)
                connection->defaultSinkRate = info->sample_spec.rate;
            return;
        }
        // The end of the answer, or an error (there is no default sink).
        connection->settleInfo(connection->defaultSinkRate > 0 ? connection->defaultSinkRate : connection->serverDefaultRate);
    }
};

SoundServerConnection::SoundServerConnection()
    : loop(pa_threaded_mainloop_new()), loopApi(pa_threaded_mainloop_get_api(loop))
{
    pa_threaded_mainloop_set_name(loop, "tinevox-sound");
    fanOut = loopApi->defer_new(loopApi, &Callbacks::onFanOut, this);
    loopApi->defer_enable(fanOut, 0);
    // The server's rate is asked for at once, before any sound: a tone it cannot
    // reproduce is then refused before it is written. Without a server this costs one
    // failed attempt and nothing more.
    connect();
    pa_threaded_mainloop_start(loop);
}

SoundServerConnection::~SoundServerConnection()
{
    lock();
    cancelRetry();
    dropContext();
    loopApi->defer_free(fanOut);
    unlock();
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
}

void SoundServerConnection::lock()
{
    pa_threaded_mainloop_lock(loop);
}

void SoundServerConnection::unlock()
{
    pa_threaded_mainloop_unlock(loop);
}

pa_context* SoundServerConnection::readyContext() const
{
    return context && pa_context_get_state(context) == PA_CONTEXT_READY ? context : nullptr;
}

void SoundServerConnection::connectNow()
{
    cancelRetry();
    failedAttempts = 0;
    const bool underWay = context && PA_CONTEXT_IS_GOOD(pa_context_get_state(context))
        && (readyContext() || contextAge.elapsed() <= ConnectTimeoutMs);
    if (!underWay)
        connect();
    notify();
}

void SoundServerConnection::connect()
{
    dropContext();
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Tinevox");
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "production");
    context = pa_context_new_with_proplist(loopApi, "Tinevox", props);
    pa_proplist_free(props);
    if (context) {
        contextAge.start();
        pa_context_set_state_callback(context, &Callbacks::onState, this);
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0)
            return;
    }
    if (holders > 0)
        retryLater();
}

void SoundServerConnection::dropContext()
{
    infoPending = false;
    if (!context)
        return;
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_set_subscribe_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
    context = nullptr;
}

void SoundServerConnection::retryLater()
{
    if (retryEvent)
        return;
    const pa_usec_t delay = failedAttempts < std::size(RetryDelaysUsec) ? RetryDelaysUsec[failedAttempts] : SteadyRetryUsec;
    ++failedAttempts;
    timeval when;
    pa_timeval_add(pa_gettimeofday(&when), delay);
    retryEvent = loopApi->time_new(loopApi, &when, &Callbacks::onRetry, this);
}

void SoundServerConnection::cancelRetry()
{
    if (!retryEvent)
        return;
    loopApi->time_free(retryEvent);
    retryEvent = nullptr;
}

// Asks for the server's and the default sink's rates, answered in that order; asks again
// after an answer when an event came meanwhile.
void SoundServerConnection::askInfo()
{
    if (infoPending) {
        infoAgain = true;
        return;
    }
    infoAgain = false;
    defaultSinkRate = 0;
    for (pa_operation* op : {pa_context_get_server_info(context, &Callbacks::onServerInfo, this),
                             pa_context_get_sink_info_by_name(context, "@DEFAULT_SINK@", &Callbacks::onSinkInfo, this)}) {
        infoPending = op != nullptr;
        if (op)
            pa_operation_unref(op);
    }
}

void SoundServerConnection::settleInfo(std::uint32_t answered)
{
    infoPending = false;
    // No answer keeps the rate known before.
    if (answered > 0 || rate == 0)
        rate.store(answered, std::memory_order_release);
    if (infoAgain)
        askInfo();
    notify();
}

void SoundServerConnection::notify()
{
    loopApi->defer_enable(fanOut, 1);
}

} // namespace Platform
