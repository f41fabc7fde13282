// Every test ends holding no more graphics objects or device contexts than
// it started with, where the platform can count them.
#include <gtest/gtest.h>

#include "tests/support/test_desktop.h"

namespace {

class GdiLeakCheck : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { start_ = plat::testing::LiveGdiObjects(); }
  void OnTestEnd(const ::testing::TestInfo&) override {
    const auto now = plat::testing::LiveGdiObjects();
    if (start_ && now) {
      EXPECT_EQ(*now, *start_) << "graphics objects leaked";
    }
  }
  std::optional<std::size_t> start_;
};

// Listeners hear of a test's end in reverse order, so this check runs before
// the printer reports the result.
const bool registered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new GdiLeakCheck);
  return true;
}();

}  // namespace
