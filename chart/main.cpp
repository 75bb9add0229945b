// The colorchart program: the runtime's entry point runs this definition.
#include "chart/colorchart.h"

const ProgramDefinition& program_definition() {
  return chart_program();
}
