// The guard that keeps the window alive while the HTTP client blocks the
// user-interface thread. It is process-wide: the guard created last is the
// one in force, and destroying any guard leaves the process without one, so
// that later calls block without pumping until another is created. A
// blocking call asks the guard in force after every idle slice of its wait;
// the guard pumps only on the thread that created it.
#pragma once

#include <thread>

#include "exchange/socket.h"
#include "ui/services.h"

namespace pellora::exchange {

class TIdAntiFreeze {
 public:
  explicit TIdAntiFreeze(ui::MessagePump& pump);
  ~TIdAntiFreeze();
  TIdAntiFreeze(const TIdAntiFreeze&) = delete;
  TIdAntiFreeze& operator=(const TIdAntiFreeze&) = delete;

  bool Active = true;
  // The pump processes every waiting message, which is what this asks for.
  bool ApplicationHasPriority = true;
  int IdleTimeOut = 250;
  bool OnlyWhenIdle = true;

  // The guard in force, or null.
  static TIdAntiFreeze* current();
  // Called by blocking calls; `idle` tells whether the last slice brought
  // nothing. Pumps when a guard is in force, active and on its thread.
  static void DoProcess(bool idle);
  // Idle slice length for blocking calls: IdleTimeOut of an active guard in
  // force on this thread, 0 otherwise.
  static int idleSliceMs();

  // The guard in force as a WaitGuard for sockets.
  static WaitGuard& waitGuard();

 private:
  bool inForceHere() const;

  ui::MessagePump& pump_;
  std::thread::id thread_;
};

}  // namespace pellora::exchange
