#include "exchange/editing_context.h"

namespace pellora {

namespace {

std::function<std::string()>& pendingBody() {
  static std::function<std::string()> source;
  return source;
}

}  // namespace

EditingContext& editingContext() {
  static EditingContext context;
  if (std::function<std::string()>& pending = pendingBody()) {
    const std::function<std::string()> source = std::move(pending);
    pending = nullptr;
    context.ContentBody = source();
  }
  return context;
}

void followContentBody(std::function<std::string()> source) { pendingBody() = std::move(source); }

void resetEditingContextForTesting() {
  pendingBody() = nullptr;
  editingContext() = EditingContext{};
}

}  // namespace pellora
