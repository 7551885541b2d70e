#pragma once

#include "tone/ToneRequest.h"

// The settings a tone is made from, read from the store at the moment they are asked
// for: at GO, and at every refresh of the readout, so that both name the same tone.

// The carrier of a band as text: the entry of "XFreq" or "KFreq" that the settings
// dialog shows (a stored text that is no entry gives the default), the stored "KaFreq"
// (with its default), or the fixed Ku carrier, which no setting holds.
QString storedCarrier(Doppler::Band band);

// request, which holds the controls' values (band, speeds, mode), completed with the
// band's carrier, the unit and "Accuracy" as stored now.
ToneRequest withStoredSettings(ToneRequest request);
