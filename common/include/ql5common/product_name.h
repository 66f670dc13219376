// SPDX-License-Identifier: Apache-2.0
// The product name rule: the converters' embedded network module reports its
// own product name, and every program shows the converter's name instead.
#pragma once

#include <ql5/discovery.h>

#include <string_view>

namespace ql5common {

inline constexpr char kModuleProductName[] = "QL5 Core Module";
inline constexpr char kConverterProductName[] = "QL5 Converter";

// True when the field holds exactly kModuleProductName: the whole text,
// byte for byte, letter case included.
bool IsModuleProductName(const char (&productName)[256]);

// If the record's product name is the module's, overwrites it in place with
// `replacement` (cut to 255 bytes) and zero-fills the rest of the field. Any
// other name stays as it is.
void SubstituteProductName(DeviceRecordExchange& record,
                           std::string_view replacement = kConverterProductName);

}  // namespace ql5common
