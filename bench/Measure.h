#pragma once

// What every figure of the bench is made of: failures that stop it, spreads of
// repeated runs, CPU time of this process, and waits that keep the event loop turning.

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <stdexcept>
#include <vector>

namespace Bench {

// A figure that could not be measured. The bench stops with this message and a
// non-zero exit: a table with a missing or made-up figure is worse than none.
struct Failure : std::runtime_error {
    explicit Failure(const QString& message) : std::runtime_error(message.toStdString()) {}
};

struct Spread {
    double median = 0;
    double min = 0;
    double max = 0;
    int count = 0;
};
Spread spreadOf(std::vector<double> values);

double elapsedMs(const QElapsedTimer& timer);

// User plus system CPU seconds of this whole process, to the nanosecond.
double ownCpuSeconds();

// Turns the event loop for the given time (the playback's follow-up timers need it).
void runEvents(int ms);
// Turns the event loop until done() answers true; false when timeoutMs passed first.
bool runEventsUntil(const std::function<bool()>& done, int timeoutMs);

// "2,006,000"
QString grouped(qint64 value);
// "3.21 ms (2.90-4.10)": median with the smallest and largest run.
QString msWithSpread(const Spread& s, int decimals = 2);

} // namespace Bench
