#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "exchange/id_antifreeze.h"
#include "support/fake_platform.h"

namespace pellora::exchange {
namespace {

TEST(AntiFreeze, TheGuardCreatedLastIsInForceAndDestroyingAnyLeavesNone) {
  test::FakePump firstPump;
  test::FakePump secondPump;
  auto first = std::make_unique<TIdAntiFreeze>(firstPump);
  EXPECT_EQ(first->IdleTimeOut, 250);
  EXPECT_TRUE(first->Active && first->ApplicationHasPriority && first->OnlyWhenIdle);
  auto second = std::make_unique<TIdAntiFreeze>(secondPump);
  EXPECT_EQ(TIdAntiFreeze::current(), second.get());

  TIdAntiFreeze::DoProcess(true);
  EXPECT_EQ(firstPump.calls, 0);
  EXPECT_EQ(secondPump.calls, 1);

  first.reset();  // an older form going away still leaves the process without a guard
  EXPECT_EQ(TIdAntiFreeze::current(), nullptr);
  EXPECT_EQ(TIdAntiFreeze::idleSliceMs(), 0);
  TIdAntiFreeze::DoProcess(true);
  EXPECT_EQ(secondPump.calls, 1);
}

TEST(AntiFreeze, PumpsOnlyWhenIdleActiveAndOnItsOwnThread) {
  test::FakePump pump;
  TIdAntiFreeze guard(pump);
  TIdAntiFreeze::DoProcess(false);
  EXPECT_EQ(pump.calls, 0);
  EXPECT_EQ(TIdAntiFreeze::idleSliceMs(), 250);

  std::thread other([] {
    TIdAntiFreeze::DoProcess(true);
    EXPECT_EQ(TIdAntiFreeze::idleSliceMs(), 0);
  });
  other.join();
  EXPECT_EQ(pump.calls, 0);

  guard.Active = false;
  TIdAntiFreeze::DoProcess(true);
  EXPECT_EQ(pump.calls, 0);
  EXPECT_EQ(TIdAntiFreeze::idleSliceMs(), 0);

  guard.Active = true;
  TIdAntiFreeze::waitGuard().idle();
  EXPECT_EQ(pump.calls, 1);
}

}  // namespace
}  // namespace pellora::exchange
