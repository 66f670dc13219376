// SPDX-License-Identifier: Apache-2.0
// The product table: the names and port counts of the products that a device
// may report only by hardware type. Used to complete replies of contexts opened
// with the QL5 magic.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ql5 {

struct ProductRow {
    std::uint8_t hardwareType;
    const char* productName;
    std::uint8_t portCount;
};

// The rows in search order.
extern const ProductRow ProductTable[18];

// Copies the name of the first row with this hardware type into the buffer (at
// most capacity - 1 characters, zero-filled behind them). False, with the
// buffer untouched, when no row matches or the buffer is missing or empty.
[[nodiscard]] bool LookupProductName(std::uint8_t hardwareType, char* buffer, std::size_t capacity);

// Stores the port count of the first row whose name equals the given one
// exactly (case-sensitive). False, with the output untouched, when none does.
[[nodiscard]] bool LookupPortCount(const char* productName, std::uint8_t* portCount);

}  // namespace ql5
