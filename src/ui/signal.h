// A minimal synchronous signal: handlers run in connection order on the
// emitting thread. An emission runs the handlers connected when it began
// that are still connected when their turn comes: a handler disconnected
// during an emission (by an earlier handler, or by itself) does not run
// later in it, and one connected during it waits for the next. Each handler
// is kept alive until the emission running it is over.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace pellora::ui {

template <typename... Args>
class Signal {
 public:
  using Handler = std::function<void(Args...)>;
  using ConnectionId = std::size_t;

  Signal() = default;
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;
  // A signal destroyed by one of its own handlers runs no more of them.
  ~Signal() {
    for (const auto& slot : slots_) slot->connected = false;
  }

  ConnectionId connect(Handler handler) {
    slots_.push_back(std::make_shared<Slot>(++lastId_, std::move(handler)));
    return lastId_;
  }

  void disconnect(ConnectionId id) {
    std::erase_if(slots_, [id](const auto& slot) {
      if (slot->id != id) return false;
      slot->connected = false;
      return true;
    });
  }

  void emit(Args... args) const {
    // The list may change under the handlers; the emission keeps its own.
    const auto snapshot = slots_;
    for (const auto& slot : snapshot) {
      if (slot->connected) slot->handler(args...);
    }
  }

  bool empty() const { return slots_.empty(); }

 private:
  struct Slot {
    Slot(ConnectionId id, Handler handler) : id(id), handler(std::move(handler)) {}
    ConnectionId id;
    Handler handler;
    bool connected = true;
  };

  std::vector<std::shared_ptr<Slot>> slots_;
  ConnectionId lastId_ = 0;
};

}  // namespace pellora::ui
