// The colorviewer program: the runtime's entry point runs this definition.
#include "viewer/colorviewer.h"

const ProgramDefinition& program_definition() {
  return viewer_program();
}
