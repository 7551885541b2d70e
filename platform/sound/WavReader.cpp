#include "WavReader.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace Platform::Sound {

namespace {

// All reads go through this view, which checks every offset against the size.
class Bytes {
public:
    explicit Bytes(QByteArrayView v) : data(reinterpret_cast<const unsigned char*>(v.data())), size(static_cast<std::uint64_t>(v.size())) {}

    std::uint64_t length() const { return size; }
    bool has(std::uint64_t offset, std::uint64_t count) const
    {
        return offset <= size && count <= size - offset;
    }
    std::uint16_t u16(std::uint64_t offset) const
    {
        return static_cast<std::uint16_t>(data[offset] | (data[offset + 1] << 8));
    }
    std::uint32_t u32(std::uint64_t offset) const
    {
        return static_cast<std::uint32_t>(u16(offset)) | (static_cast<std::uint32_t>(u16(offset + 2)) << 16);
    }
    bool tagIs(std::uint64_t offset, const char (&tag)[5]) const
    {
        return has(offset, 4) && std::memcmp(data + offset, tag, 4) == 0;
    }
    const unsigned char* at(std::uint64_t offset) const { return data + offset; }

private:
    const unsigned char* data;
    std::uint64_t size;
};

// The sample rate of a format chunk of the tone writer's kind: PCM, one channel of 8
// bits, one byte a frame.
std::optional<std::uint32_t> toneFormatRate(const Bytes& b, std::uint64_t body, std::uint32_t size)
{
    if (size < 16 || b.u16(body) != 1 || b.u16(body + 2) != 1 || b.u16(body + 12) != 1 || b.u16(body + 14) != 8)
        return std::nullopt;
    const std::uint32_t rate = b.u32(body + 4);
    if (rate < 1 || rate > MaxWavSampleRate)
        return std::nullopt;
    return rate;
}

} // namespace

std::optional<WavData> parseWav(QByteArrayView view)
{
    const Bytes b(view);
    if (!b.tagIs(0, "RIFF") || !b.tagIs(8, "WAVE"))
        return std::nullopt;

    // The RIFF size is not trusted: writers that stream often leave it wrong. Chunks
    // are walked over the bytes actually present.
    std::optional<std::uint32_t> rate;
    std::uint64_t pos = 12;
    while (b.has(pos, 8)) {
        const std::uint32_t size = b.u32(pos + 4);
        const std::uint64_t body = pos + 8;
        if (b.tagIs(pos, "fmt ")) {
            if (rate || !b.has(body, size))
                return std::nullopt;
            rate = toneFormatRate(b, body, size);
            if (!rate)
                return std::nullopt;
        } else if (b.tagIs(pos, "data")) {
            if (!rate)
                return std::nullopt;
            WavData wav;
            wav.sampleRate = *rate;
            // Unsigned 8-bit: 128 is zero.
            const unsigned char* data = b.at(body);
            wav.samples.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, b.length() - body)));
            for (std::size_t i = 0; i < wav.samples.size(); ++i)
                wav.samples[i] = (static_cast<float>(data[i]) - 128.0f) / 128.0f;
            return wav;
        }
        // 64-bit arithmetic: body + size + pad cannot overflow.
        pos = body + size + (size & 1u);
    }
    return std::nullopt;
}

std::optional<WavData> readWavFile(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || info.size() > MaxWavFileBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(MaxWavFileBytes + 1);
    if (bytes.size() > MaxWavFileBytes)
        return std::nullopt;
    return parseWav(bytes);
}

} // namespace Platform::Sound
