// Runs the host program `pellora` (with the real module and WebKit) the way
// the end-to-end tests need it: under the display ctest runs in, with the
// settings in a folder of the test's own, and its output captured whole.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace pellora::test {

// Runs `command` through the shell; gives what it printed on stdout and
// stderr, and keeps its raw wait status in `status`.
inline std::string captureOutput(const std::string& command, int& status) {
  status = -1;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return "<cannot start>";
  std::string output;
  std::array<char, 4096> buffer;
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
    output.append(buffer.data(), n);
  }
  status = ::pclose(pipe);
  return output;
}

// The exit code of a wait status; -1 when the process did not exit itself.
inline int exitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

// The command line that starts the host with `arguments`, its settings in
// `registry`, run through `wrapper` (a command prefix such as setpriv) when
// given. WebKit runs without compositing and sandbox, as under Xvfb in a
// container neither is available.
inline std::string hostCommand(const std::filesystem::path& registry, const std::string& arguments,
                               const std::string& wrapper = "") {
  return "PELLORA_REGISTRY_DIR='" + registry.string() +
         "' WEBKIT_DISABLE_COMPOSITING_MODE=1 WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 " +
         wrapper + "'" PELLORA_HOST_PATH "' " + arguments;
}

// The arguments that run the demo installation in `site` with the script
// file `script`.
inline std::string demoArguments(const std::filesystem::path& site,
                                 const std::filesystem::path& script) {
  return "--demo --demo-root '" + site.string() + "' --script '" + script.string() + "'";
}

// A picture of 5 x 3 pixels of one colour: a PNG that decodes.
inline const std::string& smallPng() {
  static const std::string png(
      "\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\x05\x00\x00\x00\x03\x08\x02\x00\x00"
      "\x00\xd4\x54\x52\xaf\x00\x00\x00\x10IDAT\x78\x9c\x63\x50\x68\x38\x80\x8c\x18\x08\xf0\x01"
      "\xe5\xdf\x14\xa1\x96\xb9\xc4\x2e\x00\x00\x00\x00IEND\xae\x42\x60\x82",
      73);
  return png;
}

// A test that runs the host on a demo installation of its own in a
// temporary folder: items in site/contents, settings in registry.
class DemoHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (scripts/test runs xvfb-run)";
    std::filesystem::create_directories(contents());
    std::filesystem::create_directories(dir / "registry");
  }
  std::filesystem::path contents() const { return dir / "site" / "contents"; }
  std::filesystem::path item() const { return contents() / "Sample 1.html"; }

  // Runs the host with `steps` (and `options` such as --events); returns
  // what it printed, keeps its wait status in `exitStatus` and its exit code
  // in `exitCode`.
  std::string run(const std::string& steps, const std::string& options = "") {
    writeFile(dir / "script.txt", steps);
    std::string output =
        captureOutput(hostCommand(dir / "registry",
                                  demoArguments(dir / "site", dir / "script.txt") + " " + options),
                      exitStatus);
    exitCode = exitCodeOf(exitStatus);
    return output;
  }

  // Whether `output` shows `line` right after the step `step`. The
  // control's events (printed as they arrive) do not count.
  static bool shows(const std::string& output, const std::string& step, const std::string& line) {
    std::string steps;
    for (std::size_t at = 0, end; at < output.size(); at = end + 1) {
      end = output.find('\n', at);
      if (end == std::string::npos) end = output.size();
      if (output.compare(at, 8, "  event ") != 0) steps.append(output, at, end - at).append("\n");
    }
    const auto at = steps.find("> " + step + "\n");
    return at != std::string::npos &&
           steps.compare(at + step.size() + 3, line.size() + 1, line + "\n") == 0;
  }

  // The body markup each `body` step printed, in order.
  static std::vector<std::string> bodies(const std::string& output) {
    std::vector<std::string> found;
    const std::string open = "<body", close = "</body>";
    for (std::size_t at = output.find("> body\n"); at != std::string::npos;
         at = output.find("> body\n", at + 1)) {
      const auto start = output.find(open, at);
      const auto end = output.find(close, start);
      const auto next = output.find("\n> ", at + 1);
      if (start == std::string::npos || end == std::string::npos ||
          (next != std::string::npos && start > next)) {
        found.emplace_back("<no body>");
        continue;
      }
      const auto inner = output.find('>', start) + 1;
      found.push_back(output.substr(inner, end - inner));
    }
    return found;
  }

  TempDir temp;
  const std::filesystem::path dir = temp.path();
  int exitStatus = -1;
  int exitCode = -1;
};

}  // namespace pellora::test
