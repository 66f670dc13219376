// SPDX-License-Identifier: Apache-2.0
// System error numbers, kept exactly as the system reported them. Only the
// platform folders read them (errno, WSAGetLastError()) and only they turn
// them into text, so the rest of the client carries a number it never has to
// interpret.
#pragma once

#include <cstddef>

namespace ql5::platform {

struct SystemError {
    int number = 0;  // 0: the system gave no number
};

// Writes the system's own text for the error (for example "Cannot assign
// requested address"), cut to the capacity and NUL-terminated.
void DescribeSystemError(SystemError error, char* text, std::size_t capacity) noexcept;

}  // namespace ql5::platform
