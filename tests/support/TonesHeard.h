#pragma once

#include "MonitorRecorder.h"
#include "PitchMeter.h"

#include <vector>

namespace TestSupport {

// Records in short pieces until each of the given frequencies is, within 1 Hz, one of the
// tones of a single piece with at least minAmplitude (a new stream may take up to 2 s to
// be heard on a null sink, and a loaded machine starts a second player later still), lets
// them settle for 100 ms, then measures a window of windowMs for as many tones as were
// asked for. An empty report when they were not all heard within timeoutMs.
PitchReport waitForTones(MonitorRecorder& recorder, const std::vector<double>& frequencies, int windowMs = 1000,
                         int timeoutMs = 15000, double minAmplitude = 0.01);

} // namespace TestSupport
