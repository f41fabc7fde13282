// One copy of the program per session, on the simulated platform: each
// Program stands for one start of Varnel.exe in the same session.
#include "app/program.h"
#include "tests/sim/fixture.h"

namespace varnel::testing {
namespace {

using ProgramTest = SimMachine;

TEST_F(ProgramTest, SecondStartShowsTheRunningWindowAndEnds) {
  WriteIni("[main]\r\npath=C:\\Shots\r\n");
  auto first = std::make_unique<Program>();
  ASSERT_NE(first->main(), nullptr);
  EXPECT_FALSE(first->main()->Form().Visible());
  {
    Program second;  // from the Run entry, or by hand
    EXPECT_EQ(second.main(), nullptr);
  }
  EXPECT_TRUE(first->main()->Form().Visible());
  // One icon (its add and its version), one copy to save each capture.
  EXPECT_EQ(sim::TrayCalls().size(), 2u);

  // Once the first has ended, a new start runs again.
  sim::CloseRequest();
  first.reset();
  Program third;
  EXPECT_NE(third.main(), nullptr);
}

}  // namespace
}  // namespace varnel::testing
