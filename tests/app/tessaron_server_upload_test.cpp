// The bundled Tessaron server's intake of request bodies: an upload's token
// is judged as the body arrives, bodies are scanned alike whole or in
// pieces, small ones stay in memory within a budget and large ones go to
// spool files (tessaron_server_large_body_test.cpp sends them over the wire).
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "app/tessaron_server/body_intake.h"
#include "app/tessaron_server/edit_request.h"
#include "app/tessaron_server/form_body.h"
#include "app/tessaron_server/request_reader.h"
#include "app/tessaron_server/upload_check.h"
#include "support/temp_dir.h"

namespace pellora::tessaron {
namespace {

const std::string kBoundary = "---------------------------7d11a9202023c";
const std::string kToken = "T0k";

struct Part {
  Part(std::string n, std::string d, std::string f = {})
      : name(std::move(n)), data(std::move(d)), filename(std::move(f)) {}
  std::string name, data;
  std::string filename;  // none when empty
};

std::string multipartBody(const std::vector<Part>& parts) {
  std::string body;
  for (const Part& part : parts) {
    body += "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + part.name + "\"";
    if (!part.filename.empty()) body += "; filename=\"" + part.filename + "\"";
    body += "\r\n\r\n" + part.data + "\r\n";
  }
  return body + "--" + kBoundary + "--\r\n";
}

HttpRequest upload(std::string body) {
  HttpRequest request;
  request.method = "POST";
  request.target = "/t/edit.php";
  request.headers = {{"Content-Type", "multipart/form-data; boundary=" + kBoundary}};
  request.body = std::move(body);
  return request;
}

// Bytes that look like the body's structure at every turn.
std::string imageBytes(std::size_t size) {
  std::mt19937 random(5);
  const std::string tricky = "\r\n--" + kBoundary.substr(0, 20);
  std::string bytes;
  while (bytes.size() < size) {
    bytes += random() % 4 ? std::string(1, static_cast<char>(random())) : tricky;
  }
  bytes.resize(size);
  return bytes;
}

TEST(UploadToken, RefusedAsSoonAsItIsKnownMissingOrWrongAndJudgedAlikeWhole) {
  const std::string file = imageBytes(200000);
  const Part image{"imagefile", file, "C:\\pics\\p.gif"};
  const Part content{"content", "Sample 1"};
  const std::string denied(kAccessDenied);
  struct Case {
    const char* what;
    std::vector<Part> parts;
    std::optional<std::string> refusal;  // none: the upload is good
    std::size_t decidedWithin;           // bytes fed at most before the refusal
  } cases[] = {
      {"as the editor sends it", {{"auth", kToken}, content, image}, std::nullopt, 0},
      {"missing", {content, image}, denied, 1000},
      {"wrong", {{"auth", "T0x"}, content, image}, denied, 1000},
      {"empty", {{"auth", ""}, image}, denied, 1000},
      {"after the file part", {content, image, {"auth", kToken}}, denied, 1000},
      {"in a huge part", {{"auth", file}, image}, denied, 1000},
      {"after a large part", {{"content", file}, {"auth", kToken}, image}, denied, 70000},
      {"first one wrong", {{"auth", "x"}, {"auth", kToken}, image}, denied, 1000},
      {"in a malformed body",
       {{"auth\"; broken", kToken}, image},
       std::string(kMalformedUpload),
       1000},
  };
  for (const Case& c : cases) {
    const std::string body = multipartBody(c.parts);
    UploadCheck check(kBoundary, kToken);
    std::optional<std::string> refusal;
    std::size_t fed = 0;
    while (fed < body.size() && !refusal) {
      const std::size_t piece = std::min<std::size_t>(997, body.size() - fed);
      refusal = check.look(std::string_view(body).substr(fed, piece));
      fed += piece;
    }
    EXPECT_EQ(refusal, c.refusal) << c.what;
    if (c.refusal) {
      EXPECT_LE(fed, c.decidedWithin) << c.what;
    }

    const EditAction whole = interpretEditRequest(upload(body), kToken);
    if (c.refusal) {
      ASSERT_TRUE(std::holds_alternative<Refusal>(whole)) << c.what;
      EXPECT_EQ(std::get<Refusal>(whole).text, *c.refusal) << c.what;
    } else {
      ASSERT_TRUE(std::holds_alternative<StoreImage>(whole)) << c.what;
      EXPECT_EQ(std::get<StoreImage>(whole).bytes.text(), file) << c.what;
    }
  }
}

// ---- scanning in pieces ---------------------------------------------------

auto fieldsOf(const ScannedPart& part) {
  return std::tie(part.name, part.filename, part.contentType, part.offset, part.size, part.whole,
                  part.kept);
}

TEST(BodyScanners, PiecesOfAnySizeFindWhatTheWholeBodyGives) {
  std::mt19937 random(11);
  const std::string alphabet = "\r\n-=&%+;\"ab" + kBoundary.substr(0, 3);
  const std::string seeds[] = {
      "preamble\r\n" + multipartBody({{"auth", kToken}, {"imagefile", imageBytes(3000), "a.gif"}}),
      "content=a%20b&htmlsource=%3CP%3E" + std::string(3000, 'h') + "&auth=T0k&a%75th=2&",
  };
  const std::vector<std::string> names = {"auth", "htmlsource", "content", "none"};
  for (int round = 0; round < 400; ++round) {
    std::string body = seeds[round % 2];
    for (int edit = random() % 6; edit > 0; --edit) {
      body.insert(random() % body.size(), 1, alphabet[random() % alphabet.size()]);
      body.erase(random() % body.size(), random() % 3);
    }
    MultipartScanner whole(kBoundary, 4), pieces(kBoundary, 4);
    FormScanner pieceForm(names);
    whole.feed(body);
    for (std::size_t at = 0; at < body.size();) {
      const std::size_t size = 1 + random() % (round % 3 ? 40 : 5000);
      pieces.feed(std::string_view(body).substr(at, size));
      pieceForm.feed(std::string_view(body).substr(at, size));
      at += size;
    }
    pieceForm.finish();

    ASSERT_EQ(pieces.state(), whole.state()) << round;
    ASSERT_EQ(pieces.parts().size(), whole.parts().size()) << round;
    for (std::size_t i = 0; i < whole.parts().size(); ++i) {
      EXPECT_EQ(fieldsOf(pieces.parts()[i]), fieldsOf(whole.parts()[i])) << round;
    }
    const auto fields = scanFormBody(body);
    for (const auto& name : names) {
      const auto range = pieceForm.last(name);
      const auto expected = rawFormField(fields, name);
      ASSERT_EQ(range.has_value(), expected.has_value()) << round << name;
      if (!range) continue;
      // The same bytes of the body, not just equal ones.
      EXPECT_EQ(body.data() + range->offset, expected->data());
      EXPECT_EQ(range->size, expected->size());
    }
  }
}

// ---- where bodies go --------------------------------------------------------

TEST(BodyIntake, SmallBodiesStayInMemoryWithinBudgetOthersAreSpooledOrRefused) {
  pellora::test::TempDir spool;
  IntakeSettings settings;
  settings.spoolAbove = 100;
  settings.memoryBudget = 1000;  // 250 for one address
  settings.diskBudget = 4000;    // 1000 for one address
  settings.spoolFolder = spool.path();
  BodyIntake intake(settings, {"/t", kToken});
  std::vector<std::unique_ptr<IncomingBody>> held;
  struct Step {
    std::uint32_t address;
    std::size_t bytes;
    bool spooled;
  } steps[] = {
      {1, 100, false}, {1, 100, false}, {1, 100, true},  // beyond the address's part
      {2, 100, false}, {1, 101, true},                   // another address; a large body
  };
  for (const Step& step : steps) {
    held.push_back(intake.receive(step.address, HttpRequest(), step.bytes));
    ASSERT_TRUE(held.back());
    EXPECT_EQ(held.back()->spooled(), step.spooled) << step.address << " " << step.bytes;
  }
  EXPECT_EQ(intake.memory().held(), 300u);
  EXPECT_TRUE(held[2]->append(std::string(900, 'x')));
  EXPECT_FALSE(held[4]->append(std::string(101, 'x'))) << "the address's disk part is used up";
  EXPECT_TRUE(std::filesystem::is_empty(spool.path())) << "spool files have no name";
  held.clear();
  EXPECT_EQ(intake.memory().held(), 0u);
  EXPECT_EQ(intake.disk().held(), 0u);

  // With nowhere to spool a large body, its request is answered 503.
  settings.spoolFolder = spool.path() / "missing";
  BodyIntake nowhere(settings, {"/t", kToken});
  RequestReader refused(RequestLimits{}, &nowhere, 1);
  refused.feed("POST /t/x HTTP/1.1\r\nContent-Length: 300\r\n\r\n");
  ASSERT_EQ(refused.state(), RequestReader::State::Failed);
  EXPECT_EQ(refused.answer().status, 503);
  EXPECT_EQ(refused.answer().body, kNoRoomText);
}

}  // namespace
}  // namespace pellora::tessaron
