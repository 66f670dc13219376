// SPDX-License-Identifier: Apache-2.0
#include "process.h"

#include <unistd.h>

namespace ql5sim {

long ProcessId()
{
    return static_cast<long>(getpid());
}

}  // namespace ql5sim
