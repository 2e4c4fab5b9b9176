#include "exchange/editing_context.h"

namespace pellora {

EditingContext& editingContext() {
  static EditingContext context;
  return context;
}

void resetEditingContextForTesting() { editingContext() = EditingContext{}; }

}  // namespace pellora
