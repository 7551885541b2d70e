#pragma once

// The figures of the table, one concern to a file.

#include "bench/Table.h"

namespace Bench {

// The largest tone file: writeToneFile beside a plain write of its bytes and beside sox.
void benchWriter(Table& table);
// CPU of the sound service per second of audio, one tone and two, beside sox's play.
void benchSoundCpu(Table& table, const QString& builtAppDir);
// From GO to the first audio handed to the sound server.
void benchFirstBuffer(Table& table, const QString& builtAppDir);
// Moving mode's two tones mixed at full volume: clipping and what it adds.
void benchMovingMix(Table& table, const QString& builtAppDir);
// GO and STOP as heard: clicks at onsets and ends, full-scale samples, call to sound and to silence.
void benchGoAndStop(Table& table, const QString& builtAppDir);
// A killed sound server's return to the loop streaming again, without a new play().
void benchServerReturn(Table& table);
// The sound server's CPU while the loop plays, beside paplay's, on PulseAudio and PipeWire.
void benchServerCpu(Table& table);
// The real program: start to window shown, then memory (and CPU) while moving mode plays.
void benchRealProgram(Table& table, const QString& builtAppDir);

} // namespace Bench
