#include "app/program.h"

namespace varnel {

Program::Program() : claim_(u"Varnel") {
  if (!claim_.held()) return;
  main_ = std::make_unique<Main>();
  main_->Form().Load();
}

int RunProgram() {
  Program program;
  if (!program.main()) return 0;
  return plat::RunMessageLoop();
}

}  // namespace varnel

int plat::ProgramEntry() { return varnel::RunProgram(); }
