// One GObject signal connection with an owner: disconnected when the owner
// goes, unless the object went first (a weak pointer tells), so no handler
// can run against a freed receiver and none is disconnected by hand.
#pragma once

#include <glib-object.h>

#include <utility>

namespace pellora::gtk {

class SignalConnection {
 public:
  SignalConnection() = default;
  // Connects `handler` to `signal` of `instance` with `data`.
  SignalConnection(gpointer instance, const char* signal, GCallback handler, gpointer data,
                   GConnectFlags flags = GConnectFlags(0))
      : instance_(G_OBJECT(instance)),
        id_(g_signal_connect_data(instance, signal, handler, data, nullptr, flags)) {
    g_object_add_weak_pointer(instance_, reinterpret_cast<gpointer*>(&instance_));
  }
  ~SignalConnection() { disconnect(); }

  SignalConnection(SignalConnection&& other) noexcept { take(other); }
  SignalConnection& operator=(SignalConnection&& other) noexcept {
    if (this != &other) {
      disconnect();
      take(other);
    }
    return *this;
  }
  SignalConnection(const SignalConnection&) = delete;
  SignalConnection& operator=(const SignalConnection&) = delete;

  bool connected() const { return instance_ && id_ != 0; }

  // Stops the handler now; nothing when the object is gone already.
  void disconnect() {
    if (!instance_) return;
    g_object_remove_weak_pointer(instance_, reinterpret_cast<gpointer*>(&instance_));
    if (id_ != 0) g_signal_handler_disconnect(instance_, id_);
    instance_ = nullptr;
    id_ = 0;
  }

  // Holds the handler back while the returned guard lives (for changes the
  // program makes itself).
  class Blocked {
   public:
    explicit Blocked(const SignalConnection& connection) : connection_(connection) {
      if (connection_.connected()) g_signal_handler_block(connection_.instance_, connection_.id_);
    }
    ~Blocked() {
      if (connection_.connected()) g_signal_handler_unblock(connection_.instance_, connection_.id_);
    }
    Blocked(const Blocked&) = delete;
    Blocked& operator=(const Blocked&) = delete;

   private:
    const SignalConnection& connection_;
  };

 private:
  // The weak pointer is registered at the address of instance_, so a move
  // moves the registration too.
  void take(SignalConnection& other) {
    if (!other.instance_) return;
    g_object_remove_weak_pointer(other.instance_, reinterpret_cast<gpointer*>(&other.instance_));
    instance_ = std::exchange(other.instance_, nullptr);
    id_ = std::exchange(other.id_, 0);
    g_object_add_weak_pointer(instance_, reinterpret_cast<gpointer*>(&instance_));
  }

  GObject* instance_ = nullptr;
  gulong id_ = 0;
};

}  // namespace pellora::gtk
