// A load that fails, through the host program: the message box as before,
// and a notice above the views naming the item and the reason, with the
// window's title marked, in the interface language; Try Again loads again,
// and once the server is there notice and mark are gone.
#include <gtest/gtest.h>

#include <string>

#include "host_run.h"
#include "support/http_test_server.h"

namespace pellora {
namespace {

using test::readRequest;
using test::sendBytes;

std::string answer(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

class LoadFailureJourneyTest : public test::DemoHostTest {};

TEST_F(LoadFailureJourneyTest, TheNoticeNamesTheItemAndWhyAndTryAgainLoadsIt) {
  // Its second connection, Try Again's, finds the item.
  test::ScriptedServer comesUp({
      {readRequest(), sendBytes(answer("503 Service Unavailable", "")), test::closeConnection()},
      {readRequest(), sendBytes(answer("200 OK", "<p>Hallo Welt</p>")), test::closeConnection()},
  });
  const struct {
    const char* language;
    std::string url;
    const char* failed;  // what the window step shows after the load
    const char* again;   // ... and after Try Again
    const char* then;    // steps after that: a view holds a page only once loaded
  } cases[] = {
      {"EN", "http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()) + "/t",
       "  title: Sample 1 (not loaded) \xe2\x80\x94 Pellora\n  shows: the editor\n"
       "  notice: Sample 1 could not be loaded: Connection refused\n",
       "  title: Sample 1 (not loaded) \xe2\x80\x94 Pellora\n  shows: the editor\n"
       "  notice: Sample 1 could not be loaded: Connection refused\n",
       // A save of the empty editor is our own question, answered Cancel.
       "answer Cancel\nSave\n"},
      {"DE", comesUp.url("/t"),
       "  title: Sample 1 (nicht geladen) \xe2\x80\x94 Pellora\n  shows: the editor\n"
       "  notice: Sample 1 konnte nicht geladen werden: HTTP/1.1 503 Service Unavailable\n",
       "  title: Sample 1 \xe2\x80\x94 Pellora\n  shows: the editor\n> tab 1\n> source\n<p>Hallo "
       "Welt</p>",
       "tab 1\nsource\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    test::writeFile(dir / "registry" / "HKEY_LOCAL_MACHINE.reg",
                    std::string("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\"
                                "SOFTWARE\\Brixel\\Pellora]\n\"Language\"=\"") +
                        c.language + "\"\n\n");
    test::writeFile(
        dir / "script.txt",
        std::string("answer OK\nwindow\nanswer OK\nclick btnTryAgain\nwait\nwindow\n") + c.then);
    const std::string output = test::captureOutput(
        test::hostCommand(dir / "registry", "--url '" + c.url +
                                                "' --content 'Sample 1' --auth tok --script '" +
                                                (dir / "script.txt").string() + "'"),
        exitStatus);
    SCOPED_TRACE(output);
    EXPECT_EQ(test::exitCodeOf(exitStatus), 0);
    EXPECT_TRUE(shows(output, "Load", "  [MessageBox] Warnung")) << "the box stays as it was";
    const auto tryAgain = output.find("> click btnTryAgain\n");
    EXPECT_LT(output.find(std::string("> window\n") + c.failed), tryAgain);
    EXPECT_NE(output.find(std::string("> window\n") + c.again, tryAgain), std::string::npos);
    if (c.language == std::string("EN")) {
      EXPECT_NE(output.find("> Save\n  [MessageBox] Item Not Loaded\n  | \"Sample 1\" was not "
                            "loaded"),
                std::string::npos);
      EXPECT_NE(output.find("  buttons: Load Again | Cancel\n  answered Cancel\n"),
                std::string::npos);
    }
  }
}

}  // namespace
}  // namespace pellora
