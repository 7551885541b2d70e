// libFuzzer target: the sound service's WAV reader must refuse or read any bytes
// safely, and what it reads must be consistent.

#include "platform/sound/WavReader.h"

#include <QByteArrayView>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto wav = Platform::Sound::parseWav(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!wav)
        return 0;
    // A file it accepts has a playable rate, no more samples than bytes, and every
    // sample within -1..1.
    if (wav->sampleRate < 1 || wav->sampleRate > Platform::LoopedSound::MaxSampleRate || wav->samples.size() > size)
        std::abort();
    for (float s : wav->samples) {
        if (!(s >= -1.0f && s <= 1.0f))
            std::abort();
    }
    return 0;
}
