#include "WavFile.h"

#include <QFile>

#include <cmath>
#include <numbers>

namespace TestSupport {

namespace {

void putU16(QByteArray& b, quint32 v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}

void putU32(QByteArray& b, quint32 v)
{
    putU16(b, v & 0xFFFF);
    putU16(b, v >> 16);
}

} // namespace

QByteArray wavBytes(quint32 rate, const QByteArray& samples)
{
    QByteArray b;
    b.append("RIFF");
    putU32(b, quint32(36 + samples.size()));
    b.append("WAVE");
    b.append("fmt ");
    putU32(b, 16);
    putU16(b, 1);
    putU16(b, 1); // channels
    putU32(b, rate);
    putU32(b, rate); // bytes per second
    putU16(b, 1);    // bytes per frame
    putU16(b, 8);    // bits
    b.append("data");
    putU32(b, quint32(samples.size()));
    b.append(samples);
    return b;
}

QByteArray toneCycle(int n)
{
    QByteArray cycle;
    for (int i = 0; i < n; ++i) {
        const double v = 127.0 + 127.0 * std::sin(2.0 * std::numbers::pi * (i + 1) / n);
        cycle.append(char(static_cast<unsigned char>(std::lround(v))));
    }
    return cycle;
}

QByteArray toneWav(quint32 rate, int n, int cycles)
{
    return wavBytes(rate, toneCycle(n).repeated(cycles));
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
}

} // namespace TestSupport
