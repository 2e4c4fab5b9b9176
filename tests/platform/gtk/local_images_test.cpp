// Local images in the visual view, with the real engine: a file:/// image
// looks exactly like the same image fetched from the content's server, the
// page never loads a local file the document does not refer to, and only
// file:/// addresses ever come out of the surface.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "platform/gtk/surface_scripts.h"
#include "platform/gtk/surface_window_fixture.h"
#include "platform/gtk/webkit_surface.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"

namespace pellora::gtk {
namespace {

namespace fs = std::filesystem;
using engine_test::drainEvents;
using engine_test::runUntil;

// A 40 x 40 PNG in four coloured quarters, so a shifted, scaled or missing
// image cannot pass for it.
std::string quarteredPng(guint32 topLeft) {
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 40, 40);
  const guint32 colours[4] = {topLeft, 0x00ff00ff, 0x0000ffff, 0xffff00ff};
  for (int quarter = 0; quarter < 4; ++quarter) {
    GdkPixbuf* part =
        gdk_pixbuf_new_subpixbuf(pixbuf, (quarter % 2) * 20, (quarter / 2) * 20, 20, 20);
    gdk_pixbuf_fill(part, colours[quarter]);
    g_object_unref(part);
  }
  gchar* buffer = nullptr;
  gsize size = 0;
  gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, "png", nullptr, nullptr);
  g_object_unref(pixbuf);
  std::string bytes(buffer, size);
  g_free(buffer);
  return bytes;
}

std::string fileAddress(const fs::path& path) {
  gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
  std::string address(uri);
  g_free(uri);
  return address;
}

struct Snapshot {
  cairo_surface_t* surface = nullptr;
  bool done = false;
  ~Snapshot() {
    if (surface) cairo_surface_destroy(surface);
  }
};

void snapshotTaken(GObject* view, GAsyncResult* result, gpointer data) {
  auto* shot = static_cast<Snapshot*>(data);
  shot->surface = webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(view), result, nullptr);
  shot->done = true;
}

class LocalImagesTest : public engine_test::SurfaceWindowTest {
 protected:
  LocalImagesTest() : SurfaceWindowTest(400, 200) {}

  // Until every image of the page has loaded or failed.
  void awaitImages() {
    runUntil([&] { return eval("Array.from(document.images).every(i => i.complete)") == "true"; });
  }

  int naturalWidth(const std::string& id) {
    return std::stoi(eval("document.getElementById('" + id + "').naturalWidth"));
  }

  // The pixels (0xAARRGGBB) of the element `id` as drawn in the view.
  std::vector<guint32> pixelsOf(const std::string& id) {
    const std::string rect = "document.getElementById('" + id + "').getBoundingClientRect()";
    const int left = std::stoi(eval("Math.round(" + rect + ".left)"));
    const int top = std::stoi(eval("Math.round(" + rect + ".top)"));
    Snapshot shot;
    webkit_web_view_get_snapshot(WEBKIT_WEB_VIEW(surface_->widget()),
                                 WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE,
                                 nullptr, snapshotTaken, &shot);
    runUntil([&] { return shot.done; });
    std::vector<guint32> pixels;
    if (!shot.surface) return pixels;
    cairo_surface_t* image = cairo_surface_map_to_image(shot.surface, nullptr);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = top; y < top + 40; ++y) {
      for (int x = left; x < left + 40; ++x) {
        pixels.push_back(*reinterpret_cast<const guint32*>(data + y * stride + x * 4));
      }
    }
    cairo_surface_unmap_image(shot.surface, image);
    return pixels;
  }

  test::TempDir temp_;
};

TEST_F(LocalImagesTest, ALocalImageLooksLikeTheSameImageFromTheServer) {
  const std::string png = quarteredPng(0xff0000ff);
  const fs::path local = temp_.path() / "bild eins.png";
  test::writeFile(local, png);
  const std::string response = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: " +
                               std::to_string(png.size()) + "\r\nConnection: close\r\n\r\n" + png;
  const test::ConnectionScript answer = {test::readRequest(), test::sendBytes(response),
                                         test::closeConnection()};
  test::ScriptedServer server({answer, answer});
  editingContext().BaseUrl = server.url("/t");

  const std::string address = fileAddress(local);
  load("<p><img id=\"local\" src=\"" + address + "\"><img id=\"server\" src=\"bild.png\"></p>");
  awaitImages();
  ASSERT_EQ(40, naturalWidth("local")) << "the local image is shown";
  ASSERT_EQ(40, naturalWidth("server"));
  ASSERT_FALSE(server.requests().empty());
  EXPECT_EQ(0u, server.requests()[0].rfind("GET /t/contents/bild.png ", 0));

  const std::vector<guint32> fromFile = pixelsOf("local");
  const std::vector<guint32> fromServer = pixelsOf("server");
  ASSERT_EQ(1600u, fromFile.size());
  EXPECT_EQ(0xffff0000u, fromFile.front()) << "red at the top left";
  EXPECT_EQ(0xffffff00u, fromFile.back()) << "yellow at the bottom right";
  EXPECT_EQ(fromServer, fromFile);

  // Only the file:/// address leaves the surface.
  const std::string expected = "<img id=\"local\" src=\"" + address + "\">";
  EXPECT_NE(std::string::npos, surface_->DOM()->bodyInnerHTML().find(expected));
  EXPECT_NE(std::string::npos, surface_->DocumentHTML().find(expected));
  EXPECT_EQ(std::string::npos, surface_->DocumentHTML().find("pellora-local:///"));
}

TEST_F(LocalImagesTest, OnlyFilesTheDocumentRefersToAreServed) {
  const fs::path shown = temp_.path() / "shown.png";
  const fs::path other = temp_.path() / "other.png";
  const fs::path inserted = temp_.path() / "inserted.png";
  test::writeFile(shown, quarteredPng(0xff0000ff));
  test::writeFile(other, quarteredPng(0x000000ff));
  test::writeFile(inserted, quarteredPng(0xffffffff));
  load("<p>x<img id=\"shown\" src=\"" + fileAddress(shown) + "\"></p>");
  awaitImages();
  EXPECT_EQ(40, naturalWidth("shown"));

  // The page asks for a file the document does not name, by our own scheme
  // and as a file:// address: both are refused.
  std::string otherInScheme = fileAddress(other);
  otherInScheme.replace(0, 4, "pellora-local");
  eval(
      "(function(){const p=document.querySelector('p');"
      "for (const [id, src] of [['viaScheme', " +
      jsString(otherInScheme) + "], ['viaFile', " + jsString(fileAddress(other)) +
      "]]) {const i=document.createElement('img');i.id=id;i.src=src;p.appendChild(i);}"
      "return true;})()");
  awaitImages();
  EXPECT_EQ(0, naturalWidth("viaScheme"));
  EXPECT_EQ(0, naturalWidth("viaFile"));

  // A file inserted later (as the image dialog returns it) is served.
  eval(
      "document.getElementById('viaScheme').remove();document.getElementById('viaFile').remove();"
      "getSelection().collapse(document.querySelector('p').firstChild, 1);true");
  surface_->ExecCommand(ui::DECMD_IMAGE, ui::OLECMDEXECOPT_DONTPROMPTUSER,
                        std::string(fileAddress(inserted)));
  awaitImages();
  EXPECT_EQ("40,40", eval("Array.from(document.images).map(i => i.naturalWidth).join()"));
  EXPECT_NE(std::string::npos,
            surface_->DOM()->bodyInnerHTML().find("src=\"" + fileAddress(inserted) + "\""));
}

}  // namespace
}  // namespace pellora::gtk
