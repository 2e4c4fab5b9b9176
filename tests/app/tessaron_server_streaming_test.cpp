// The bundled Tessaron server's way of storing large saves: the stored bytes
// are decoded piece by piece straight into the store, and the disk store's
// temporary files, including those a killed save left behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/tessaron_server/content_store.h"
#include "app/tessaron_server/edit_request.h"
#include "app/tessaron_server/fd.h"
#include "app/tessaron_server/form_body.h"
#include "app/tessaron_server/site.h"
#include "support/temp_dir.h"

namespace pellora::tessaron {
namespace {

// A store that takes bytes only piece by piece and records the pieces.
class PieceStore final : public ContentStore {
 public:
  std::optional<std::string> read(const std::string&) override { return std::nullopt; }
  bool write(const std::string&, const std::string&) override {
    ADD_FAILURE() << "the bytes were gathered whole";
    return false;
  }
  bool writeFrom(const std::string& file, const ByteSource& source) override {
    std::string bytes;
    const bool done = source([&](std::string_view piece) {
      largestPiece = std::max(largestPiece, piece.size());
      bytes += piece;
      return true;
    });
    files[file] = bytes;
    return done;
  }
  Removal remove(const std::string&) override { return Removal::Missing; }
  std::map<std::string, std::string> files;
  std::size_t largestPiece = 0;
};

HttpRequest post(const std::string& type, std::string body) {
  HttpRequest request;
  request.method = "POST";
  request.target = "/t/edit.php";
  request.headers = {{"Content-Type", type}};
  request.body = std::move(body);
  return request;
}

std::string percentEncode(std::string_view bytes) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u)) {
      out += c;
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += hex[u >> 4];
      out += hex[u & 15];
    }
  }
  return out;
}

TEST(FormBodyPieces, DecodingInPiecesGivesWhatDecodingWholeGives) {
  std::mt19937 random(7);
  const std::string alphabet = "%%%+AZaz09&=\xFF";
  // Sizes around the piece size, so escapes fall across piece ends.
  for (const std::size_t size : {0u, 1u, 3u, 65535u, 65536u, 65537u, 200000u}) {
    std::string text(size, 'x');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    if (size > 70000) text.replace(65534, 3, "%41");
    std::string pieces;
    std::size_t count = 0;
    ASSERT_TRUE(percentDecodeInPieces(text, [&](std::string_view piece) {
      EXPECT_FALSE(piece.empty());
      pieces += piece;
      ++count;
      return true;
    }));
    EXPECT_EQ(pieces, percentDecode(text)) << size;
    EXPECT_GE(count, size / 65536) << "a large value comes in several pieces";
  }
  int calls = 0;
  EXPECT_FALSE(percentDecodeInPieces(std::string(300000, 'a'), [&](std::string_view) {
    ++calls;
    return false;
  })) << "a refusing sink stops the decoding";
  EXPECT_EQ(calls, 1);
}

TEST(FormBodyPieces, RawFieldsKeepTheirEncodingAndTheLastOfANameWins) {
  const std::string body = "content=K%FCche&htmlsource=a+%3Cb%3E&auth=x&htmlsource=2nd&flag&";
  const auto fields = scanFormBody(body);
  EXPECT_EQ(rawFormField(fields, "content"), "K%FCche");
  EXPECT_EQ(rawFormField(fields, "htmlsource"), "2nd");
  EXPECT_EQ(rawFormField(fields, "flag"), "");
  EXPECT_FALSE(rawFormField(fields, "missing"));
  EXPECT_EQ(parseFormBody(body), (FormFields{{"content",
                                              "K\xFC"
                                              "che"},
                                             {"htmlsource", "a <b>"},
                                             {"auth", "x"},
                                             {"htmlsource", "2nd"},
                                             {"flag", ""}}));
}

TEST(StoredBytes, LargeSavesAndUploadsReachTheStoreInPiecesDecoded) {
  std::string html;
  for (int i = 0; html.size() < 300000; ++i)
    html +=
        "<P>K\xFC"
        "che " +
        std::to_string(i) + "</P>\r\n";
  std::string image(250000, '\0');
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 31 % 256);
  const std::string boundary = "---------------------------7d11a9202023c";
  const std::string upload =
      "--" + boundary + "\r\nContent-Disposition: form-data; name=\"auth\"\r\n\r\nT0k\r\n--" +
      boundary +
      "\r\nContent-Disposition: form-data; name=\"imagefile\"; filename=\"C:\\p\\big.gif\"\r\n"
      "Content-Type: image/gif\r\n\r\n" +
      image + "\r\n--" + boundary + "--\r\n";

  PieceStore store;
  const SiteConfig site{"/t", "T0k"};
  EXPECT_EQ(handleRequest(post("application/x-www-form-urlencoded",
                               "content=Big&htmlsource=" + percentEncode(html) + "&auth=T0k&"),
                          site, store)
                .body,
            "OK");
  EXPECT_EQ(store.files.at("Big.html"), html);
  EXPECT_LE(store.largestPiece, 65536u) << "decoded piece by piece, never whole";
  EXPECT_EQ(
      handleRequest(post("multipart/form-data; boundary=" + boundary, upload), site, store).body,
      "OK");
  EXPECT_EQ(store.files.at("big.gif"), image);

  // The action keeps the body it came from: it stays valid after the
  // request is gone.
  StoredBytes kept =
      std::get<StoreContent>(interpretEditRequest(post("application/x-www-form-urlencoded",
                                                       "content=a&htmlsource=%3CP%3E&auth=T0k&"),
                                                  "T0k"))
          .bytes;
  EXPECT_EQ(kept.text(), "<P>");
}

// ---- the disk store's temporary files -------------------------------------

std::vector<std::string> entries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(DiskStoreTemporaries, AFailedSourceLeavesTheOldFileAndNoTemporary) {
  pellora::test::TempDir folder;
  DiskContentStore store(folder.path());
  ASSERT_TRUE(store.write("a.html", "old"));
  EXPECT_FALSE(store.writeFrom("a.html", [](const ByteSink& sink) {
    return sink("new, half") && false;  // the request broke off
  }));
  EXPECT_EQ(store.read("a.html"), "old");
  EXPECT_EQ(entries(folder.path()), (std::vector<std::string>{"a.html"}));

  // While a save writes, its temporary file is there and locked, so a
  // starting server leaves it alone.
  bool sawLocked = false;
  ASSERT_TRUE(store.writeFrom("a.html", [&](const ByteSink& sink) {
    for (const auto& name : entries(folder.path())) {
      if (name == "a.html") continue;
      Fd fd(::open((folder.path() / name).c_str(), O_RDONLY));
      sawLocked = fd.valid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0;
    }
    EXPECT_EQ(DiskContentStore(folder.path()).removeStaleTemporaries(), 0u);
    return sink("new");
  }));
  EXPECT_TRUE(sawLocked);
  EXPECT_EQ(store.read("a.html"), "new");
  EXPECT_EQ(entries(folder.path()), (std::vector<std::string>{"a.html"}));
}

TEST(DiskStoreTemporaries, StartRemovesOnlyTheTemporariesOfUnfinishedSaves) {
  pellora::test::TempDir folder;
  const auto& dir = folder.path();
  using pellora::test::writeFile;
  const std::vector<std::string> stale = {".Sample 1.html.tessaron-save-a1B2c3",
                                          ".p.gif.tessaron-save-ZZZZZZ"};
  for (const auto& name : stale) writeFile(dir / name, "half a save");
  // Names like the temporaries' that are not theirs, and things that are
  // not regular files, stay.
  const std::vector<std::string> kept = {
      "Sample 1.html",
      ".notes.backup",
      ".a.html.x1Y2z3",
      ".tessaron-save-abcdef",
      ".a.html.tessaron-save-abc",
      ".a.html.tessaron-save-abc-ef",
      "a.html.tessaron-save-abcdef",
      ".d.tessaron-save-DIRDIR",
      ".l.tessaron-save-LINKED",
      ".w.tessaron-save-WRITES",
  };
  for (const auto& name : kept) {
    if (name == ".d.tessaron-save-DIRDIR") {
      std::filesystem::create_directory(dir / name);
    } else if (name != ".l.tessaron-save-LINKED") {
      writeFile(dir / name, "keep");
    }
  }
  pellora::test::TempDir outside;
  writeFile(outside.path() / "target", "keep");
  std::filesystem::create_symlink(outside.path() / "target", dir / ".l.tessaron-save-LINKED");
  // A save still writing (another server on the same folder) holds its lock.
  Fd writing(::open((dir / ".w.tessaron-save-WRITES").c_str(), O_RDWR));
  ASSERT_EQ(::flock(writing.get(), LOCK_EX), 0);

  EXPECT_EQ(DiskContentStore(dir).removeStaleTemporaries(), stale.size());
  std::vector<std::string> expected = kept;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(entries(dir), expected);
  EXPECT_EQ(pellora::test::readFile(outside.path() / "target"), "keep");
}

}  // namespace
}  // namespace pellora::tessaron
