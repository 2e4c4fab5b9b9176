// The signal's emission while its handler list changes under it.
#include "ui/signal.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace pellora::ui {
namespace {

// Handlers a, b and c in that order; `act` runs inside a's call, in the
// first emission only. Each case lists who ran in the first and second
// emission.
TEST(SignalTest, EmissionFollowsDisconnectsAndConnectsMadeDuringIt) {
  struct Case {
    const char* name;
    void (*act)(Signal<>& signal, std::vector<std::string>& ran, Signal<>::ConnectionId b,
                Signal<>::ConnectionId c);
    std::vector<std::string> first;
    std::vector<std::string> second;
  };
  const Case cases[] = {
      {"nothing changes", [](Signal<>&, auto&, auto, auto) {}, {"a", "b", "c"}, {"a", "b", "c"}},
      {"a disconnects a later handler: it does not run in this emission",
       [](Signal<>& s, auto&, auto, auto c) { s.disconnect(c); },
       {"a", "b"},
       {"a", "b"}},
      {"a disconnects the next and the last",
       [](Signal<>& s, auto&, auto b, auto c) {
         s.disconnect(b);
         s.disconnect(c);
       },
       {"a"},
       {"a"}},
      {"a connects a handler: it waits for the next emission",
       [](Signal<>& s, std::vector<std::string>& ran, auto, auto) {
         s.connect([&ran] { ran.push_back("d"); });
       },
       {"a", "b", "c"},
       {"a", "b", "c", "d"}},
      {"a disconnects b and connects a new one in the same emission",
       [](Signal<>& s, std::vector<std::string>& ran, auto b, auto) {
         s.disconnect(b);
         s.connect([&ran] { ran.push_back("d"); });
       },
       {"a", "c"},
       {"a", "c", "d"}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    Signal<> signal;
    std::vector<std::string> ran;
    bool acted = false;
    Signal<>::ConnectionId b = 0, c = 0;
    signal.connect([&] {
      ran.push_back("a");
      if (acted) return;
      acted = true;
      test.act(signal, ran, b, c);
    });
    b = signal.connect([&] { ran.push_back("b"); });
    c = signal.connect([&] { ran.push_back("c"); });
    signal.emit();
    EXPECT_EQ(ran, test.first);
    ran.clear();
    signal.emit();
    EXPECT_EQ(ran, test.second);
  }
}

TEST(SignalTest, HandlerThatDisconnectsItselfFinishesItsCallAndNeverRunsAgain) {
  Signal<int> signal;
  std::vector<int> seen;
  Signal<int>::ConnectionId self = 0;
  // The handler's captures must still be alive after it disconnected.
  auto owned = std::make_shared<std::string>("kept");
  self = signal.connect([&, owned](int value) {
    signal.disconnect(self);
    seen.push_back(value);
    EXPECT_EQ(*owned, "kept");
  });
  owned.reset();
  signal.connect([&](int value) { seen.push_back(value * 10); });
  signal.emit(1);
  signal.emit(2);
  EXPECT_EQ(seen, (std::vector<int>{1, 10, 20}));
}

TEST(SignalTest, SignalDestroyedByItsHandlerRunsNoMoreOfThem) {
  auto signal = std::make_unique<Signal<>>();
  std::vector<std::string> ran;
  signal->connect([&] {
    ran.push_back("a");
    signal.reset();
  });
  signal->connect([&] { ran.push_back("b"); });
  Signal<>& emitting = *signal;
  emitting.emit();
  EXPECT_EQ(ran, std::vector<std::string>{"a"});
  EXPECT_EQ(signal, nullptr);
}

}  // namespace
}  // namespace pellora::ui
