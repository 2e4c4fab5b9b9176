// Counts of live COM objects and server locks of the module, which decide
// whether the module may be unloaded.
#pragma once

#include <atomic>

namespace pellora {

struct ModuleState {
  std::atomic<long> objects{0};
  std::atomic<long> locks{0};
};

ModuleState& moduleState();

// Holds one object count for its lifetime; a member of every COM object the
// module hands out.
class ObjectCount {
 public:
  ObjectCount() { ++moduleState().objects; }
  ~ObjectCount() { --moduleState().objects; }
  ObjectCount(const ObjectCount&) = delete;
  ObjectCount& operator=(const ObjectCount&) = delete;
};

}  // namespace pellora
