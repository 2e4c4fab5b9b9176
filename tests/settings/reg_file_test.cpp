#include "settings/reg_file.h"

#include <gtest/gtest.h>

namespace pellora::settings {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00\n\n";

std::string withHeader(std::string_view body) { return std::string(kHeader) + std::string(body); }

struct ValueCase {
  const char* label;
  Value value;
  // The data as it must appear after "name=" in the file; empty: not checked.
  std::string fileForm;
};

const ValueCase kValueCases[] = {
    {"plain string", Value::string("DE"), "\"DE\""},
    {"empty string", Value::string(""), "\"\""},
    {"backslash and quote", Value::string("C:\\dir\\\"x\""), "\"C:\\\\dir\\\\\\\"x\\\"\""},
    {"Windows-1252 letters", Value::string("f\xFCr \x80 \xDF"),
     "\"f\xC3\xBCr \xE2\x82\xAC \xC3\x9F\""},
    {"undefined Windows-1252 bytes", Value::string("\x81\x8D\x8F\x90\x9D"),
     "\"\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D\""},
    {"line break needs hex form", Value::string("a\r\nb"), "hex(1):61,00,0d,00,0a,00,62,00,00,00"},
    {"embedded NUL", Value::string(std::string("a\0b", 3)), "hex(1):61,00,00,00,62,00,00,00"},
    {"trailing NUL survives", Value::string(std::string("a\0", 2)), ""},
    {"expand string", Value::expandString("%HOME%\\x"), ""},
    {"empty expand string", Value::expandString(""), "hex(2):00,00"},
    {"expand string with euro", Value::expandString("\x80"), "hex(2):ac,20,00,00"},
    {"dword", Value::dword(1), "dword:00000001"},
    {"dword max", Value::dword(0xFFFFFFFFu), "dword:ffffffff"},
    {"binary", Value::binary(std::string("\x00\xFF\x10", 3)), "hex:00,ff,10"},
    {"empty binary", Value::binary(""), "hex:"},
    {"dword of wrong size", Value{ValueType::DWord, "\x01\x02"}, "hex(4):01,02"},
    {"multi string type kept", Value{static_cast<ValueType>(7), std::string("a\0\0", 3)},
     "hex(7):61,00,00"},
    {"qword type kept", Value{static_cast<ValueType>(0xb), std::string(8, '\x01')}, ""},
};

TEST(RegFileTest, EveryValueTypeRoundTripsThroughTheFile) {
  for (const auto& c : kValueCases) {
    SCOPED_TRACE(c.label);
    HiveData data;
    data.createKey("SOFTWARE\\Brixel\\Pellora")->set("Name", c.value);
    const std::string text = formatRegFile(data, Hive::LocalMachine);
    if (!c.fileForm.empty()) {
      EXPECT_NE(text.find("\n\"Name\"=" + c.fileForm + "\n"), std::string::npos) << text;
    }
    const ParseResult parsed = parseRegFile(text, Hive::LocalMachine);
    ASSERT_EQ(parsed.error, "");
    const Key* key = parsed.data.findKey("SOFTWARE\\Brixel\\Pellora");
    ASSERT_NE(key, nullptr);
    ASSERT_NE(key->find("Name"), nullptr);
    EXPECT_EQ(*key->find("Name"), c.value);
  }
}

TEST(RegFileTest, FileHasTheExportLayout) {
  HiveData data;
  Key* key = data.createKey("SOFTWARE\\Brixel\\Pellora");
  key->set("Language", Value::string("DE"));
  key->set("", Value::string("default value"));
  EXPECT_EQ(formatRegFile(data, Hive::LocalMachine),
            withHeader("[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel]\n\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel\\Pellora]\n"
                       "\"Language\"=\"DE\"\n"
                       "@=\"default value\"\n\n"));
}

TEST(RegFileTest, NamesOfKeysAndValuesRoundTrip) {
  HiveData data;
  data.createKey("CLSID\\{A-B}\\Implemented Categories]")->set("Quote \"\\ \xE4", Value::dword(7));
  data.createKey("")->set("", Value::string("root default"));
  data.createKey("Verb\\0");
  const ParseResult parsed =
      parseRegFile(formatRegFile(data, Hive::ClassesRoot), Hive::ClassesRoot);
  ASSERT_EQ(parsed.error, "");
  EXPECT_TRUE(parsed.data == data);
}

TEST(RegFileTest, ReadsWhatARegistryEditorWrites) {
  // CRLF, a byte-order mark, comments, wrapped hex data, hive name in other case.
  const std::string text =
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
      "; exported\r\n"
      "[hkey_local_machine\\Software\\Brixel]\r\n"
      "\"Path\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,\\\r\n"
      "  00,00\r\n"
      "\"Blob\" = hex:01 , 02,\\\r\n"
      "  03\r\n"
      "@=\"x\"\r\n";
  const ParseResult parsed = parseRegFile(text, Hive::LocalMachine);
  ASSERT_EQ(parsed.error, "");
  const Key* key = parsed.data.findKey("SOFTWARE\\BRIXEL");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->path, "Software\\Brixel");
  EXPECT_EQ(*key->find("path"), Value::expandString("%HOME%"));
  EXPECT_EQ(*key->find("Blob"), Value::binary("\x01\x02\x03"));
  EXPECT_EQ(*key->find(""), Value::string("x"));
  EXPECT_NE(parsed.data.findKey("Software"), nullptr);
}

TEST(RegFileTest, CharactersOutsideWindows1252BecomeQuestionMarks) {
  const ParseResult parsed = parseRegFile(withHeader("[HKEY_CURRENT_USER\\K]\n\"A\"=\"\xC5\x82x\"\n"
                                                     "\"B\"=hex(1):3d,d8,00,de,41,00,00,00\n"),
                                          Hive::CurrentUser);
  ASSERT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.data.findKey("K")->find("A")->data, "?x");
  // A surrogate pair is one character.
  EXPECT_EQ(parsed.data.findKey("K")->find("B")->data, "?A");
}

struct DamagedCase {
  const char* label;
  std::string text;
};

TEST(RegFileTest, DamagedFilesHoldNothingAndSayWhy) {
  const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel\\Pellora]\n";
  const DamagedCase cases[] = {
      {"empty file", ""},
      {"no header", key + "\"Language\"=\"DE\"\n"},
      {"other header", "REGEDIT4\n\n" + key},
      {"truncated string", withHeader(key + "\"Language\"=\"D")},
      {"truncated name", withHeader(key + "\"Lang")},
      {"truncated key", withHeader("[HKEY_LOCAL_MACHINE\\SOFT")},
      {"truncated dword", withHeader(key + "\"X\"=dword:0000")},
      {"bad dword digits", withHeader(key + "\"X\"=dword:0000000g")},
      {"truncated byte", withHeader(key + "\"X\"=hex:01,0")},
      {"trailing comma", withHeader(key + "\"X\"=hex:01,02,")},
      {"file ends in continuation", withHeader(key + "\"X\"=hex:01,02,\\\n")},
      {"missing comma", withHeader(key + "\"X\"=hex:0102")},
      {"odd text data", withHeader(key + "\"X\"=hex(1):41")},
      {"bad type number", withHeader(key + "\"X\"=hex(zz):01")},
      {"unknown type", withHeader(key + "\"X\"=qword:0000000000000001")},
      {"delete syntax", withHeader(key + "\"X\"=-")},
      {"missing equals", withHeader(key + "\"X\" \"DE\"")},
      {"text after string", withHeader(key + "\"X\"=\"DE\" junk")},
      {"unknown escape", withHeader(key + "\"X\"=\"a\\nb\"")},
      {"value before any key", withHeader("\"X\"=\"DE\"\n")},
      {"garbage line", withHeader(key + "Language=DE\n")},
      {"other hive", withHeader("[HKEY_CURRENT_USER\\Software]\n")},
      {"hive prefix only", withHeader("[HKEY_LOCAL_MACHINEX]\n")},
      {"empty key name", withHeader("[HKEY_LOCAL_MACHINE\\a\\\\b]\n")},
      {"control character in name", withHeader(key + "\"a\tb\"=\"x\"\n")},
      {"not UTF-8", withHeader(key + "\"Language\"=\"\xFC\"\n")},
      {"cut inside a UTF-8 sequence", withHeader(key + "\"Language\"=\"\xC3")},
      {"encoded surrogate", withHeader(key + "\"X\"=\"\xED\xA0\x80\"\n")},
      {"overlong encoding", withHeader(key + "\"X\"=\"\xC0\xAF\"\n")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const ParseResult parsed = parseRegFile(c.text, Hive::LocalMachine);
    EXPECT_NE(parsed.error, "");
    EXPECT_EQ(parsed.data.findKey("SOFTWARE"), nullptr);
    EXPECT_TRUE(parsed.data == HiveData{});
  }
}

TEST(RegFileTest, DamageReportNamesTheLine) {
  const ParseResult parsed = parseRegFile(
      withHeader("[HKEY_LOCAL_MACHINE\\A]\n\"X\"=\"1\"\nbroken\n"), Hive::LocalMachine);
  EXPECT_NE(parsed.error.find("line 5"), std::string::npos) << parsed.error;
}

TEST(RegFileTest, OversizedFileIsDamaged) {
  std::string text = withHeader("[HKEY_LOCAL_MACHINE\\A]\n");
  text.append(kMaxRegFileSize, ';');
  EXPECT_NE(parseRegFile(text, Hive::LocalMachine).error, "");
}

TEST(RegFileTest, NamesCompareWithoutCaseAndKeepTheirSpelling) {
  HiveData data;
  data.createKey("SOFTWARE\\Brixel");
  Key* key = data.createKey("software\\BRIXEL\\Pellora");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(data.findKey("Software\\Brixel")->path, "SOFTWARE\\Brixel");
  EXPECT_EQ(key->path, "software\\BRIXEL\\Pellora");
  key->set("Language", Value::string("EN"));
  key->set("LANGUAGE", Value::string("DE"));
  ASSERT_EQ(key->values.size(), 1u);
  EXPECT_EQ(key->values[0].first, "Language");
  EXPECT_EQ(key->values[0].second.data, "DE");
  // Windows-1252 letters fold too: Ü and ü, Š and š, Ÿ and ÿ.
  data.createKey("\xDC\x8A\x9F");
  EXPECT_NE(data.findKey("\xFC\x9A\xFF"), nullptr);
  EXPECT_EQ(data.findKey("\xDC\x8A\x9F\xF7"), nullptr);
  EXPECT_EQ(data.subkeys("software"), std::vector<std::string>{"Brixel"});
}

TEST(RegFileTest, DeletingAKeyTakesItsSubkeysButNotItsNeighbours) {
  HiveData data;
  data.createKey("CLSID\\{X}\\Verb\\0")->set("", Value::string("v"));
  data.createKey("CLSID\\{X}\\InprocServer32");
  data.createKey("CLSID\\{X}Other");
  data.createKey("CLSID\\{X");
  EXPECT_TRUE(data.deleteKey("clsid\\{x}"));
  EXPECT_EQ(data.findKey("CLSID\\{X}"), nullptr);
  EXPECT_EQ(data.findKey("CLSID\\{X}\\Verb\\0"), nullptr);
  EXPECT_EQ(data.findKey("CLSID\\{X}\\InprocServer32"), nullptr);
  EXPECT_NE(data.findKey("CLSID\\{X}Other"), nullptr);
  EXPECT_NE(data.findKey("CLSID\\{X"), nullptr);
  EXPECT_FALSE(data.deleteKey("CLSID\\{X}"));
}

TEST(RegFileTest, InvalidPathsAreRefused) {
  HiveData data;
  for (const char* path : {"\\a", "a\\", "a\\\\b", "a\nb"}) {
    EXPECT_EQ(data.createKey(path), nullptr) << path;
  }
  EXPECT_FALSE(isValidValueName("a\rb"));
  EXPECT_TRUE(isValidValueName(""));
}

}  // namespace
}  // namespace pellora::settings
