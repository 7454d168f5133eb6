// The debug channel: the process's trace output. Every flush goes to an outside viewer, a
// top-level window of class ".ZDebug.", as the registered message ".Z_DebugMsg." with
// wParam 1 and a global atom holding the flushed text; without a viewer it is dropped.
// Text is buffered 128 characters at a time and flushed when the buffer is full and at the
// end of every line; lines end with CR LF (a lone "\n" written is sent as CR LF).
// std::cout is attached to the channel when the unit starts, so trace lines written there
// reach the viewer as well; C stdio (printf) does not: use the functions below.
#pragma once
#include "Utils.h"

#include <ostream>

namespace zk {

// Attaches std::cout to the channel; idempotent. Runs at start-up of every program that
// links this unit; an entry calls it too, to be sure the unit is linked in.
void StartDebugChannel();
void Trace(const Text& text);     // text as is; flushed when the buffer fills
void TraceLine(const Text& text); // text, CR LF, flush
std::ostream& DebugStream();      // the channel as a stream (what std::cout writes to)

} // namespace zk
