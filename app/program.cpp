#include "app/program.h"

#include "app/main_form.h"
#include "platform/toolkit.h"

namespace varnel {

int RunProgram() {
  Main main;
  main.Form().Load();
  return plat::RunMessageLoop();
}

}  // namespace varnel

int plat::ProgramEntry() { return varnel::RunProgram(); }
