// SPDX-License-Identifier: Apache-2.0
// Windows error numbers (GetLastError, WSAGetLastError) share one table of
// texts, which FormatMessage reads in the system's language.
#include "platform/system_error.h"

#include <windows.h>

#include <cstring>

namespace ql5::platform {

void DescribeSystemError(SystemError error, char* text, std::size_t capacity) noexcept
{
    if (text == nullptr || capacity == 0)
        return;
    char buffer[256] = {};
    DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                         static_cast<DWORD>(error.number), 0, buffer, sizeof buffer, nullptr);
    // The system's texts end with a full stop and a line break, which a
    // status text that goes on after the cause must not carry.
    while (length > 0 && (buffer[length - 1] == '\r' || buffer[length - 1] == '\n' ||
                          buffer[length - 1] == ' ' || buffer[length - 1] == '.'))
        buffer[--length] = '\0';
    const char* description = length > 0 ? buffer : "unknown error";
    const std::size_t copied = strnlen(description, capacity - 1);
    std::memcpy(text, description, copied);
    text[copied] = '\0';
}

}  // namespace ql5::platform
