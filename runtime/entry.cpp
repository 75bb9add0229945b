// The process entry point of both programs: everything happens in
// runtime_start, on the platform this system runs on.
#include "runtime/platform/default_platform.h"
#include "runtime/program.h"
#include "runtime/startup.h"

int main() {
  runtime_start(platform::default_platform(), program_definition());
}
