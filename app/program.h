// The program's entry: one copy per user session, which loads the window
// and runs until it unloads.
#pragma once

#include <memory>

#include "app/main_form.h"
#include "platform/toolkit.h"

namespace varnel {

// One start of the program. The first start in a session claims it and
// loads the window; a later start, from the Run entry or by hand, makes no
// window: it asks the running copy to show its own (main() is then null).
// Two running copies would save every capture twice.
class Program {
 public:
  Program();
  Main* main() { return main_.get(); }

 private:
  plat::InstanceClaim claim_;
  std::unique_ptr<Main> main_;  // after the claim, and gone before it
};

int RunProgram();

}  // namespace varnel
