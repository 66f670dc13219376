// SPDX-License-Identifier: Apache-2.0
#include "product_table.h"

#include "text_copy.h"

#include <cstring>

namespace ql5 {

// Types 12 and 13 carry the same names as 8 and 9, and two rows share type 0:
// a lookup by type reaches only the first of them, the second only by name.
const ProductRow ProductTable[18] = {
    {1, "QL5 Hub 8", 8},
    {2, "QL5 Hub 16", 16},
    {3, "QL5 Hub 32", 32},
    {4, "QL5 Hub 16 Rackmount", 16},
    {5, "QL5 Hub Legacy", 16},
    {6, "QL5 Hub Legacy Rackmount", 16},
    {7, "QL5 Single Link", 1},
    {8, "QL5 Hub 2", 2},
    {9, "QL5 Hub 4", 4},
    {10, "QL5 Single Link Industrial", 1},
    {11, "QL5 Single Terminal", 1},
    {12, "QL5 Hub 2", 2},
    {13, "QL5 Hub 4", 4},
    {14, "QL5 Single Serial", 1},
    {15, "QL5 Single Industrial", 1},
    {16, "QL5 Single Embedded", 1},
    {0, "QL5 Hub 2 Multi-Interface", 2},
    {0, "QL5 Hub 4 Multi-Interface", 4},
};

bool LookupProductName(std::uint8_t hardwareType, char* buffer, std::size_t capacity)
{
    if (buffer == nullptr || capacity == 0)
        return false;
    for (const ProductRow& row : ProductTable) {
        if (row.hardwareType == hardwareType) {
            CopyTextZeroFilled(buffer, capacity, row.productName);
            return true;
        }
    }
    return false;
}

bool LookupPortCount(const char* productName, std::uint8_t* portCount)
{
    if (productName == nullptr || portCount == nullptr)
        return false;
    for (const ProductRow& row : ProductTable) {
        if (std::strcmp(row.productName, productName) == 0) {
            *portCount = row.portCount;
            return true;
        }
    }
    return false;
}

}  // namespace ql5
