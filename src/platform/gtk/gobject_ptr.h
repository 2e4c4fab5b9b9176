// Ownership of GObjects and GLib allocations: a unique_ptr that drops the
// reference (or frees the memory) however a scope ends.
#pragma once

#include <glib-object.h>

#include <memory>

namespace pellora::gtk {

struct GObjectUnref {
  void operator()(gpointer object) const {
    if (object) g_object_unref(object);
  }
};

// Holds one reference of a GObject of type T.
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// Takes over a reference the caller already owns ("transfer full").
template <typename T>
GObjectPtr<T> adopt(T* object) {
  return GObjectPtr<T>(object);
}

// Adds a reference of its own (for "transfer none" results that must live on).
template <typename T>
GObjectPtr<T> retain(T* object) {
  if (object) g_object_ref(object);
  return GObjectPtr<T>(object);
}

struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};

// A string or block from GLib that g_free releases.
using GCharPtr = std::unique_ptr<gchar, GFree>;

struct GMainLoopUnref {
  void operator()(GMainLoop* loop) const {
    if (loop) g_main_loop_unref(loop);
  }
};

// Holds one reference of a main loop.
using GMainLoopPtr = std::unique_ptr<GMainLoop, GMainLoopUnref>;

struct GErrorFree {
  void operator()(GError* error) const {
    if (error) g_error_free(error);
  }
};

// An error a GLib call reported ("out" GError**), freed with its owner.
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

}  // namespace pellora::gtk
