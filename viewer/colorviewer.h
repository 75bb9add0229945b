// The colour viewer: each cycle shows the sixteen console colours, asks for a
// foreground and a background value and draws a test text in that pair.
#pragma once

#include "runtime/program.h"

// The viewer's main routine, literal pool and options, for runtime_start.
const ProgramDefinition& viewer_program();
