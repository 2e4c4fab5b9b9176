// Automation calls on the control, and what the next window gets.
#include <cstdio>

#include "app/host/script_steps.h"

namespace pellora::host {

bool callStep(StepContext& c, const std::string& member, const Words& args) {
  const ModuleClient::Result result = c.control->call(member, args);
  settle();
  std::printf("  %s%s%s\n", result.hr >= 0 ? "S_OK" : "failed", result.error.empty() ? "" : ": ",
              result.error.c_str());
  return result.hr >= 0;
}

bool getStep(StepContext& c, const Words& args) {
  const ModuleClient::Result result = c.control->get(args[0]);
  std::printf("  %s = %s\n", args[0].c_str(), result.value.c_str());
  return result.hr >= 0;
}

bool answerStep(StepContext& c, const Words& args) {
  c.windows->queueAnswer(args[0]);
  return true;
}

bool setStep(StepContext& c, const Words& args) {
  c.windows->queueField(args[0], args[1]);
  return true;
}

bool checkStep(StepContext& c, const Words& args) {
  if (args[1] != "on" && args[1] != "off") return why("usage: check NAME on|off");
  c.windows->queueCheck(args[0], args[1] == "on");
  return true;
}

bool fillStep(StepContext& c, const Words& args) {
  c.windows->queueFill(args[0], args[1]);
  return true;
}

bool captureStep(StepContext& c, const Words& args) {
  c.windows->queueCapture(args[0]);
  return true;
}

bool echoStep(StepContext&, const Words& args) {
  std::string text;
  for (const auto& word : args) text += (text.empty() ? "" : " ") + word;
  std::printf("  %s\n", text.c_str());
  return true;
}

}  // namespace pellora::host
