// The bundled Tessaron server: its parsers and request handling fed bytes
// directly, its disk store on a private folder, and whole connections over
// loopback against a server running in this process.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <thread>

#include "app/tessaron_server/content_store.h"
#include "app/tessaron_server/edit_request.h"
#include "app/tessaron_server/fd.h"
#include "app/tessaron_server/form_body.h"
#include "app/tessaron_server/http_request.h"
#include "app/tessaron_server/http_response.h"
#include "app/tessaron_server/listener.h"
#include "app/tessaron_server/multipart.h"
#include "app/tessaron_server/names.h"
#include "app/tessaron_server/routes.h"
#include "app/tessaron_server/server_options.h"
#include "app/tessaron_server/site.h"
#include "support/temp_dir.h"

namespace pellora::tessaron {
namespace {

using State = HeadParse::State;

// The upload body the editor sends for one file.
const std::string kBoundary = "---------------------------7d11a9202023c";
std::string uploadBody(const std::string& auth, const std::string& path, const std::string& bytes) {
  const std::string delimiter = "--" + kBoundary + "\r\n";
  return delimiter + "Content-Disposition: form-data; name=\"auth\"\r\n\r\n" + auth + "\r\n" +
         delimiter + "Content-Disposition: form-data; name=\"content\"\r\n\r\nSample 1\r\n" +
         delimiter + "Content-Disposition: form-data; name=\"imagefile\"; filename=\"" + path +
         "\"\r\nContent-Type: image/pjpeg\r\n\r\n" + bytes + "\r\n--" + kBoundary + "--\r\n";
}

HttpRequest post(const std::string& target, const std::string& type, const std::string& body) {
  HttpRequest request;
  request.method = "POST";
  request.target = target;
  request.headers = {{"Content-Type", type}};
  request.body = body;
  return request;
}

HttpRequest formPost(const std::string& body) {
  return post("/t/edit.php", "application/x-www-form-urlencoded", body);
}

HttpRequest uploadPost(const std::string& body) {
  return post("/t/edit.php", "multipart/form-data; boundary=" + kBoundary, body);
}

HttpRequest get(const std::string& target) {
  HttpRequest request;
  request.method = "GET";
  request.target = target;
  return request;
}

class MemoryContentStore final : public ContentStore {
 public:
  std::optional<std::string> read(const std::string& file) override {
    const auto it = files.find(file);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  bool write(const std::string& file, const std::string& bytes) override {
    if (failWrites) return false;
    files[file] = bytes;
    return true;
  }
  Removal remove(const std::string& file) override {
    return files.erase(file) ? Removal::Removed : Removal::Missing;
  }
  std::map<std::string, std::string> files;
  bool failWrites = false;
};

// ---- request heads -------------------------------------------------------

TEST(RequestHead, ParsesTheEditorsRequestsAndRefusesBrokenOnes) {
  struct Case {
    std::string head;
    State state;
    int status;
  } cases[] = {
      {"GET /t/contents/Sample%201.html HTTP/1.1\r\nHost: h\r\n\r\n", State::Complete, 0},
      {"POST /t/edit.php HTTP/1.0\r\nContent-Length: 4\r\n\r\n", State::Complete, 0},
      {"\r\nGET / HTTP/1.1\nHost: h\n\n", State::Complete, 0},  // stray line end, bare LF
      {"GET / HTTP/1.1\r\nHost: h\r\n", State::Incomplete, 0},
      {"GET / HTTP/1.1", State::Incomplete, 0},
      {"GET /HTTP/1.1\r\n\r\n", State::Failed, 400},
      {"GET  / HTTP/1.1\r\n\r\n", State::Failed, 400},
      {"G(T / HTTP/1.1\r\n\r\n", State::Failed, 400},
      {"GET / HTTP/1.1 extra\r\n\r\n", State::Failed, 400},
      {"GET / HTTQ/1.1\r\n\r\n", State::Failed, 400},
      {"GET / HTTP/2.0\r\n\r\n", State::Failed, 505},
      {"GET /\x01 HTTP/1.1\r\n\r\n", State::Failed, 400},
      {"GET / HTTP/1.1\r\nNo colon\r\n\r\n", State::Failed, 400},
      {"GET / HTTP/1.1\r\nBad name: x\r\n\r\n", State::Failed, 400},
      {"GET / HTTP/1.1\r\nA: b\r\n folded\r\n\r\n", State::Failed, 400},
      {"GET / HTTP/1.1\r\nA: b\x01\r\n\r\n", State::Failed, 400},
      {"POST /t/edit.php HTTP/1.0\r\n\r\n", State::Failed, 411},
      {"POST / HTTP/1.1\r\nContent-Length: x1\r\n\r\n", State::Failed, 400},
      {"POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", State::Failed, 400},
      {"POST / HTTP/1.1\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\n", State::Failed, 400},
      {"POST / HTTP/1.1\r\nContent-Length: 99999999999999999999999999\r\n\r\n", State::Failed, 413},
      {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", State::Failed, 501},
  };
  for (const auto& c : cases) {
    const HeadParse parse = parseRequestHead(c.head, RequestLimits{});
    EXPECT_EQ(parse.state, c.state) << c.head;
    EXPECT_EQ(parse.status, c.status) << c.head;
  }
}

TEST(RequestHead, CompleteHeadGivesItsPartsAndLengths) {
  const std::string head =
      "POST /t/edit.php HTTP/1.0\r\nConnection: keep-alive\r\ncontent-length:  40 \r\n"
      "Content-Type: application/x-www-form-urlencoded\r\n\r\n";
  const HeadParse parse = parseRequestHead(head + "content=x&rest", RequestLimits{});
  ASSERT_EQ(parse.state, State::Complete);
  EXPECT_EQ(parse.request.method, "POST");
  EXPECT_EQ(parse.request.target, "/t/edit.php");
  EXPECT_EQ(parse.request.minorVersion, 0);
  EXPECT_EQ(parse.headBytes, head.size());
  EXPECT_EQ(parse.bodyBytes, 40u);
  EXPECT_EQ(parse.request.header("CONTENT-TYPE").value_or(""), "application/x-www-form-urlencoded");
  EXPECT_FALSE(parse.request.header("Cookie"));

  // Fed byte by byte, the head stays incomplete up to its last byte.
  for (std::size_t n = 0; n < head.size(); ++n) {
    ASSERT_EQ(parseRequestHead(head.substr(0, n), RequestLimits{}).state, State::Incomplete) << n;
  }
}

TEST(RequestHead, LimitsBoundTheHeadTheHeaderCountAndTheBody) {
  RequestLimits limits;
  limits.maxHeadBytes = 64;
  limits.maxHeaders = 2;
  limits.maxBodyBytes = 10;
  EXPECT_EQ(parseRequestHead(std::string(65, 'G'), limits).status, 431) << "no line end yet";
  EXPECT_EQ(
      parseRequestHead("GET / HTTP/1.1\r\nA: " + std::string(60, 'x') + "\r\n\r\n", limits).status,
      431);
  EXPECT_EQ(parseRequestHead(std::string(70, '\n'), limits).status, 431);
  EXPECT_EQ(parseRequestHead("GET / HTTP/1.1\r\nA: 1\r\nB: 2\r\nC: 3\r\n\r\n", limits).status, 431);
  EXPECT_EQ(parseRequestHead("POST / HTTP/1.1\r\nContent-Length: 11\r\n\r\n", limits).status, 413);
  EXPECT_EQ(parseRequestHead("POST / HTTP/1.1\r\nContent-Length: 10\r\n\r\n", limits).state,
            State::Complete);
}

TEST(RequestHead, KeepAliveFollowsVersionAndConnectionHeader) {
  struct Case {
    int minor;
    std::optional<std::string> connection;
    bool keep;
  } cases[] = {
      {1, std::nullopt, true}, {1, "close", false},      {1, "Close", false},
      {1, "keep-alive", true}, {0, std::nullopt, false}, {0, "keep-alive", true},
      {0, "Keep-Alive", true}, {0, "close", false},
  };
  for (const auto& c : cases) {
    HttpRequest request;
    request.minorVersion = c.minor;
    if (c.connection) request.headers = {{"Connection", *c.connection}};
    EXPECT_EQ(wantsKeepAlive(request), c.keep) << c.minor << " " << c.connection.value_or("-");
  }
}

// ---- form bodies ---------------------------------------------------------

TEST(FormBody, ReadsTheEditorsSaveBodyWithItsTrailingAmpersand) {
  const FormFields fields = parseFormBody(
      "content=Sample%201&htmlsource=%3CP%3EK%FCche%0A%80%3C%2FP%3E&auth=T0k&edtype=ax&");
  ASSERT_EQ(fields.size(), 4u);
  EXPECT_EQ(formField(fields, "content"), "Sample 1");
  EXPECT_EQ(formField(fields, "htmlsource"),
            "<P>K\xFC"
            "che\n\x80</P>");
  EXPECT_EQ(formField(fields, "auth"), "T0k");
  EXPECT_EQ(formField(fields, "edtype"), "ax");
  EXPECT_FALSE(formField(fields, "deleteimage"));
}

TEST(FormBody, DecodesPercentAndPlusAndKeepsMalformedEscapes) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"a%20b", "a b"}, {"a+b", "a b"},         {"%2B", "+"},
      {"%zz", "%zz"},   {"%4", "%4"},           {"%", "%"},
      {"50%", "50%"},   {"%e4%C4", "\xE4\xC4"}, {"%00", std::string(1, '\0')},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(percentDecode(c.in), c.out) << c.in;
}

TEST(FormBody, SplitsFieldsAtAmpersandsAndTheLastOfANameWins) {
  const FormFields fields = parseFormBody("&&a=1&flag&b==x&a=2&=v&");
  EXPECT_EQ(fields, (FormFields{{"a", "1"}, {"flag", ""}, {"b", "=x"}, {"a", "2"}, {"", "v"}}));
  EXPECT_EQ(formField(fields, "a"), "2");
  EXPECT_TRUE(parseFormBody("").empty());
}

// ---- multipart bodies ----------------------------------------------------

TEST(Multipart, ReadsTheEditorsUploadWithAWindowsPath) {
  const std::string bytes("GIF89a\r\n--\0\xFF", 12);  // line ends and dashes inside the data
  const auto parts = parseMultipart(uploadBody("T0k", "C:\\Bilder\\my pic.gif", bytes), kBoundary);
  ASSERT_TRUE(parts);
  ASSERT_EQ(parts->size(), 3u);
  EXPECT_EQ((*parts)[0].name, "auth");
  EXPECT_EQ((*parts)[0].data, "T0k");
  EXPECT_FALSE((*parts)[0].filename);
  EXPECT_EQ((*parts)[1].data, "Sample 1");
  const FormPart* image = findPart(*parts, "imagefile");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->filename, "C:\\Bilder\\my pic.gif");
  EXPECT_EQ(image->contentType, "image/pjpeg");
  EXPECT_EQ(image->data, bytes);
}

TEST(Multipart, EmptyFileAndPreambleAndEpilogue) {
  auto parts = parseMultipart(uploadBody("a", "e.gif", ""), kBoundary);
  ASSERT_TRUE(parts);
  EXPECT_EQ(findPart(*parts, "imagefile")->data, "");
  parts = parseMultipart("preamble\r\n" + uploadBody("a", "e.gif", "x") + "epilogue", kBoundary);
  ASSERT_TRUE(parts);
  EXPECT_EQ(findPart(*parts, "imagefile")->data, "x");
}

TEST(Multipart, MalformedBodiesAreRefusedWhole) {
  const std::string good = uploadBody("a", "p.gif", "data");
  const std::string d = "--" + kBoundary;
  const std::string cases[] = {
      "",
      "no delimiter at all",
      good.substr(0, good.size() - 8),                                    // no closing delimiter
      d + "\r\nContent-Disposition: form-data; name=\"a\"\r\n",           // no header end
      d + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nvalue",  // no delimiter after
      d + "\r\nContent-Type: text/plain\r\n\r\nx\r\n" + d + "--",         // unnamed part
      d + "\r\nContent-Disposition: attachment; name=\"a\"\r\n\r\nx\r\n" + d + "--",
      d + "\r\nContent-Disposition: form-data; name=\"a\r\n\r\nx\r\n" + d + "--",  // open quote
      d + "\r\nContent-Disposition: form-data; name\r\n\r\nx\r\n" + d + "--",
      d + "\r\nbroken header\r\n\r\nx\r\n" + d + "--",
      d + "junk\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nx\r\n" + d + "--",
      // Nothing would end these but the body's end.
      std::string(kMaxPreambleBytes + 1, 'p') + "\r\n" + good,
      d + "\r\nContent-Disposition: form-data; name=\"a\"\r\nX: " +
          std::string(kMaxPartHeadBytes, 'x') + "\r\n\r\nx\r\n" + d + "--",
  };
  for (const auto& body : cases) EXPECT_FALSE(parseMultipart(body, kBoundary)) << body;

  std::string many;
  for (std::size_t i = 0; i <= kMaxFormParts; ++i) {
    many += d + "\r\nContent-Disposition: form-data; name=\"p\"\r\n\r\nx\r\n";
  }
  EXPECT_FALSE(parseMultipart(many + d + "--", kBoundary)) << "too many parts";
}

TEST(Multipart, BoundaryComesOnlyFromAFormDataType) {
  EXPECT_EQ(multipartBoundary("multipart/form-data; boundary=" + kBoundary), kBoundary);
  EXPECT_EQ(multipartBoundary("Multipart/Form-Data;boundary=\"a b\""), "a b");
  EXPECT_EQ(multipartBoundary("multipart/form-data; charset=x; boundary=zz"), "zz");
  EXPECT_FALSE(multipartBoundary("application/x-www-form-urlencoded"));
  EXPECT_FALSE(multipartBoundary("multipart/mixed; boundary=zz"));
  EXPECT_FALSE(multipartBoundary("multipart/form-data"));
  EXPECT_FALSE(multipartBoundary("multipart/form-data; boundary="));
  EXPECT_FALSE(multipartBoundary("multipart/form-data; boundary=\"unclosed"));
}

// ---- names and tokens ----------------------------------------------------

TEST(Names, OnlyPlainFileNamesInsideTheFolderPass) {
  struct Case {
    std::string name;
    bool safe;
  } cases[] = {
      {"Sample 1.html", true},
      {"K\xFC"
       "che.html",
       true},
      {"a.b.gif", true},
      {"", false},
      {".", false},
      {"..", false},
      {"../x.html", false},
      {"..\\x.html", false},
      {"a/b", false},
      {"/etc/passwd", false},
      {".hidden", false},
      {"a\nb", false},
      {std::string("a\0b", 3), false},
      {std::string(kMaxFileNameBytes, 'x'), true},
      {std::string(kMaxFileNameBytes + 1, 'x'), false},
  };
  for (const auto& c : cases) EXPECT_EQ(isSafeFileName(c.name), c.safe) << c.name;
}

TEST(Names, UploadNamesTokensAndContentFiles) {
  EXPECT_EQ(uploadBaseName("C:\\Bilder\\my pic.gif"), "my pic.gif");
  EXPECT_EQ(uploadBaseName("/home/u/a.png"), "a.png");
  EXPECT_EQ(uploadBaseName("C:\\dir/mixed\\b.gif"), "b.gif");
  EXPECT_EQ(uploadBaseName("plain.gif"), "plain.gif");
  EXPECT_EQ(uploadBaseName("C:\\dir\\"), "");

  EXPECT_TRUE(namesContentFile("x.html"));
  EXPECT_TRUE(namesContentFile("X.HTML"));
  EXPECT_FALSE(namesContentFile("x.htm"));
  EXPECT_FALSE(namesContentFile("html"));
  EXPECT_EQ(contentFileName("Sample 1"), "Sample 1.html");

  EXPECT_TRUE(tokenMatches("0f3c", "0f3c"));
  EXPECT_FALSE(tokenMatches("0f3d", "0f3c"));
  EXPECT_FALSE(tokenMatches("0f3", "0f3c"));
  EXPECT_FALSE(tokenMatches("0f3cc", "0f3c"));
  EXPECT_FALSE(tokenMatches("", "")) << "an empty token never opens the door";

  EXPECT_TRUE(isUsableToken("0f3c9a7e51d2b8846a0e7c3f92d1b5a6"));
  for (const std::string bad : {"", "a b", "a+b", "a%b", "a&b", "a=b", "a\r\nb"}) {
    EXPECT_FALSE(isUsableToken(bad)) << bad;
  }
}

// ---- routes --------------------------------------------------------------

TEST(Routes, TargetsLeadToContentsFilesOrTheScript) {
  using Kind = Route::Kind;
  struct Case {
    std::string target;
    Kind kind;
    std::string file;
  } cases[] = {
      {"/t/contents/Sample%201.html", Kind::ContentsFile, "Sample 1.html"},
      {"/t/contents/a%2Eb.html", Kind::ContentsFile, "a.b.html"},
      {"/t/contents/a+b.gif", Kind::ContentsFile, "a+b.gif"},
      {"/t/contents/x.html?v=1#top", Kind::ContentsFile, "x.html"},
      {"http://h:8080/t/contents/x.html", Kind::ContentsFile, "x.html"},
      {"/t/contents/..%2Fsecret", Kind::ContentsFile, "../secret"},  // the name check refuses it
      {"/t/edit.php", Kind::EditScript, ""},
      {"/t/edit.php?x", Kind::EditScript, ""},
      {"/t/contents/", Kind::Nowhere, ""},
      {"/t/contents/sub/x.html", Kind::Nowhere, ""},
      {"/t/contents", Kind::Nowhere, ""},
      {"/tx/edit.php", Kind::Nowhere, ""},
      {"/other/edit.php", Kind::Nowhere, ""},
      {"/t/", Kind::Nowhere, ""},
      {"*", Kind::Nowhere, ""},
  };
  for (const auto& c : cases) {
    const Route route = routeTarget(c.target, "/t");
    EXPECT_EQ(route.kind, c.kind) << c.target;
    EXPECT_EQ(route.file, c.file) << c.target;
  }
  EXPECT_EQ(routeTarget("/edit.php", "").kind, Kind::EditScript) << "installation at the root";
}

TEST(Routes, BasePathsAreNormalised) {
  EXPECT_EQ(normaliseBasePath("/tessaron/").path, "/tessaron");
  EXPECT_TRUE(normaliseBasePath("/").ok);
  EXPECT_EQ(normaliseBasePath("/").path, "");
  EXPECT_EQ(normaliseBasePath("/a/b").path, "/a/b");
  for (const std::string bad : {"tessaron", "/a b", "/a?b", "/a%20b", "/\xE4"}) {
    EXPECT_FALSE(normaliseBasePath(bad).ok) << bad;
  }
}

// ---- the script's requests -----------------------------------------------

TEST(EditRequest, SaveDeleteAndUploadBecomeTheirActions) {
  const auto save = interpretEditRequest(
      formPost("content=Sample%201&htmlsource=%3CP%3Ex%3C%2FP%3E&auth=T0k&edtype=ax&"), "T0k");
  ASSERT_TRUE(std::holds_alternative<StoreContent>(save));
  EXPECT_EQ(std::get<StoreContent>(save).file, "Sample 1.html");
  EXPECT_EQ(std::get<StoreContent>(save).bytes, "<P>x</P>");

  const auto remove = interpretEditRequest(
      formPost("deleteimage=my%20pic%2Egif&auth=T0k&content=Sample 1&"), "T0k");
  ASSERT_TRUE(std::holds_alternative<DeleteImage>(remove));
  EXPECT_EQ(std::get<DeleteImage>(remove).file, "my pic.gif");

  const auto upload =
      interpretEditRequest(uploadPost(uploadBody("T0k", "C:\\B\\p.gif", "GIF")), "T0k");
  ASSERT_TRUE(std::holds_alternative<StoreImage>(upload));
  EXPECT_EQ(std::get<StoreImage>(upload).file, "p.gif");
  EXPECT_EQ(std::get<StoreImage>(upload).bytes, "GIF");
}

TEST(EditRequest, RefusalsCarryTheScriptsText) {
  const std::string denied(kAccessDenied);
  struct Case {
    HttpRequest request;
    std::string text;
  } cases[] = {
      {formPost("content=a&htmlsource=x&auth=wrong&edtype=ax&"), denied},
      {formPost("content=a&htmlsource=x&edtype=ax&"), denied},
      {formPost("content=a&htmlsource=x&auth=&edtype=ax&"), denied},
      {formPost("content=a&htmlsource=x&auth=T0kT0k&edtype=ax&"), denied},
      {formPost("deleteimage=p.gif&auth=wrong&"), denied},
      {uploadPost(uploadBody("wrong", "p.gif", "x")), denied},
      {formPost("content=..%2F..%2Fevil&htmlsource=x&auth=T0k&"), "Error:<br>Invalid content name"},
      {formPost("content=&htmlsource=x&auth=T0k&"), "Error:<br>Invalid content name"},
      {formPost("content=.hidden&htmlsource=x&auth=T0k&"), "Error:<br>Invalid content name"},
      {formPost("htmlsource=x&auth=T0k&"), "Error:<br>Missing field <B>content</B>"},
      {formPost("content=a&auth=T0k&"), "Error:<br>Unknown request"},
      {formPost("deleteimage=..&auth=T0k&"), "Error:<br>Invalid image name"},
      {formPost("deleteimage=a%2Fb.gif&auth=T0k&"), "Error:<br>Invalid image name"},
      {formPost("deleteimage=Sample%201.html&auth=T0k&"), "Error:<br>Invalid image name"},
      {uploadPost(uploadBody("T0k", "C:\\x\\..", "x")), "Error:<br>Invalid image name"},
      {uploadPost(uploadBody("T0k", "C:\\x\\", "x")), "Error:<br>Invalid image name"},
      {uploadPost(uploadBody("T0k", "C:\\x\\Sample 1.HTML", "x")), "Error:<br>Invalid image name"},
      {uploadPost("garbage"), "Error:<br>Malformed upload"},
      // Served as a page of the server's origin, were it stored.
      {uploadPost(uploadBody("T0k", "x.htm", "<script>")),
       "Error:<br>Only image files can be uploaded"},
      {uploadPost(uploadBody("T0k", "x.svg", "<svg/>")),
       "Error:<br>Only image files can be uploaded"},
      {uploadPost(uploadBody("T0k", "x.gif.js", "x")),
       "Error:<br>Only image files can be uploaded"},
      {uploadPost(uploadBody("T0k", "gif", "x")), "Error:<br>Only image files can be uploaded"},
  };
  for (const auto& c : cases) {
    const auto action = interpretEditRequest(c.request, "T0k");
    ASSERT_TRUE(std::holds_alternative<Refusal>(action)) << c.request.body;
    EXPECT_EQ(std::get<Refusal>(action).text, c.text) << c.request.body;
  }
}

// ---- the site: requests against a store -----------------------------------

// The body an answer sends, also a streamed one.
std::string bodyOf(const HttpResponse& response) {
  if (!response.stream) return response.body;
  std::string bytes(response.stream->size(), '\0');
  bytes.resize(response.stream->read(bytes.data(), bytes.size()));
  return bytes;
}

TEST(Site, ServesContentsFilesRawAndAnswersMissingOnesWith404) {
  MemoryContentStore store;
  store.files["Sample 1.html"] = "<P>K\xFC\r\nche</P>";
  store.files["p.png"] = std::string("\x89PNG\0", 5);
  const SiteConfig site{"/t", "T0k"};
  HttpResponse r = handleRequest(get("/t/contents/Sample%201.html"), site, store);
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(bodyOf(r), store.files["Sample 1.html"]);
  EXPECT_EQ(r.contentType, "text/html; charset=windows-1252");
  r = handleRequest(get("/t/contents/p.png"), site, store);
  EXPECT_EQ(bodyOf(r), store.files["p.png"]);
  EXPECT_EQ(r.contentType, "image/png");

  struct Case {
    HttpRequest request;
    int status;
  } failures[] = {
      {get("/t/contents/Missing.html"), 404},
      {get("/t/contents/..%2Fsecret"), 404},
      {get("/t/contents/.Sample 1.html.tmp"), 404},
      {get("/t/edit.php"), 405},
      {formPost(""), 200},
      {post("/t/contents/Sample%201.html", "text/plain", "x"), 405},
      {get("/elsewhere"), 404},
  };
  for (const auto& c : failures) {
    EXPECT_EQ(handleRequest(c.request, site, store).status, c.status) << c.request.target;
  }
  EXPECT_EQ(handleRequest(get("/t/edit.php"), site, store).allow, "POST");
}

TEST(Site, ScriptStoresDeletesAndUploadsAndAnswersOK) {
  MemoryContentStore store;
  const SiteConfig site{"/t", "T0k"};
  EXPECT_EQ(
      handleRequest(formPost("content=K%FCche&htmlsource=a%0Ab&auth=T0k&edtype=ax&"), site, store)
          .body,
      "OK");
  EXPECT_EQ(store.files.at("K\xFC"
                           "che.html"),
            "a\nb");
  EXPECT_EQ(handleRequest(uploadPost(uploadBody("T0k", "C:\\B\\p.gif", "GIF")), site, store).body,
            "OK");
  EXPECT_EQ(store.files.at("p.gif"), "GIF");
  EXPECT_EQ(handleRequest(formPost("deleteimage=p%2Egif&auth=T0k&content=x&"), site, store).body,
            "OK");
  EXPECT_FALSE(store.files.count("p.gif"));
  EXPECT_EQ(handleRequest(formPost("deleteimage=p%2Egif&auth=T0k&content=x&"), site, store).body,
            "Error:<br>File not found");

  const auto before = store.files;
  EXPECT_EQ(handleRequest(formPost("content=K%FCche&htmlsource=lost&auth=bad&"), site, store).body,
            std::string(kAccessDenied));
  store.failWrites = true;
  EXPECT_EQ(handleRequest(formPost("content=K%FCche&htmlsource=lost&auth=T0k&"), site, store).body,
            "Error:<br>Could not store the file");
  EXPECT_EQ(store.files, before) << "a refused or failed save changes nothing";
}

// ---- answers on the wire -------------------------------------------------

// Reads a chunked body back; fails the test on a framing error.
std::string unchunk(std::string_view wire) {
  std::string body;
  while (true) {
    const std::size_t lineEnd = wire.find("\r\n");
    if (lineEnd == std::string_view::npos) {
      ADD_FAILURE() << "no chunk size line";
      return body;
    }
    const std::size_t size = std::stoul(std::string(wire.substr(0, lineEnd)), nullptr, 16);
    wire.remove_prefix(lineEnd + 2);
    if (size == 0) {
      EXPECT_EQ(wire, "\r\n");
      return body;
    }
    body += wire.substr(0, size);
    EXPECT_EQ(wire.substr(size, 2), "\r\n");
    wire.remove_prefix(size + 2);
  }
}

TEST(Response, FramingsCarryTheSameBody) {
  HttpResponse response;
  response.body = std::string(kChunkBytes * 2 + 7, 'x') + "\xE4";
  const auto split = [](const std::string& wire) {
    const std::size_t end = wire.find("\r\n\r\n");
    return std::pair(wire.substr(0, end + 2), wire.substr(end + 4));
  };

  auto [head, body] = split(serializeResponse(response, 1, true, Framing::Length).bytes);
  EXPECT_EQ(head.substr(0, head.find("\r\n")), "HTTP/1.1 200 OK");
  EXPECT_NE(head.find("\r\nX-Content-Type-Options: nosniff\r\n"), std::string::npos);
  EXPECT_NE(head.find("\r\nContent-Length: " + std::to_string(response.body.size()) + "\r\n"),
            std::string::npos);
  EXPECT_EQ(body, response.body);

  const WireAnswer chunked = serializeResponse(response, 1, true, Framing::Chunked);
  std::tie(head, body) = split(chunked.bytes);
  EXPECT_NE(head.find("\r\nTransfer-Encoding: chunked\r\n"), std::string::npos);
  EXPECT_EQ(head.find("Content-Length"), std::string::npos);
  EXPECT_EQ(unchunk(body), response.body);
  EXPECT_TRUE(chunked.keepOpen);

  std::tie(head, body) = split(serializeResponse(response, 0, true, Framing::Chunked).bytes);
  EXPECT_EQ(head.find("chunked"), std::string::npos) << "an HTTP/1.0 client cannot read chunks";
  EXPECT_EQ(body, response.body);

  const WireAnswer toClose = serializeResponse(response, 1, true, Framing::Close);
  std::tie(head, body) = split(toClose.bytes);
  EXPECT_FALSE(toClose.keepOpen);
  EXPECT_EQ(head.find("Content-Length"), std::string::npos);
  EXPECT_NE(head.find("\r\nConnection: close\r\n"), std::string::npos);
  EXPECT_EQ(body, response.body);

  std::tie(head, body) = split(serializeResponse(response, 1, true, Framing::Length, false).bytes);
  EXPECT_EQ(body, "") << "HEAD";
}

TEST(Response, ConnectionStaysOpenOnlyWhenAskedAndAfterSuccess) {
  HttpResponse ok;
  ok.body = "OK";
  EXPECT_TRUE(serializeResponse(ok, 0, true, Framing::Length).keepOpen);
  EXPECT_NE(serializeResponse(ok, 0, true, Framing::Length).bytes.find("Connection: keep-alive"),
            std::string::npos)
      << "an HTTP/1.0 client keeps it only when told";
  EXPECT_FALSE(serializeResponse(ok, 1, false, Framing::Length).keepOpen);
  EXPECT_FALSE(serializeResponse(errorResponse(404), 1, true, Framing::Length).keepOpen);
  EXPECT_EQ(serializeResponse(errorResponse(404), 1, true, Framing::Length).bytes.substr(0, 24),
            "HTTP/1.1 404 Not Found\r\n");
}

// ---- the disk store ------------------------------------------------------

std::vector<std::string> entries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(DiskStore, WritesReplaceFilesWholeAndLeaveNoTemporaries) {
  pellora::test::TempDir folder;
  DiskContentStore store(folder.path());
  const std::string bytes("K\xFC\0che\n", 7);
  ASSERT_TRUE(store.write("Sample 1.html", "old and longer"));
  ASSERT_TRUE(store.write("Sample 1.html", bytes));
  EXPECT_EQ(store.read("Sample 1.html"), bytes);
  EXPECT_EQ(entries(folder.path()), (std::vector<std::string>{"Sample 1.html"}));
  EXPECT_EQ(std::filesystem::status(folder.path() / "Sample 1.html").permissions(),
            std::filesystem::perms(0644));

  EXPECT_EQ(store.remove("Sample 1.html"), ContentStore::Removal::Removed);
  EXPECT_EQ(store.remove("Sample 1.html"), ContentStore::Removal::Missing);
  EXPECT_FALSE(store.read("Sample 1.html"));
}

TEST(DiskStore, OnlyRegularFilesAreReadOrRemoved) {
  pellora::test::TempDir folder;
  DiskContentStore store(folder.path());
  std::filesystem::create_directory(folder.path() / "dir.html");
  std::filesystem::create_symlink("/etc/hostname", folder.path() / "link.html");
  ASSERT_EQ(::mkfifo((folder.path() / "fifo.html").c_str(), 0600), 0);
  EXPECT_FALSE(store.read("dir.html"));
  EXPECT_FALSE(store.read("link.html")) << "a link could lead out of the folder";
  EXPECT_FALSE(store.read("fifo.html")) << "and a FIFO must not hang the server";
  EXPECT_EQ(store.remove("dir.html"), ContentStore::Removal::Missing);
  EXPECT_TRUE(std::filesystem::exists(folder.path() / "dir.html"));

  DiskContentStore gone(folder.path() / "missing");
  EXPECT_FALSE(gone.write("a.html", "x")) << "a failed write says so";
}

// ---- command line --------------------------------------------------------

TEST(Options, CommandLineGivesSettingsOrSaysWhatIsWrong) {
  const auto parsed = parseServerOptions({"--root", "/srv/t", "--token", "T0k", "--base",
                                          "/tessaron/", "--port", "8080", "--framing", "chunked",
                                          "--bind", "0.0.0.0", "--idle-timeout", "5"});
  ASSERT_TRUE(std::holds_alternative<ServerOptions>(parsed));
  const auto& options = std::get<ServerOptions>(parsed);
  EXPECT_EQ(options.root, "/srv/t");
  EXPECT_EQ(options.token, "T0k");
  EXPECT_EQ(options.basePath, "/tessaron");
  EXPECT_EQ(options.port, 8080);
  EXPECT_EQ(options.framing, Framing::Chunked);
  EXPECT_EQ(options.bindAddress, "0.0.0.0");
  EXPECT_EQ(options.idleTimeoutSeconds, 5);

  const auto defaults =
      std::get<ServerOptions>(parseServerOptions({"--root", "r", "--token", "t"}));
  EXPECT_EQ(defaults.bindAddress, "127.0.0.1");
  EXPECT_EQ(defaults.port, 0);
  EXPECT_EQ(defaults.basePath, "/tessaron");
  EXPECT_EQ(defaults.framing, Framing::Length);

  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--root", "r"},
      {"--token", "t"},
      {"--root", "r", "--token", "a b"},
      {"--root", "r", "--token", "t", "--port", "65536"},
      {"--root", "r", "--token", "t", "--port", "-1"},
      {"--root", "r", "--token", "t", "--port", "80x"},
      {"--root", "r", "--token", "t", "--base", "relative"},
      {"--root", "r", "--token", "t", "--bind", "localhost"},
      {"--root", "r", "--token", "t", "--framing", "gzip"},
      {"--root", "r", "--token", "t", "--idle-timeout", "0"},
      {"--root", "r", "--token", "t", "--verbose", "1"},
      {"--root", "r", "--token"},
  };
  for (const auto& args : bad) {
    EXPECT_TRUE(std::holds_alternative<std::string>(parseServerOptions(args))) << args.size();
  }
}

// ---- parsers never fail on arbitrary bytes -------------------------------

TEST(Parsers, ArbitraryBytesNeverBreakThem) {
  std::mt19937 random(20240607);
  const std::string alphabet = std::string("\r\n:;=&%+\"-- \t\\/") + "GETPOSTHTP1.0ab\xFF";
  const std::string seeds[] = {
      "POST /t/edit.php HTTP/1.0\r\nContent-Length: 5\r\n\r\n",
      uploadBody("T0k", "C:\\a.gif", "data"),
      "content=a%20b&htmlsource=%3C&auth=x&",
  };
  for (int round = 0; round < 3000; ++round) {
    std::string input = seeds[round % 3];
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits && !input.empty(); ++e) {
      const std::size_t at = random() % input.size();
      switch (random() % 3) {
        case 0:
          input[at] = alphabet[random() % alphabet.size()];
          break;
        case 1:
          input.erase(at, 1 + random() % 4);
          break;
        default:
          input.insert(at, 1, alphabet[random() % alphabet.size()]);
          break;
      }
    }
    const HeadParse head = parseRequestHead(input, RequestLimits{});
    if (head.state == State::Complete) {
      ASSERT_LE(head.headBytes, input.size());
    }
    parseFormBody(input);
    if (const auto parts = parseMultipart(input, kBoundary)) {
      ASSERT_LE(parts->size(), kMaxFormParts);
      for (const auto& part : *parts) ASSERT_LE(part.data.size(), input.size());
    }
    MemoryContentStore store;
    const HttpResponse answer = handleRequest(uploadPost(input), {"/t", "T0k"}, store);
    ASSERT_EQ(answer.status, 200);
  }
}

// ---- whole connections over loopback ------------------------------------

// A server on an ephemeral loopback port, run by a thread of this test.
class ServedTest : public ::testing::Test {
 protected:
  void start(ConnectionSettings settings) {
    listener = std::make_unique<Listener>("127.0.0.1", 0);
    store = std::make_unique<DiskContentStore>(folder.path());
    server = std::make_unique<Server>(*listener, std::move(settings), *store);
    thread = std::thread([this] { server->run(); });
  }
  void SetUp() override {
    ConnectionSettings settings;
    settings.site = {"/t", "T0k"};
    settings.limits.maxBodyBytes = 1000;
    start(settings);
    std::ofstream(folder.path() / "Sample 1.html", std::ios::binary) << "<P>hello</P>";
  }
  void TearDown() override {
    server->stop();
    thread.join();
    server.reset();
  }

  Fd connect() const {
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<std::uint16_t>(listener->port()));
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd.get(), reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
    return fd;
  }
  static void send(const Fd& fd, const std::string& bytes) {
    ASSERT_EQ(::send(fd.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
  }
  // Everything until the server closes (bounded so a fault cannot hang the
  // test run).
  static std::string readToClose(const Fd& fd) {
    std::string all;
    char piece[4096];
    pollfd entry{fd.get(), POLLIN, 0};
    while (::poll(&entry, 1, 20000) > 0) {
      const ssize_t n = ::recv(fd.get(), piece, sizeof piece, 0);
      if (n <= 0) break;
      all.append(piece, static_cast<std::size_t>(n));
    }
    return all;
  }
  // The next answer, framed by its Content-Length; what arrived beyond it
  // stays in `pending`.
  static std::string readAnswer(const Fd& fd, std::string& pending) {
    char piece[4096];
    pollfd entry{fd.get(), POLLIN, 0};
    while (true) {
      const std::size_t end = pending.find("\r\n\r\n");
      const std::size_t length = pending.find("Content-Length: ");
      if (end != std::string::npos && length != std::string::npos && length < end) {
        const std::size_t total = end + 4 + std::stoul(pending.substr(length + 16));
        if (pending.size() >= total) {
          std::string answer = pending.substr(0, total);
          pending.erase(0, total);
          return answer;
        }
      }
      if (::poll(&entry, 1, 20000) <= 0) return "<nothing>";
      const ssize_t n = ::recv(fd.get(), piece, sizeof piece, 0);
      if (n <= 0) return "<closed>";
      pending.append(piece, static_cast<std::size_t>(n));
    }
  }

  pellora::test::TempDir folder;
  std::unique_ptr<Listener> listener;
  std::unique_ptr<DiskContentStore> store;
  std::unique_ptr<Server> server;
  std::thread thread;
};

std::string bodyOf(const std::string& answer) { return answer.substr(answer.find("\r\n\r\n") + 4); }

TEST_F(ServedTest, KeptConnectionServesRequestsInTurnPipelinedOrNot) {
  const Fd fd = connect();
  const std::string request = "GET /t/contents/Sample%201.html HTTP/1.1\r\nHost: h\r\n\r\n";
  std::string pending;
  send(fd, request);
  EXPECT_EQ(bodyOf(readAnswer(fd, pending)), "<P>hello</P>");
  const std::string form = "content=New&htmlsource=%3CP%3Enew%3C%2FP%3E&auth=T0k&";
  const std::string save =
      "POST /t/edit.php HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
      "Content-Length: " +
      std::to_string(form.size()) + "\r\n\r\n" + form;
  send(fd, save.substr(0, save.size() - 1));
  send(fd, save.substr(save.size() - 1) + request);  // the body's last byte and the next request
  EXPECT_EQ(bodyOf(readAnswer(fd, pending)), "OK");
  EXPECT_EQ(bodyOf(readAnswer(fd, pending)), "<P>hello</P>");
  send(fd, "GET /t/contents/New.html HTTP/1.1\r\nConnection: close\r\n\r\n");
  const std::string last = pending + readToClose(fd);
  EXPECT_EQ(bodyOf(last), "<P>new</P>");
  EXPECT_NE(last.find("Connection: close"), std::string::npos);
}

TEST_F(ServedTest, BrokenOrOversizedRequestsAreAnsweredAndTheConnectionEnds) {
  struct Case {
    std::string request;
    std::string statusLine;
  } cases[] = {
      {"BROKEN\r\n\r\n", "HTTP/1.1 400 Bad Request"},
      {"POST /t/edit.php HTTP/1.1\r\nContent-Length: 1001\r\n\r\n",
       "HTTP/1.1 413 Content Too Large"},
      {"POST /t/edit.php HTTP/1.0\r\n\r\n", "HTTP/1.1 411 Length Required"},
      {"GET / HTTP/1.1\r\nX: " + std::string(70000, 'x'),
       "HTTP/1.1 431 Request Header Fields Too Large"},
  };
  for (const auto& c : cases) {
    const Fd fd = connect();
    send(fd, c.request);
    const std::string answer = readToClose(fd);
    EXPECT_EQ(answer.substr(0, answer.find("\r\n")), c.statusLine);
  }
  // The server is still there.
  const Fd fd = connect();
  send(fd, "GET /t/contents/Sample%201.html HTTP/1.0\r\n\r\n");
  EXPECT_EQ(bodyOf(readToClose(fd)), "<P>hello</P>");
}

TEST_F(ServedTest, ClientThatGoesAwayMidRequestLeavesNothingBehind) {
  {
    const Fd fd = connect();
    send(fd, "POST /t/edit.php HTTP/1.0\r\nContent-Length: 100\r\n\r\ncontent=Half&htmlsource=x");
  }
  const Fd fd = connect();
  send(fd, "GET /t/contents/Half.html HTTP/1.0\r\n\r\n");
  EXPECT_EQ(readToClose(fd).substr(0, 22), "HTTP/1.1 404 Not Found");
  EXPECT_EQ(entries(folder.path()), (std::vector<std::string>{"Sample 1.html"}));
}

TEST_F(ServedTest, SilentConnectionIsClosedAfterTheIdleTimeOut) {
  TearDown();
  ConnectionSettings settings;
  settings.site = {"/t", "T0k"};
  settings.idleTimeout = std::chrono::milliseconds(100);
  start(settings);
  const Fd quiet = connect();
  EXPECT_EQ(readToClose(quiet), "") << "closed without an answer";
  const Fd halfway = connect();
  send(halfway, "GET /t/contents/x HTTP/1.1\r\n");
  const std::string answer = readToClose(halfway);
  EXPECT_EQ(answer.substr(0, answer.find("\r\n")), "HTTP/1.1 408 Request Timeout");
}

}  // namespace
}  // namespace pellora::tessaron
