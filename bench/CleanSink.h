#pragma once

// The sink the sound-quality rows are heard through: a null sink of the bench's own,
// "tvclean", without rewinds, so that its monitor holds every stream from its first
// sample to its last, exactly as rendered; the default sink while the rows run, so that
// the playback's streams (and the companion's) go there. Its monitor is recorded with a
// latency of 5 ms, which is also how far ahead the sink renders: a stream cut off is
// still heard for up to that long, as after a sound card's shortest buffer.

#include "MonitorRecorder.h"
#include "NoRewindNullSink.h"

namespace Bench {

class CleanSink {
public:
    static constexpr int RenderAheadMs = 5;

    // Loads the sink and starts recording; throws Failure when either fails.
    CleanSink();
    TestSupport::MonitorRecorder& recorder() { return monitor; }

private:
    TestSupport::NoRewindNullSink sink;
    TestSupport::MonitorRecorder monitor;
};

} // namespace Bench
