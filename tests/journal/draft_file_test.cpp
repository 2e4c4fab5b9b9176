// Draft files: names, and the round trip of the encoding with the damage it
// must detect.
#include "journal/draft_file.h"

#include <gtest/gtest.h>

#include <set>

namespace pellora::journal {
namespace {

const Draft kDraft{{"http://127.0.0.1:8080/tessaron", "Sample 1"},
                   1765100000,
                   "<p>K\xFC"
                   "che</p>\n"};

TEST(DraftFileTest, RoundTripsAnyBytesInKeyAndBody) {
  const Draft drafts[] = {
      kDraft,
      {{"", ""}, 0, ""},
      {{"http://h/x%41\n", "line\r\nbreak % \x7F\x01"}, -5, std::string("a\0b\r\n\xFF", 7)},
      {{"u", "n"}, 1, std::string(70000, '\n')},
  };
  for (const Draft& draft : drafts) {
    SCOPED_TRACE(draft.key.contentName);
    const std::string bytes = encodeDraft(draft);
    EXPECT_EQ(decodeDraft(bytes), draft);
  }
}

TEST(DraftFileTest, HeaderLinesStayReadable) {
  const std::string bytes = encodeDraft({{"http://h/t", "a\nb%"}, 42, "body"});
  EXPECT_EQ(bytes.substr(0, bytes.find("checksum")),
            "Pellora draft 1\nurl: http://h/t\nitem: a%0Ab%25\nwritten: 42\nlength: 4\n");
  EXPECT_EQ(bytes.substr(bytes.size() - 6), "\n\nbody");
}

TEST(DraftFileTest, DamagedFilesAreRefused) {
  const std::string good = encodeDraft(kDraft);
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string bytes = good;
    bytes.replace(bytes.find(from), from.size(), to);
    return bytes;
  };
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"another file", "Windows Registry Editor Version 5.00\r\n"},
      {"cut in the header", good.substr(0, good.find("length"))},
      {"cut in the body", good.substr(0, good.size() - 1)},
      {"one byte more", good + "x"},
      {"a changed body byte", replaced("che</p>", "chi</p>")},
      {"a bad escape", replaced("Sample 1", "Sample%G1")},
      {"a cut escape", replaced("Sample 1", "Sample%4")},
      {"a raw control byte in a header", replaced("Sample 1", "Sample\r1")},
      {"a signed length", replaced("length: ", "length: +")},
      {"a letter in the time", replaced("written: 1", "written: x")},
      {"a short checksum", replaced("checksum: ", "checksum: 0")},
      {"a missing header line", replaced("item: Sample 1\n", "")},
      {"no empty line", replaced("\n\n", "\n")},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(decodeDraft(c.bytes), DraftFormatError) << c.what;
  }
}

TEST(DraftFileTest, NamesAreReadableAndTellItemsApart) {
  const std::string name = draftFileName({"http://a/t", "Sample 1"});
  EXPECT_EQ(name.substr(0, 9), "Sample_1-");
  EXPECT_EQ(name.size(), 9 + 16 + kDraftSuffix.size());
  EXPECT_EQ(name.substr(name.size() - kDraftSuffix.size()), kDraftSuffix);

  EXPECT_EQ(draftFileName({"", ""}).substr(0, 5), "item-") << "an empty name still reads";
  EXPECT_EQ(draftFileName({"u", std::string(100, 'x')}).find('-'), 40u) << "long names cut";
  EXPECT_EQ(draftFileName({"u", "../../etc/passwd"}).find('/'), std::string::npos);
  EXPECT_EQ(draftFileName({"http://a/t", "Sample 1"}), name) << "stable";

  // Names that read alike, and splits of one text into address and name.
  const DraftKey alike[] = {
      {"http://a/t", "Sample 1"}, {"http://b/t", "Sample 1"}, {"http://a/t", "Sample_1"},
      {"http://a/t", "Sample?1"}, {"http://a/tS", "ample 1"}, {"http://a/t", "sample 1"},
  };
  std::set<std::string> names;
  for (const DraftKey& key : alike) names.insert(draftFileName(key));
  EXPECT_EQ(names.size(), std::size(alike));
}

TEST(DraftFileTest, OwnedNamesSayWhoseDraftTheyAre) {
  const DraftKey key{"http://a/t", "Sample 1"};
  const std::string owner = "0123456789abcdef";
  const struct {
    std::string name;
    std::optional<std::string> owner;
  } rows[] = {
      {draftFileName(key, owner), owner},
      {draftFileName(key), ""},  // written before drafts had owners
      {draftFileName({"http://a/t", "Sample 2"}, owner), std::nullopt},
      {draftFileName(key, "0123456789ABCDEF"), std::nullopt},
      {draftFileName(key, "0123"), std::nullopt},
      {draftFileName(key, owner) + ".unreadable-1", std::nullopt},
      {draftFileName(key, owner) + ".tmp-AbCdEf", std::nullopt},
  };
  for (const auto& row : rows) EXPECT_EQ(draftFileOwner(key, row.name), row.owner) << row.name;
}

}  // namespace
}  // namespace pellora::journal
