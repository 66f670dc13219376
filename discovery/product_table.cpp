// SPDX-License-Identifier: Apache-2.0
#include "product_table.h"

#include "text_copy.h"

#include <cstring>

namespace ql5 {

// Types 12 and 13 carry the same names as 8 and 9, and two rows share type 0:
// a lookup by type reaches only the first of them, the second only by name.
const ProductRow ProductTable[18] = {
    {1, "PortServer TS 8", 8},        {2, "PortServer TS 16", 16},   {3, "PortServer TS 32", 32},
    {4, "PortServer TS 16 Rack", 16}, {5, "PortServer II", 16},      {6, "PortServer II Rack", 16},
    {7, "Digi One RealPort", 1},      {8, "PortServer TS 2", 2},     {9, "PortServer TS 4", 4},
    {10, "Digi One IA RealPort", 1},  {11, "Digi One TS", 1},        {12, "PortServer TS 2", 2},
    {13, "PortServer TS 4", 4},       {14, "Digi One SP", 1},        {15, "Digi One IA", 1},
    {16, "Digi One EM", 1},           {0, "PortServer TS 2 MEI", 2}, {0, "PortServer TS 4 MEI", 4},
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
