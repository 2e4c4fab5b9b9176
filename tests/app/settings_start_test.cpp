// Starting the real host with the real module over a settings file it cannot
// read: the start must leave the file exactly as it was.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "host_run.h"
#include "support/temp_dir.h"

namespace pellora {
namespace {

namespace fs = std::filesystem;

using test::readFile;
using test::writeFile;

const std::string kStored =
    "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brixel\\Pellora]\n"
    "\"ProxyHost\"=\"proxy.local\"\n\"Proxy\"=\"1\"\n\"Language\"=\"DE\"\n\n";

TEST(SettingsAtStartTest, UnreadableSettingsFileIsLeftByteForByte) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (scripts/test runs xvfb-run)";
  test::TempDir temp;
  const fs::path registry = temp.path() / "registry";
  fs::create_directories(registry);
  const fs::path hive = registry / "HKEY_LOCAL_MACHINE.reg";
  writeFile(hive, kStored);
  ::chmod(hive.c_str(), 0);
  struct stat before {};
  ASSERT_EQ(::stat(hive.c_str(), &before), 0);

  // Root reads every file whatever its mode; without the two capabilities
  // that allow it, it is held to the mode like anyone else.
  const std::string asUser =
      ::geteuid() == 0 ? "setpriv --inh-caps=-all --bounding-set=-dac_override,-dac_read_search "
                       : "";
  int status = -1;
  test::captureOutput(asUser + "cat '" + hive.string() + "'", status);
  if (status == 0) GTEST_SKIP() << "this system lets the host read a file of mode 000";

  writeFile(temp.path() / "script.txt", "");
  const std::string output = test::captureOutput(
      test::hostCommand(registry, "--script '" + (temp.path() / "script.txt").string() + "'",
                        asUser),
      status);
  SCOPED_TRACE(output);
  EXPECT_EQ(status, 0);
  EXPECT_NE(output.find("settings file unreadable"), std::string::npos) << "reported";

  struct stat after {};
  ASSERT_EQ(::stat(hive.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(readFile(hive), kStored);
  for (const auto& entry : fs::directory_iterator(registry)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == hive.filename() || name == ".pellora-registry.lock") << name;
  }
}

}  // namespace
}  // namespace pellora
