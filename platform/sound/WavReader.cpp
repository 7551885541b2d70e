#include "WavReader.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstring>

namespace Platform::Sound {

namespace {

constexpr std::uint16_t FormatPcm = 1;
constexpr std::uint16_t FormatExtensible = 0xFFFE;

// KSDATAFORMAT_SUBTYPE_PCM without its first two bytes (which hold the format tag).
constexpr std::array<unsigned char, 14> PcmGuidTail = {
    0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

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
        return static_cast<std::uint32_t>(data[offset]) | (static_cast<std::uint32_t>(data[offset + 1]) << 8)
            | (static_cast<std::uint32_t>(data[offset + 2]) << 16) | (static_cast<std::uint32_t>(data[offset + 3]) << 24);
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

struct Format {
    int channels = 0;
    std::uint32_t rate = 0;
    int blockAlign = 0;
    int bits = 0;
};

std::optional<Format> parseFormat(const Bytes& b, std::uint64_t body, std::uint32_t size)
{
    if (size < 16)
        return std::nullopt;
    const std::uint16_t tag = b.u16(body);
    Format f;
    f.channels = b.u16(body + 2);
    f.rate = b.u32(body + 4);
    f.blockAlign = b.u16(body + 12);
    f.bits = b.u16(body + 14);

    if (tag == FormatExtensible) {
        // cbSize (2), valid bits (2), channel mask (4), subformat GUID (16).
        if (size < 40 || b.u16(body + 16) < 22)
            return std::nullopt;
        const std::uint16_t validBits = b.u16(body + 18);
        if (validBits != 0 && validBits != f.bits)
            return std::nullopt;
        if (b.u16(body + 24) != FormatPcm
            || std::memcmp(b.at(body + 26), PcmGuidTail.data(), PcmGuidTail.size()) != 0)
            return std::nullopt;
    } else if (tag != FormatPcm) {
        return std::nullopt;
    }

    if (f.channels < 1 || f.channels > 2)
        return std::nullopt;
    if (f.rate < 1 || f.rate > MaxWavSampleRate)
        return std::nullopt;
    if (f.bits != 8 && f.bits != 16)
        return std::nullopt;
    if (f.blockAlign != f.channels * (f.bits / 8))
        return std::nullopt;
    return f;
}

WavData convert(const Format& f, const unsigned char* data, std::uint64_t bytes)
{
    WavData wav;
    wav.sampleRate = f.rate;
    wav.channels = f.channels;
    wav.bitsPerSample = f.bits;
    const std::uint64_t frames = bytes / static_cast<std::uint64_t>(f.blockAlign);
    const std::size_t count = static_cast<std::size_t>(frames) * static_cast<std::size_t>(f.channels);
    wav.samples.resize(count);
    if (f.bits == 8) {
        for (std::size_t i = 0; i < count; ++i)
            wav.samples[i] = (static_cast<float>(data[i]) - 128.0f) / 128.0f;
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            const auto v = static_cast<std::int16_t>(static_cast<std::uint16_t>(data[2 * i] | (data[2 * i + 1] << 8)));
            wav.samples[i] = static_cast<float>(v) / 32768.0f;
        }
    }
    return wav;
}

} // namespace

std::optional<WavData> parseWav(QByteArrayView view)
{
    const Bytes b(view);
    if (!b.tagIs(0, "RIFF") || !b.tagIs(8, "WAVE"))
        return std::nullopt;

    // The RIFF size is not trusted: writers that stream often leave it wrong. Chunks
    // are walked over the bytes actually present.
    std::optional<Format> format;
    std::uint64_t pos = 12;
    while (b.has(pos, 8)) {
        const std::uint32_t size = b.u32(pos + 4);
        const std::uint64_t body = pos + 8;
        if (b.tagIs(pos, "fmt ")) {
            if (format || !b.has(body, size))
                return std::nullopt;
            format = parseFormat(b, body, size);
            if (!format)
                return std::nullopt;
        } else if (b.tagIs(pos, "data")) {
            if (!format)
                return std::nullopt;
            const std::uint64_t present = std::min<std::uint64_t>(size, b.length() - body);
            return convert(*format, b.at(body), present);
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
