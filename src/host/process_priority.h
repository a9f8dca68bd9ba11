// The scheduling priority of the runner's own process.
#pragma once

namespace bw {

// Sets the process's nice value (-20 most favoured .. 19 least). The system
// may refuse a higher priority to an unprivileged user: false then, and the
// priority stays as it was.
bool HostProcess_SetNice(int nice);

}  // namespace bw
