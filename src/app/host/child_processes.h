// Child processes that must end with this process. A signal that would end
// it (SIGTERM, SIGINT, SIGHUP) first sends SIGTERM to each of them; a
// signal the process was started ignoring (nohup's SIGHUP) stays ignored.
// What no handler sees (SIGKILL, a crash) the children learn from the
// system: see startChild.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace pellora::host {

// Starts `argv[0]` with `argv` and its standard output on `stdoutFd`; the
// system sends the child SIGTERM when this process dies, and the child is
// ended by this process's handlers above until forgetChild. -1 when it
// cannot be started.
pid_t startChild(const std::vector<std::string>& argv, int stdoutFd);

// The child has been ended and waited for: no handler signals its pid.
void forgetChild(pid_t pid);

}  // namespace pellora::host
