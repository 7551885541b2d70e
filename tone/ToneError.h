#pragma once

#include <QString>

#include <stdexcept>

// A tone that cannot be made or played. The message is written for the user: it says
// what went wrong and what to change.
class ToneError : public std::runtime_error {
public:
    enum class Kind {
        NoFrequency,   // the tone rounds to 0 Hz or below
        BadAccuracy,   // "Bytes per Cycle" gives no usable sample rate
        TooHigh,       // the tone's frequency (its speed or carrier) is too high to play
        FileNotWritten,
        PlayerNotStarted,
    };

    ToneError(Kind kind, const QString& message)
        : std::runtime_error(message.toStdString()), errorKind(kind), text(message)
    {
    }

    Kind kind() const { return errorKind; }
    QString message() const { return text; }

private:
    Kind errorKind;
    QString text;
};

