#include "bench/Measure.h"

#include <QCoreApplication>
#include <QLocale>
#include <QThread>

#include <algorithm>
#include <ctime>

namespace Bench {

Spread spreadOf(std::vector<double> values)
{
    if (values.empty())
        throw Failure(QStringLiteral("no runs to take a median of"));
    std::sort(values.begin(), values.end());
    Spread s;
    s.count = static_cast<int>(values.size());
    const std::size_t n = values.size();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    s.min = values.front();
    s.max = values.back();
    return s;
}

double elapsedMs(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double ownCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void runEvents(int ms)
{
    runEventsUntil([] { return false; }, ms);
}

bool runEventsUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() >= timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

QString grouped(qint64 value)
{
    return QLocale(QLocale::English).toString(value);
}

QString msWithSpread(const Spread& s, int decimals)
{
    return QStringLiteral("%1 ms (%2-%3)")
        .arg(s.median, 0, 'f', decimals)
        .arg(s.min, 0, 'f', decimals)
        .arg(s.max, 0, 'f', decimals);
}

} // namespace Bench
