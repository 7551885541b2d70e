#pragma once

#include <QString>

class QFontMetrics;

namespace FrequencyReadout {

// The caption of a readout label for a tone frequency (not yet rounded): whole hertz,
// half to even, then " Hz". A frequency whose caption would be wider than the label,
// or that is no finite number (from absurd stored speeds or carriers), reads
// "too high" or "too low" instead, so the label never shows "inf" or a clipped number.
QString caption(double frequency, const QFontMetrics& metrics, int labelWidth);

} // namespace FrequencyReadout
