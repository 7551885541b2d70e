#pragma once

#include <QByteArray>
#include <QString>

namespace TestSupport {

// A canonical 44-byte-header 8-bit mono PCM WAV file around the given sample bytes.
QByteArray wavBytes(quint32 rate, const QByteArray& samples);

// One cycle of an 8-bit tone of n samples, centred at 127 (values 0..254), as the tone
// writer makes it: 127 + 127 sin(2 pi (i + 1) / n), rounded.
QByteArray toneCycle(int n);

// A tone file: cycles whole cycles of n samples at rate, so it loops seamlessly.
QByteArray toneWav(quint32 rate, int n, int cycles);

// Writes bytes to path (creating or replacing the file); false on failure.
bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace TestSupport
