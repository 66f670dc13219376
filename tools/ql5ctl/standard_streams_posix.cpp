// SPDX-License-Identifier: Apache-2.0
// POSIX streams carry bytes unchanged already.
#include "standard_streams.h"

#include <unistd.h>

namespace ql5ctl {

void UseByteExactStandardStreams()
{
}

bool StandardErrorIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace ql5ctl
