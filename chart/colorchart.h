// The colour chart: 52 foreground-on-background combinations, two to a line,
// each label drawn in the colours it names.
#pragma once

#include "runtime/program.h"

// The chart's main routine, literal pool and options, for runtime_start.
const ProgramDefinition& chart_program();
