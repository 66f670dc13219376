// SPDX-License-Identifier: Apache-2.0
#include "fleet_reading.h"

#include <algorithm>

#include "address_text.h"

namespace ql5sim::fleet_reading {

[[noreturn]] void Fail(const std::string& where, const std::string& what)
{
    throw FleetError(where + ": " + what);
}

// Unknown keys are refused rather than ignored: a misspelt misbehaviour that
// silently did nothing would make a test pass for the wrong reason.
void CheckKeys(const json& object, const std::string& where,
               std::initializer_list<std::string_view> allowed)
{
    if (!object.is_object()) {
        Fail(where, "must be an object");
    }
    for (const auto& item : object.items()) {
        if (std::find(allowed.begin(), allowed.end(), item.key()) == allowed.end()) {
            Fail(where, "unknown key \"" + item.key() + "\"");
        }
    }
}

std::int64_t Integer(const json& value, const std::string& where, std::int64_t min,
                     std::int64_t max)
{
    if (!value.is_number_integer()) {
        Fail(where, "must be an integer");
    }
    const auto number = value.get<std::int64_t>();
    if (number < min || number > max) {
        Fail(where, "must be between " + std::to_string(min) + " and " + std::to_string(max));
    }
    return number;
}

bool Boolean(const json& value, const std::string& where)
{
    if (!value.is_boolean()) {
        Fail(where, "must be true or false");
    }
    return value.get<bool>();
}

std::string String(const json& value, const std::string& where)
{
    if (!value.is_string()) {
        Fail(where, "must be a string");
    }
    return value.get<std::string>();
}

// A reply field's length byte limits every text to 255 bytes.
std::string Text(const json& value, const std::string& where)
{
    std::string text = String(value, where);
    if (text.size() > 255) {
        Fail(where, "is longer than 255 bytes");
    }
    return text;
}

MacAddress Mac(const json& value, const std::string& where)
{
    const auto mac = ParseMac(String(value, where));
    if (!mac) {
        Fail(where, "is not a MAC address like \"02:51:c5:00:00:01\"");
    }
    return *mac;
}

Ipv4Address Ipv4(const json& value, const std::string& where)
{
    const auto address = ParseIpv4(String(value, where));
    if (!address) {
        Fail(where, "is not a dotted IPv4 address");
    }
    return *address;
}

std::uint32_t Magic(const json& value, const std::string& where)
{
    if (value.is_number_integer()) {
        return static_cast<std::uint32_t>(Integer(value, where, 0, 0xffffffffLL));
    }
    const auto magic = ParseMagic(String(value, where));
    if (!magic) {
        Fail(where, "must be a 0x number or an integer");
    }
    return *magic;
}

std::vector<ReplyField> ExtraFields(const json& value, const std::string& where)
{
    if (!value.is_array()) {
        Fail(where, "must be an array");
    }
    std::vector<ReplyField> fields;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string at = where + "[" + std::to_string(i) + "]";
        CheckKeys(value[i], at, {"code", "hex", "text"});
        ReplyField field;
        if (!value[i].contains("code")) {
            Fail(at, "needs a \"code\"");
        }
        field.code = static_cast<std::uint8_t>(Integer(value[i]["code"], at + ".code", 0, 255));
        if (value[i].contains("hex") == value[i].contains("text")) {
            Fail(at, "needs exactly one of \"hex\" and \"text\"");
        }
        if (value[i].contains("hex")) {
            const auto bytes = ParseHex(String(value[i]["hex"], at + ".hex"));
            if (!bytes) {
                Fail(at + ".hex", "is not a string of hex bytes");
            }
            field.value = *bytes;
        } else {
            const std::string text = String(value[i]["text"], at + ".text");
            field.value.assign(text.begin(), text.end());
        }
        if (field.value.size() > 255) {
            Fail(at, "holds more than 255 bytes");
        }
        fields.push_back(std::move(field));
    }
    return fields;
}

}  // namespace ql5sim::fleet_reading
