#include "exchange/id_antifreeze.h"

// Covered by tests/exchange/antifreeze_test.cpp.

namespace pellora::exchange {

namespace {

TIdAntiFreeze* inForce = nullptr;

class CurrentGuard : public WaitGuard {
 public:
  int idleSliceMs() override { return TIdAntiFreeze::idleSliceMs(); }
  void idle() override { TIdAntiFreeze::DoProcess(true); }
};

}  // namespace

TIdAntiFreeze::TIdAntiFreeze(ui::MessagePump& pump)
    : pump_(pump), thread_(std::this_thread::get_id()) {
  inForce = this;
}

TIdAntiFreeze::~TIdAntiFreeze() { inForce = nullptr; }

TIdAntiFreeze* TIdAntiFreeze::current() { return inForce; }

bool TIdAntiFreeze::inForceHere() const { return Active && std::this_thread::get_id() == thread_; }

void TIdAntiFreeze::DoProcess(bool idle) {
  TIdAntiFreeze* guard = inForce;
  if (guard == nullptr || !guard->inForceHere()) return;
  if (guard->OnlyWhenIdle && !idle) return;
  guard->pump_.processMessages();
}

int TIdAntiFreeze::idleSliceMs() {
  TIdAntiFreeze* guard = inForce;
  if (guard == nullptr || !guard->inForceHere()) return 0;
  return guard->IdleTimeOut > 0 ? guard->IdleTimeOut : 1;
}

WaitGuard& TIdAntiFreeze::waitGuard() {
  static CurrentGuard guard;
  return guard;
}

}  // namespace pellora::exchange
