// SPDX-License-Identifier: Apache-2.0
#include "process.h"

#include <windows.h>

namespace ql5sim {

long ProcessId()
{
    return static_cast<long>(GetCurrentProcessId());
}

}  // namespace ql5sim
