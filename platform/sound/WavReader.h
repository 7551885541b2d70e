#pragma once

#include "platform/LoopedSound.h"

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace Platform::Sound {

// The samples of a PCM WAV file, as floats in -1..1, channels interleaved.
struct WavData {
    std::uint32_t sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    std::vector<float> samples;

    std::size_t frameCount() const
    {
        return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0;
    }
};

// Highest sample rate and largest file accepted: those of the player.
inline constexpr std::uint32_t MaxWavSampleRate = LoopedSound::MaxSampleRate;
inline constexpr qint64 MaxWavFileBytes = LoopedSound::MaxFileBytes;

// Parses a complete WAV file held in memory. Accepts PCM (format tag 1, or
// WAVE_FORMAT_EXTENSIBLE with the PCM subformat), 8-bit unsigned or 16-bit signed,
// 1 or 2 channels, 1 Hz .. MaxWavSampleRate. Unknown chunks are skipped, odd chunk
// sizes padded, a data size larger than the bytes present is clamped to them.
// Anything malformed gives nullopt. Pure: no I/O, never reads outside bytes.
std::optional<WavData> parseWav(QByteArrayView bytes);

// Reads and parses the file at path; nullopt when it is missing, unreadable, larger
// than MaxWavFileBytes or malformed.
std::optional<WavData> readWavFile(const QString& path);

} // namespace Platform::Sound
