#include "bench/CleanSink.h"

#include "bench/Measure.h"

namespace Bench {

CleanSink::CleanSink() : sink(QStringLiteral("tvclean")), monitor(sink.monitor(), RenderAheadMs)
{
    if (!sink.load())
        throw Failure(QStringLiteral("cannot load the null sink without rewinds (tvclean) and make it the default"));
    if (!monitor.start())
        throw Failure(QStringLiteral("parec did not start on %1").arg(sink.monitor()));
}

} // namespace Bench
