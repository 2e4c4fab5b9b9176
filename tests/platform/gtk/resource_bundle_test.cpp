// The files the front end reads at run time come from the resource bundle:
// every file of the tree's resources folder is in it, unchanged, and the
// page script's constants, made from the command table, say what the table
// says and parse as JavaScript together with the script's parts.
#include "platform/gtk/resource_bundle.h"

#include <gio/gio.h>
#include <gtest/gtest.h>
#include <jsc/jsc.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/page_commands.h"
#include "platform/gtk/surface_scripts.h"

namespace pellora::gtk::test {
namespace {

namespace fs = std::filesystem;

std::string fileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// A tree folder and where the bundle keeps its files.
struct BundledFolder {
  const char* folder;
  std::string prefix;
};

TEST(ResourceBundleTest, HoldsEveryFileOfTheTreeUnchanged) {
  const fs::path tree = PELLORA_GTK_RESOURCES;
  const std::string root(kResourceRoot);
  const BundledFolder folders[] = {
      {"page", root + "/page"},
      {"css", root + "/css"},
      {"sourceview", root + "/sourceview"},
      {"icons", root + "/icons/scalable/actions"},
  };
  std::set<std::string> seen;
  for (const BundledFolder& entry : folders) {
    for (const auto& file : fs::directory_iterator(tree / entry.folder)) {
      const std::string name = file.path().filename().string();
      SCOPED_TRACE(std::string(entry.folder) + "/" + name);
      const std::string key = entry.prefix + "/" + name;
      registerResources();
      const std::unique_ptr<GBytes, decltype(&g_bytes_unref)> bytes(
          g_resources_lookup_data(key.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr),
          &g_bytes_unref);
      ASSERT_NE(bytes, nullptr);
      gsize size = 0;
      const auto* data = static_cast<const char*>(g_bytes_get_data(bytes.get(), &size));
      EXPECT_EQ(std::string(data, size), fileText(file.path()));
      seen.insert(entry.folder);
    }
  }
  // Every folder of the tree is one of the above, and none is empty.
  for (const auto& item : fs::directory_iterator(tree)) {
    if (item.is_directory()) {
      EXPECT_TRUE(seen.count(item.path().filename().string())) << item.path();
    }
  }
}

TEST(ResourceBundleTest, MissingFileIsAFaultOfTheBuild) {
  EXPECT_THROW(resourceText("page/no-such-part.js"), std::logic_error);
}

using JSCValuePtr = GObjectPtr<JSCValue>;

class PageScriptConstantsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    context_ = adopt(jsc_context_new());
    const std::string code = pageScriptConstants() +
                             "({CMD: CMD, STATUS: STATUS, ENGINE: ENGINE, IDS: IDS, "
                             "CHANNEL: CHANNEL, DETAILS_ID: DETAILS_ID, DETAILS_CSS: DETAILS_CSS})";
    constants_ =
        adopt(jsc_context_evaluate(context_.get(), code.c_str(), static_cast<gssize>(code.size())));
    JSCException* exception = jsc_context_get_exception(context_.get());
    ASSERT_EQ(exception, nullptr) << jsc_exception_get_message(exception);
  }

  JSCValuePtr get(JSCValue* object, const std::string& name) {
    return adopt(jsc_value_object_get_property(object, name.c_str()));
  }
  JSCValuePtr get(const std::string& name) { return get(constants_.get(), name); }

  static std::string text(JSCValue* value) {
    GCharPtr raw(jsc_value_to_string(value));
    return raw.get();
  }

  GObjectPtr<JSCContext> context_;
  JSCValuePtr constants_;
};

TEST_F(PageScriptConstantsTest, SayWhatTheTablesSay) {
  const JSCValuePtr cmd = get("CMD");
  const JSCValuePtr engine = get("ENGINE");
  const JSCValuePtr ids = get("IDS");
  for (std::size_t i = 0; i < kPageCommands.size(); ++i) {
    const PageCommand& row = kPageCommands[i];
    SCOPED_TRACE(std::string(row.name));
    EXPECT_EQ(jsc_value_to_int32(get(cmd.get(), std::string(row.name)).get()), row.id);
    const JSCValuePtr name = get(engine.get(), std::to_string(row.id));
    if (row.engine.empty()) {
      EXPECT_TRUE(jsc_value_is_undefined(name.get()));
    } else {
      EXPECT_EQ(text(name.get()), row.engine);
    }
    // The page answers states in the order the surface reads them.
    const JSCValuePtr id = adopt(jsc_value_object_get_property_at_index(ids.get(), i));
    EXPECT_EQ(jsc_value_to_int32(id.get()), kStatusIds[i]);
    EXPECT_EQ(kStatusIds[i], row.id);
  }
  EXPECT_EQ(jsc_value_to_int32(get(ids.get(), "length").get()),
            static_cast<int>(kPageCommands.size()));

  const JSCValuePtr status = get("STATUS");
  for (const PageStatus& row : kPageStatuses) {
    SCOPED_TRACE(std::string(row.name));
    EXPECT_EQ(jsc_value_to_int32(get(status.get(), std::string(row.name)).get()), row.status);
  }

  EXPECT_EQ(text(get("CHANNEL").get()), kMessageChannel);
  EXPECT_EQ(text(get("DETAILS_ID").get()), kDetailsStyleId);
  EXPECT_EQ(text(get("DETAILS_CSS").get()), resourceText(kDetailsStyleSheet));
}

// A name the tables lack would be undefined in the page, and a command would
// quietly report "not supported"; the parts name commands, never numbers.
TEST(PageScriptTest, NamesOnlyWhatTheTablesHold) {
  std::set<std::string> commands, statuses;
  for (const PageCommand& row : kPageCommands) commands.emplace(row.name);
  for (const PageStatus& row : kPageStatuses) statuses.emplace(row.name);
  const std::regex named(R"(\b(CMD|STATUS)\.([A-Za-z_]+))");
  const std::regex bareId(R"(\b50[0-9][0-9]\b)");
  std::size_t uses = 0;
  for (std::string_view part : kPageScriptParts) {
    SCOPED_TRACE(std::string(part));
    const std::string script = resourceText(part);
    for (std::sregex_iterator it(script.begin(), script.end(), named), end; it != end; ++it) {
      const auto& names = (*it)[1] == "CMD" ? commands : statuses;
      EXPECT_TRUE(names.count((*it)[2])) << it->str();
      ++uses;
    }
    EXPECT_FALSE(std::regex_search(script, bareId));
  }
  EXPECT_GT(uses, 0u);
}

TEST_F(PageScriptConstantsTest, WholePageScriptParses) {
  const std::string& script = pageScript();
  JSCException* raw = nullptr;
  const JSCCheckSyntaxResult result =
      jsc_context_check_syntax(context_.get(), script.c_str(), static_cast<gssize>(script.size()),
                               JSC_CHECK_SYNTAX_MODE_SCRIPT, "page.js", 1, &raw);
  const GObjectPtr<JSCException> exception = adopt(raw);
  const GCharPtr report(exception ? jsc_exception_report(exception.get()) : nullptr);
  EXPECT_EQ(result, JSC_CHECK_SYNTAX_RESULT_SUCCESS) << (report ? report.get() : "");
}

}  // namespace
}  // namespace pellora::gtk::test
