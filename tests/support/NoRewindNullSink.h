#pragma once

#include <QString>
#include <QStringList>

namespace TestSupport {

// A null sink of one's own on the current sound server (PULSE_SERVER), loaded with
// norewinds=1, at 48 kHz and full volume, and made the default sink, so that streams
// opened from then on play into it. Its monitor hears every stream from the first
// sample to the last as a sound card would play them: an ordinary null sink rewinds to
// start a new stream at once, and its monitor, having handed on what it rendered before,
// misses the stream's first milliseconds. The earlier default sink comes back and the
// sink goes when this object does.
class NoRewindNullSink {
public:
    explicit NoRewindNullSink(QString name);
    ~NoRewindNullSink();
    NoRewindNullSink(const NoRewindNullSink&) = delete;
    NoRewindNullSink& operator=(const NoRewindNullSink&) = delete;

    // False when the sink could not be loaded or made the default.
    bool load();
    // A null sink that rewinds, as a sound card's does, made the default instead, and
    // heard through this one: a loopback of a long latency hands on only what remains of
    // it after its rewinds. False when it could not be set up.
    bool hearRewindingSink(const QString& rewinding);
    QString monitor() const { return name + QStringLiteral(".monitor"); }

private:
    QString name;
    QString module;          // its index, once loaded
    QStringList rewindingModules; // the rewinding sink and its loopback, to unload first
    QString previousDefault; // the default sink before
};

} // namespace TestSupport
