#pragma once

#include "window_events.h"

namespace runemill {

enum class TurnOutcome { kContinue, kQuit };

// One turn of the loop for one event: the Escape test, then the drop, the
// cell edit and the command or conversion that the event calls for.
TurnOutcome RunTurn(const WindowEvent& event);

// Carries out a menu command (or Ctrl+A); kQuit for Exit.
TurnOutcome RunCommand(Command command);

// Turns until the quit flag is set; the caller then tears the window down.
void RunEventLoop();

// Runs turns for every event that is ready, without waiting; kQuit as soon as
// one of them sets the quit flag. For tests and benchmarks that drive the
// window directly.
TurnOutcome RunPendingTurns();

}  // namespace runemill
