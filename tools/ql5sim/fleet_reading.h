// SPDX-License-Identifier: Apache-2.0
// Pieces of LoadFleet shared by its source files: readers of JSON values that
// throw FleetError naming the offending place, the converter reader, and the
// generator of large fleets.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "fleet.h"

namespace ql5sim::fleet_reading {

using nlohmann::json;

[[noreturn]] void Fail(const std::string& where, const std::string& what);
// Unknown keys are refused: a misspelt option must not silently do nothing.
void CheckKeys(const json& object, const std::string& where,
               std::initializer_list<std::string_view> allowed);
std::int64_t Integer(const json& value, const std::string& where, std::int64_t min,
                     std::int64_t max);
bool Boolean(const json& value, const std::string& where);
std::string String(const json& value, const std::string& where);
// A string of at most 255 bytes, the most that one reply field holds.
std::string Text(const json& value, const std::string& where);
MacAddress Mac(const json& value, const std::string& where);
Ipv4Address Ipv4(const json& value, const std::string& where);
std::uint32_t Magic(const json& value, const std::string& where);
std::vector<ReplyField> ExtraFields(const json& value, const std::string& where);

// Reads every key of a converter object except "mac", which the caller
// supplies, either from the object or from a generator.
Converter ParseConverterBody(const json& value, const std::string& where);

// Appends the converters that one generator object describes.
void GenerateConverters(const json& value, const std::string& where, std::vector<Converter>& out);

}  // namespace ql5sim::fleet_reading
