#include "WavReader.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace Platform::Sound {

std::optional<WavData> parseWav(QByteArrayView view)
{
    // Every read goes through has(), which checks the offset against the size.
    const auto* bytes = reinterpret_cast<const unsigned char*>(view.data());
    const auto size = static_cast<std::uint64_t>(view.size());
    const auto has = [&](std::uint64_t offset, std::uint64_t count) { return offset <= size && count <= size - offset; };
    const auto u16 = [&](std::uint64_t at) { return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8)); };
    const auto u32 = [&](std::uint64_t at) { return u16(at) | (static_cast<std::uint32_t>(u16(at + 2)) << 16); };
    const auto tagIs = [&](std::uint64_t at, const char* tag) { return has(at, 4) && std::memcmp(bytes + at, tag, 4) == 0; };
    if (!tagIs(0, "RIFF") || !tagIs(8, "WAVE"))
        return std::nullopt;

    // The RIFF size is not trusted: writers that stream often leave it wrong. Chunks
    // are walked over the bytes actually present.
    std::optional<std::uint32_t> rate;
    std::uint64_t pos = 12;
    while (has(pos, 8)) {
        const std::uint32_t chunkSize = u32(pos + 4);
        const std::uint64_t body = pos + 8;
        if (tagIs(pos, "fmt ")) {
            // Once, and of the tone writer's kind: PCM, one channel of 8 bits, one byte a frame.
            if (rate || !has(body, chunkSize) || chunkSize < 16 || u16(body) != 1 || u16(body + 2) != 1
                || u16(body + 12) != 1 || u16(body + 14) != 8)
                return std::nullopt;
            rate = u32(body + 4);
            if (*rate < 1 || *rate > LoopedSound::MaxSampleRate)
                return std::nullopt;
        } else if (tagIs(pos, "data")) {
            if (!rate)
                return std::nullopt;
            WavData wav {*rate, std::vector<float>(static_cast<std::size_t>(std::min<std::uint64_t>(chunkSize, size - body)))};
            // Unsigned 8-bit: 128 is zero.
            for (std::size_t i = 0; i < wav.samples.size(); ++i)
                wav.samples[i] = (static_cast<float>(bytes[body + i]) - 128.0f) / 128.0f;
            return wav;
        }
        // 64-bit arithmetic: body + size + pad cannot overflow.
        pos = body + chunkSize + (chunkSize & 1u);
    }
    return std::nullopt;
}

std::optional<WavData> readWavFile(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || info.size() > LoopedSound::MaxFileBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(LoopedSound::MaxFileBytes + 1);
    if (bytes.size() > LoopedSound::MaxFileBytes)
        return std::nullopt;
    return parseWav(bytes);
}

void removeLoopDc(WavData& wav)
{
    double mean = 0.0;
    for (float s : wav.samples)
        mean += s;
    mean /= static_cast<double>(std::max<std::size_t>(1, wav.samples.size()));
    for (float& s : wav.samples)
        s = static_cast<float>(s - mean);
}

} // namespace Platform::Sound
