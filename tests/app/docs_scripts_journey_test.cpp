// The scripts the documentation shows, run as a reader would run them: on
// the demo installation, through the host. A step the demo's item cannot
// satisfy (a word it does not contain) fails the run.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host_run.h"

namespace pellora {
namespace {

class DocsScriptsJourneyTest : public test::DemoHostTest {};

TEST_F(DocsScriptsJourneyTest, EveryScriptTheDocsShowRunsGreenOnTheDemo) {
  const std::filesystem::path shipped =
      std::filesystem::path(PELLORA_DEMO_DIR) / "contents" / "Sample 1.html";
  int scripts = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PELLORA_DOCS_SCRIPTS_DIR)) {
    if (entry.path().extension() != ".txt") continue;
    ++scripts;
    SCOPED_TRACE(entry.path().filename().string());
    std::filesystem::remove_all(dir / "site");
    std::filesystem::copy(PELLORA_DEMO_DIR, dir / "site", std::filesystem::copy_options::recursive);
    // Run where a relative screenshot may land.
    const std::string output = test::captureOutput(
        "cd '" + dir.string() + "' && " +
            test::hostCommand(dir / "registry", test::demoArguments(dir / "site", entry.path())),
        exitStatus);
    SCOPED_TRACE(output);
    EXPECT_EQ(test::exitCodeOf(exitStatus), 0);
    EXPECT_EQ(output.find("  failed\n"), std::string::npos);
    EXPECT_NE(test::readFile(item()), test::readFile(shipped)) << "the edit was stored";
  }
  EXPECT_GE(scripts, 2);
}

}  // namespace
}  // namespace pellora
