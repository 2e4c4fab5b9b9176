#include "support/fake_platform.h"

#include <cctype>
#include <stdexcept>

namespace pellora::test {

ui::MessageButton FakeMessageBoxes::show(ui::MessageKind kind, const std::string& text,
                                         const std::vector<ui::MessageButton>& buttons) {
  shown.push_back({kind, text, buttons});
  if (whileShown) whileShown(shown.back());
  if (!answers.empty()) {
    const ui::MessageButton answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  return buttons.empty() ? ui::MessageButton::OK : buttons.front();
}

int FakeModalPresenter::showModal(ui::Form& form) {
  shownForms.push_back(form.name());
  form.setModalResult(ui::mrNone);
  if (form.onShow) form.onShow();
  const auto script = scripts.find(form.name());
  const int result = script == scripts.end() ? ui::mrCancel : script->second(form);
  form.setModalResult(result);
  return result;
}

std::string FakeHtmlDocument::bodyInnerHTML() {
  ++bodyReads;
  if (innerHTML) return *innerHTML;
  if (!documentText) return {};
  // Good enough for a double: what stands between the body tags, in either
  // letter case (the document template writes them upper-case).
  const std::string& text = *documentText;
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto open = lower.find("<body");
  const auto openEnd = open == std::string::npos ? open : text.find('>', open);
  const auto close = lower.rfind("</body>");
  if (openEnd == std::string::npos || close == std::string::npos || close < openEnd) return text;
  return text.substr(openEnd + 1, close - openEnd - 1);
}

FakeEditingSurface::FakeEditingSurface() { dom.documentText = &document; }

ui::CommandArg FakeEditingSurface::ExecCommand(int cmdID, int cmdexecopt,
                                               const ui::CommandArg& pInVar) {
  if (auto failure = failures.find(cmdID); failure != failures.end()) {
    throw std::runtime_error(failure->second);
  }
  executed.push_back({cmdID, cmdexecopt, pInVar});
  if (auto result = results.find(cmdID); result != results.end()) return result->second;
  return {};
}

int FakeEditingSurface::QueryStatus(int cmdID) {
  queried.push_back(cmdID);
  if (auto failure = failures.find(cmdID); failure != failures.end()) {
    throw std::runtime_error(failure->second);
  }
  auto status = statuses.find(cmdID);
  return status == statuses.end() ? defaultStatus : status->second;
}

void FakeEditingSurface::setDocumentHTML(const std::string& html) {
  document = html;
  documentPuts.push_back(html);
  busy = true;
  if (completeLoadsAutomatically) completeLoad();
}

void FakeEditingSurface::completeLoad() {
  busy = false;
  loadedOnce = true;
  if (ui::EditingSurfaceClient* listener = client()) listener->onDocumentComplete();
}

std::string FakeEditingSurface::FilterSourceCode(const std::string& text) {
  if (editingAddition.empty()) return text;
  std::string result = text;
  for (auto at = result.find(editingAddition); at != std::string::npos;
       at = result.find(editingAddition, at)) {
    result.erase(at, editingAddition.size());
  }
  return result;
}

void FakeEditingSurface::SetContextMenu(const ui::ContextMenuStrings& strings,
                                        const ui::ContextMenuStates& states) {
  menuStrings = strings;
  menuStates = states;
  ++contextMenuSets;
}

namespace {

class FakeTimer final : public ui::Timer {
 public:
  explicit FakeTimer(std::shared_ptr<FakeTimers::Pending> pending) : pending_(std::move(pending)) {}
  ~FakeTimer() override { pending_->live = false; }

 private:
  std::shared_ptr<FakeTimers::Pending> pending_;
};

}  // namespace

std::unique_ptr<ui::Timer> FakeTimers::startTimer(std::chrono::milliseconds delay,
                                                  std::function<void()> action) {
  auto pending = std::make_shared<Pending>(Pending{delay, std::move(action)});
  timers.push_back(pending);
  return std::make_unique<FakeTimer>(pending);
}

std::size_t FakeTimers::pending() const {
  std::size_t live = 0;
  for (const auto& timer : timers) live += timer->live ? 1 : 0;
  return live;
}

std::size_t FakeTimers::fireAll() {
  std::vector<std::shared_ptr<Pending>> due;
  due.swap(timers);
  std::size_t fired = 0;
  for (const auto& timer : due) {
    if (!timer->live) continue;
    timer->live = false;
    ++fired;
    timer->action();
  }
  return fired;
}

std::unique_ptr<ui::EditingSurface> FakePlatform::createEditingSurface() {
  auto surface = std::make_unique<FakeEditingSurface>();
  surfaces.push_back(surface.get());
  return surface;
}

}  // namespace pellora::test
