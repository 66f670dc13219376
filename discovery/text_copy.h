// SPDX-License-Identifier: Apache-2.0
// Copying a NUL-terminated text into a fixed buffer the way every text field of
// the client is filled: at most capacity - 1 characters, then zero bytes up to
// the end of the buffer, so the buffer never carries stale bytes.
#pragma once

#include <cstddef>
#include <cstring>

namespace ql5 {

inline void CopyTextZeroFilled(char* out, std::size_t capacity, const char* text)
{
    if (capacity == 0)
        return;
    const std::size_t length = strnlen(text, capacity - 1);
    std::memcpy(out, text, length);
    std::memset(out + length, 0, capacity - length);
}

}  // namespace ql5
