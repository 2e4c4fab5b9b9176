// A minimal synchronous signal: handlers run in connection order on the
// emitting thread. Disconnecting from inside a handler is safe; the handler
// list is copied per emission.
#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace pellora::ui {

template <typename... Args>
class Signal {
 public:
  using Handler = std::function<void(Args...)>;
  using ConnectionId = std::size_t;

  ConnectionId connect(Handler handler) {
    handlers_.emplace_back(++lastId_, std::move(handler));
    return lastId_;
  }

  void disconnect(ConnectionId id) {
    std::erase_if(handlers_, [id](const auto& entry) { return entry.first == id; });
  }

  void emit(Args... args) const {
    const auto snapshot = handlers_;
    for (const auto& entry : snapshot) entry.second(args...);
  }

  bool empty() const { return handlers_.empty(); }

 private:
  std::vector<std::pair<ConnectionId, Handler>> handlers_;
  ConnectionId lastId_ = 0;
};

}  // namespace pellora::ui
