// The one handle owner: what it closes, when, and how often, over a
// counting close call.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/unique.h"

namespace plat {
namespace {

std::vector<int> closed;

struct IntTraits {
  using Type = int;
  static Type Empty() { return -1; }
  static void Close(Type h) { closed.push_back(h); }
};
struct FailedOpenTraits : IntTraits {
  static constexpr bool kCloseFailedOpen = true;
};

// Each row: how an owner came by its handle (-1: the creating call failed),
// and what its end closes under each policy.
TEST(UniqueTest, ClosesWhatItWasGiven) {
  struct Row {
    const char* what;
    bool viaPut;
    int value;
    std::vector<int> closedPlain, closedFailedOpen;
  };
  const Row rows[] = {
      {"given a handle", false, 7, {7}, {7}},
      {"opened through put()", true, 7, {7}, {7}},
      {"open through put() failed", true, -1, {}, {-1}},
  };
  // What an owner of this kind closes at its end, having come by the row's handle.
  auto closedAtEnd = [](auto owner, const Row& row) {
    closed.clear();
    if (row.viaPut)
      *owner.put() = row.value;
    else
      owner.reset(row.value);
    owner = {};
    return closed;
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(closedAtEnd(Unique<IntTraits>{}, row), row.closedPlain);
    EXPECT_EQ(closedAtEnd(Unique<FailedOpenTraits>{}, row), row.closedFailedOpen);
  }
}

TEST(UniqueTest, OwnershipMovesAndIsGivenUp) {
  closed.clear();
  {
    Unique<FailedOpenTraits> never;  // asked for nothing: nothing to close
    Unique<FailedOpenTraits> a;
    *a.put() = -1;
    Unique<FailedOpenTraits> b(std::move(a));  // the failed open's close moves along, once
    Unique<IntTraits> c(3);
    c = Unique<IntTraits>(4);  // 3 closed now
    EXPECT_EQ(c.release(), 4);
    *c.put() = 5;
    c.reset(6);  // 5 closed now
    EXPECT_EQ(closed, (std::vector<int>{3, 5}));
  }
  EXPECT_EQ(closed, (std::vector<int>{3, 5, 6, -1}));
}

TEST(UniqueTest, ScopeExitRunsOnceUnlessReleased) {
  int runs = 0;
  {
    ScopeExit done([&] { ++runs; });
    ScopeExit moved(std::move(done));
    ScopeExit dropped([&] { runs += 10; });
    dropped.release();
    moved.reset();
    EXPECT_EQ(runs, 1);
  }
  EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace plat
