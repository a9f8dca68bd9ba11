#include "host/process_priority.h"

#include <sys/resource.h>

namespace bw {

bool HostProcess_SetNice(int nice)
{
    return setpriority(PRIO_PROCESS, 0, nice) == 0;
}

}  // namespace bw
