#pragma once

#include <QString>

#include <functional>

namespace FrequencyReadout {

// The caption of a readout label for a tone frequency (not yet rounded): whole hertz,
// half to even, then " Hz". A frequency whose caption the label cannot hold (fits says
// so), or that is no finite number (from absurd stored speeds or carriers), reads
// "too high" or "too low" instead, so the label never shows "inf" or a clipped number.
QString caption(double frequency, const std::function<bool(const QString&)>& fits);

} // namespace FrequencyReadout
