// SPDX-License-Identifier: Apache-2.0
#include "ql5common/product_name.h"

#include <algorithm>
#include <cstring>

namespace ql5common {

bool IsModuleProductName(const char (&productName)[256])
{
    // strncmp stops at the field's end, so a field without a terminator is
    // compared without reading past it.
    return std::strncmp(productName, kModuleProductName, sizeof productName) == 0;
}

void SubstituteProductName(DeviceRecordExchange& record, std::string_view replacement)
{
    if (!IsModuleProductName(record.productName))
        return;
    const std::size_t length = std::min(replacement.size(), sizeof record.productName - 1);
    std::memset(record.productName, 0, sizeof record.productName);
    std::memcpy(record.productName, replacement.data(), length);
}

}  // namespace ql5common
