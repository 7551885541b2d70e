#pragma once

#include "platform/LoopedSound.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace Platform::Sound {

// The samples of a tone file, as floats in -1..1.
struct WavData {
    std::uint32_t sampleRate = 0;
    std::vector<float> samples;
};

// Parses a complete WAV file held in memory. Accepts what the tone writer makes: PCM
// (format tag 1), 8-bit unsigned, one channel, 1 Hz .. LoopedSound::MaxSampleRate. Unknown chunks
// are skipped, odd chunk sizes padded, a data size larger than the bytes present is
// clamped to them. Anything else gives nullopt. Pure: no I/O, never reads outside bytes.
std::optional<WavData> parseWav(QByteArrayView bytes);

// Reads and parses the file at path; nullopt when it is missing, unreadable, larger
// than LoopedSound::MaxFileBytes or not a file parseWav accepts.
std::optional<WavData> readWavFile(const QString& path);

// Takes the mean over the whole loop out of it. 8-bit tone files centre on 127 where the
// format's centre is 128: left in, that offset pins the troughs at full scale and steps at
// every start and stop.
void removeLoopDc(WavData& wav);

} // namespace Platform::Sound
