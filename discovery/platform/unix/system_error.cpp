// SPDX-License-Identifier: Apache-2.0
#include "platform/system_error.h"

#include <cstring>
#include <string.h>

namespace ql5::platform {

namespace {

// strerror_r comes in two shapes: the POSIX one fills the buffer and returns
// an int, the GNU one may return a static text instead. Overloads take
// whichever the C library declares.
[[maybe_unused]] const char* Chosen(int result, const char* buffer)
{
    return result == 0 ? buffer : nullptr;
}

[[maybe_unused]] const char* Chosen(const char* result, const char*)
{
    return result;
}

}  // namespace

void DescribeSystemError(SystemError error, char* text, std::size_t capacity) noexcept
{
    if (text == nullptr || capacity == 0)
        return;
    char buffer[256] = {};
    const char* description = Chosen(strerror_r(error.number, buffer, sizeof buffer), buffer);
    if (description == nullptr || description[0] == '\0')
        description = "unknown error";
    const std::size_t length = strnlen(description, capacity - 1);
    std::memcpy(text, description, length);
    text[length] = '\0';
}

}  // namespace ql5::platform
