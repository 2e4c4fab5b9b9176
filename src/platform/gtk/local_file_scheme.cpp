#include "platform/gtk/local_file_scheme.h"

#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/local_addresses.h"

namespace pellora::gtk {

namespace {

// The view's list of files rides on the view itself: no process-wide table
// that static destruction could take away before the last view goes.
constexpr const char* kFilesKey = "pellora-local-files";

// The local path of a file:/// address, percent-decoded; empty when it is
// not one.
std::string localPath(const std::string& address) {
  GCharPtr path(g_filename_from_uri(address.c_str(), nullptr, nullptr));
  return path ? std::string(path.get()) : std::string();
}

// The path the request may read; empty when it is not allowed.
std::string allowedPath(WebKitURISchemeRequest* request) {
  WebKitWebView* view = webkit_uri_scheme_request_get_web_view(request);
  const auto* files =
      view ? static_cast<const std::set<std::string>*>(g_object_get_data(G_OBJECT(view), kFilesKey))
           : nullptr;
  if (!files) return {};
  const char* uri = webkit_uri_scheme_request_get_uri(request);
  const std::string wanted = localPath(localAddressesOut(uri ? uri : ""));
  if (wanted.empty()) return {};
  for (const std::string& address : *files) {
    if (localPath(address) == wanted) return wanted;
  }
  return {};
}

void refuse(WebKitURISchemeRequest* request, const char* why) {
  const GErrorPtr error(g_error_new_literal(G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, why));
  webkit_uri_scheme_request_finish_error(request, error.get());
}

void answer(WebKitURISchemeRequest* request) {
  const std::string path = allowedPath(request);
  if (path.empty()) return refuse(request, "not a file of this document");
  gchar* data = nullptr;
  gsize length = 0;
  if (!g_file_get_contents(path.c_str(), &data, &length, nullptr)) {
    return refuse(request, "the file cannot be read");
  }
  GCharPtr type(
      g_content_type_guess(path.c_str(), reinterpret_cast<const guchar*>(data), length, nullptr));
  GCharPtr mime(type ? g_content_type_get_mime_type(type.get()) : nullptr);
  GBytes* bytes = g_bytes_new_take(data, length);
  auto stream = adopt(g_memory_input_stream_new_from_bytes(bytes));
  g_bytes_unref(bytes);
  webkit_uri_scheme_request_finish(request, stream.get(), static_cast<gint64>(length),
                                   mime ? mime.get() : "application/octet-stream");
}

// Every request is finished, a failing one with an error: an unanswered
// request would keep the page loading for ever.
void serve(WebKitURISchemeRequest* request, gpointer) {
  try {
    answer(request);
  } catch (...) {
    refuse(request, "the file cannot be served");
    throw;
  }
}

}  // namespace

void serveLocalFiles(WebKitWebView* view, const std::set<std::string>& files) {
  static const bool registered = [] {
    const std::string scheme(kLocalScheme);
    WebKitWebContext* context = webkit_web_context_get_default();
    webkit_web_context_register_uri_scheme(context, scheme.c_str(), guardedCallback<&serve>,
                                           nullptr, nullptr);
    return true;
  }();
  (void)registered;
  g_object_set_data(G_OBJECT(view), kFilesKey, const_cast<std::set<std::string>*>(&files));
}

void forgetLocalFiles(WebKitWebView* view) {
  g_object_set_data(G_OBJECT(view), kFilesKey, nullptr);
}

}  // namespace pellora::gtk
