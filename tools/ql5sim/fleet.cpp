#include "fleet.h"

#include <algorithm>
#include <initializer_list>
#include <set>

#include <nlohmann/json.hpp>

#include "address_text.h"

namespace ql5sim {
namespace {

using nlohmann::json;

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  throw FleetError(where + ": " + what);
}

// Unknown keys are refused rather than ignored: a misspelt misbehaviour that
// silently did nothing would make a test pass for the wrong reason.
void CheckKeys(const json& object, const std::string& where,
               std::initializer_list<std::string_view> allowed) {
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
                     std::int64_t max) {
  if (!value.is_number_integer()) {
    Fail(where, "must be an integer");
  }
  const auto number = value.get<std::int64_t>();
  if (number < min || number > max) {
    Fail(where, "must be between " + std::to_string(min) + " and " + std::to_string(max));
  }
  return number;
}

bool Boolean(const json& value, const std::string& where) {
  if (!value.is_boolean()) {
    Fail(where, "must be true or false");
  }
  return value.get<bool>();
}

std::string String(const json& value, const std::string& where) {
  if (!value.is_string()) {
    Fail(where, "must be a string");
  }
  return value.get<std::string>();
}

// A reply field's length byte limits every text to 255 bytes.
std::string Text(const json& value, const std::string& where) {
  std::string text = String(value, where);
  if (text.size() > 255) {
    Fail(where, "is longer than 255 bytes");
  }
  return text;
}

MacAddress Mac(const json& value, const std::string& where) {
  const auto mac = ParseMac(String(value, where));
  if (!mac) {
    Fail(where, "is not a MAC address like \"00:40:9d:00:00:01\"");
  }
  return *mac;
}

Ipv4Address Ipv4(const json& value, const std::string& where) {
  const auto address = ParseIpv4(String(value, where));
  if (!address) {
    Fail(where, "is not a dotted IPv4 address");
  }
  return *address;
}

std::uint32_t Magic(const json& value, const std::string& where) {
  if (value.is_number_integer()) {
    return static_cast<std::uint32_t>(Integer(value, where, 0, 0xffffffffLL));
  }
  const auto magic = ParseMagic(String(value, where));
  if (!magic) {
    Fail(where, "must be four characters, a 0x number or an integer");
  }
  return *magic;
}

std::vector<ReplyField> ExtraFields(const json& value, const std::string& where) {
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

Misbehaviour ParseMisbehaviour(const json& value, const std::string& where) {
  CheckKeys(value, where,
            {"delayMs", "drop", "answerTwice", "wrongMagic", "replyType", "omitMac", "macLast",
             "padTo", "oversized", "emptyDatagram", "silentForCommands", "flood"});
  Misbehaviour m;
  for (const auto& item : value.items()) {
    const std::string& key = item.key();
    const json& v = item.value();
    const std::string at = where + "." + key;
    if (key == "delayMs") {
      m.delayMs = static_cast<int>(Integer(v, at, 0, 3'600'000));
    } else if (key == "drop") {
      m.drop = Boolean(v, at);
    } else if (key == "answerTwice") {
      m.answerTwice = Boolean(v, at);
    } else if (key == "wrongMagic") {
      // true picks a magic that differs from any sensible one in one bit.
      if (v.is_boolean()) {
        if (v.get<bool>()) m.replyMagic = kDigiMagic ^ 0x01;
      } else {
        m.replyMagic = Magic(v, at);
      }
    } else if (key == "replyType") {
      m.replyType = static_cast<std::uint16_t>(Integer(v, at, 0, 0xffff));
    } else if (key == "omitMac") {
      m.omitMac = Boolean(v, at);
    } else if (key == "macLast") {
      m.macLast = Boolean(v, at);
    } else if (key == "padTo") {
      m.padTo = static_cast<std::size_t>(Integer(v, at, 0, 65'535 + kHeaderSize));
    } else if (key == "oversized") {
      if (Boolean(v, at)) m.padTo = kMaxReplySize + 1;
    } else if (key == "emptyDatagram") {
      m.emptyDatagram = Boolean(v, at);
    } else if (key == "silentForCommands") {
      m.silentForCommands = Boolean(v, at);
    } else if (key == "flood") {
      CheckKeys(v, at, {"durationMs", "count"});
      if (v.contains("durationMs")) {
        m.floodDurationMs = static_cast<int>(Integer(v["durationMs"], at + ".durationMs", 0, 3'600'000));
      }
      if (v.contains("count")) {
        m.floodCount = static_cast<std::uint64_t>(Integer(v["count"], at + ".count", 0, 1'000'000'000));
      }
      if (!m.Floods()) {
        Fail(at, "needs a \"durationMs\" or \"count\" above 0");
      }
    }
  }
  return m;
}

// Reads every key of a converter object except "mac"; the caller supplies the
// MAC, either from the object or from a generator.
Converter ParseConverterBody(const json& value, const std::string& where) {
  CheckKeys(value, where,
            {"mac", "ip", "mask", "gateway", "dns", "dhcp", "name", "code5", "hardwareType",
             "productName", "firmware", "realPort", "portCount", "extraFields", "password",
             "successMessage", "refusal", "rebootSilenceMs", "interfaces", "misbehave"});
  Converter c;
  for (const auto& item : value.items()) {
    const std::string& key = item.key();
    const json& v = item.value();
    const std::string at = where + "." + key;
    if (key == "ip") {
      c.ip = Ipv4(v, at);
    } else if (key == "mask") {
      c.mask = Ipv4(v, at);
    } else if (key == "gateway") {
      c.gateway = Ipv4(v, at);
    } else if (key == "dns") {
      c.dns = Ipv4(v, at);
    } else if (key == "dhcp") {
      c.dhcp = static_cast<std::uint8_t>(Integer(v, at, 0, 255));
    } else if (key == "name") {
      c.name = Text(v, at);
    } else if (key == "code5") {
      c.code5 = Text(v, at);
    } else if (key == "hardwareType") {
      c.hardwareType = static_cast<std::uint8_t>(Integer(v, at, 0, 255));
    } else if (key == "productName") {
      c.productName = Text(v, at);
    } else if (key == "firmware") {
      c.firmware = Text(v, at);
    } else if (key == "realPort") {
      c.realPort = static_cast<std::uint16_t>(Integer(v, at, 0, 65535));
    } else if (key == "portCount") {
      c.portCount = static_cast<std::uint8_t>(Integer(v, at, 0, 255));
    } else if (key == "extraFields") {
      c.extraFields = ExtraFields(v, at);
    } else if (key == "password") {
      c.password = Text(v, at);
    } else if (key == "successMessage") {
      c.successMessage = Text(v, at);
    } else if (key == "refusal") {
      CheckKeys(v, at, {"result", "error", "message"});
      if (v.contains("result")) c.refusalResult = static_cast<std::uint8_t>(Integer(v["result"], at + ".result", 0, 255));
      if (v.contains("error")) c.refusalError = static_cast<std::uint8_t>(Integer(v["error"], at + ".error", 0, 255));
      if (v.contains("message")) c.refusalMessage = Text(v["message"], at + ".message");
    } else if (key == "rebootSilenceMs") {
      c.rebootSilenceMs = static_cast<int>(Integer(v, at, 0, 3'600'000));
    } else if (key == "interfaces") {
      if (!v.is_array()) Fail(at, "must be an array of interface names");
      for (std::size_t i = 0; i < v.size(); ++i) {
        c.interfaces.push_back(String(v[i], at + "[" + std::to_string(i) + "]"));
      }
    } else if (key == "misbehave") {
      c.misbehave = ParseMisbehaviour(v, at);
    }
  }
  return c;
}

Converter ParseConverter(const json& value, const std::string& where) {
  Converter c = ParseConverterBody(value, where);
  if (!value.contains("mac")) {
    Fail(where, "needs a \"mac\"");
  }
  c.mac = Mac(value["mac"], where + ".mac");
  return c;
}

// Expands {"count": N, "macPrefix": ..., "firstIp": ..., "namePrefix": ...,
// "template": {...}} into N converters with consecutive MACs and addresses.
void Generate(const json& value, const std::string& where, std::vector<Converter>& out) {
  CheckKeys(value, where, {"count", "macPrefix", "firstIp", "namePrefix", "template"});
  if (!value.contains("count")) {
    Fail(where, "needs a \"count\"");
  }
  const auto count = static_cast<std::uint64_t>(Integer(value["count"], where + ".count", 0, 1'000'000));

  std::vector<std::uint8_t> prefix{0x00, 0x40, 0x9d};
  if (value.contains("macPrefix")) {
    const auto bytes = ParseHex(String(value["macPrefix"], where + ".macPrefix"));
    if (!bytes || bytes->empty() || bytes->size() > 5) {
      Fail(where + ".macPrefix", "must be 1 to 5 hex bytes like \"00:40:9d\"");
    }
    prefix = *bytes;
  }
  const std::size_t suffix_bits = 8 * (6 - prefix.size());
  if (suffix_bits < 64 && count >= (std::uint64_t{1} << suffix_bits)) {
    Fail(where, "count does not fit in the MAC addresses after the prefix");
  }

  Ipv4Address first_ip{198, 18, 0, 1};
  if (value.contains("firstIp")) {
    first_ip = Ipv4(value["firstIp"], where + ".firstIp");
  }
  const std::uint32_t ip_base = static_cast<std::uint32_t>(first_ip[0]) << 24 |
                                static_cast<std::uint32_t>(first_ip[1]) << 16 |
                                static_cast<std::uint32_t>(first_ip[2]) << 8 | first_ip[3];
  if (count > 0 && std::uint64_t{ip_base} + count - 1 > 0xffffffffULL) {
    Fail(where, "count runs past the last IPv4 address");
  }

  std::optional<std::string> name_prefix;
  if (value.contains("namePrefix")) {
    name_prefix = String(value["namePrefix"], where + ".namePrefix");
  }
  Converter model;
  if (value.contains("template")) {
    if (value["template"].is_object() && value["template"].contains("mac")) {
      Fail(where + ".template", "must not name a \"mac\"");
    }
    model = ParseConverterBody(value["template"], where + ".template");
  }

  out.reserve(out.size() + count);
  for (std::uint64_t i = 0; i < count; ++i) {
    Converter c = model;
    std::copy(prefix.begin(), prefix.end(), c.mac.begin());
    const std::uint64_t index = i + 1;  // never all zero bits after the prefix
    for (std::size_t b = prefix.size(); b < 6; ++b) {
      c.mac[b] = static_cast<std::uint8_t>(index >> (8 * (5 - b)));
    }
    const auto ip = static_cast<std::uint32_t>(ip_base + i);
    c.ip = Ipv4Address{static_cast<std::uint8_t>(ip >> 24), static_cast<std::uint8_t>(ip >> 16),
                       static_cast<std::uint8_t>(ip >> 8), static_cast<std::uint8_t>(ip)};
    if (name_prefix) {
      c.name = *name_prefix + std::to_string(index);
      if (c.name->size() > 255) Fail(where + ".namePrefix", "makes names longer than 255 bytes");
    }
    out.push_back(std::move(c));
  }
}

}  // namespace

Fleet LoadFleet(std::string_view json_text) {
  json document;
  try {
    document = json::parse(json_text);
  } catch (const json::parse_error& error) {
    throw FleetError(std::string("fleet: not valid JSON: ") + error.what());
  }
  CheckKeys(document, "fleet", {"magic", "replySpreadMs", "converters", "generate"});

  Fleet fleet;
  if (document.contains("magic")) {
    fleet.magic = Magic(document["magic"], "fleet.magic");
  }
  if (document.contains("replySpreadMs")) {
    fleet.replySpreadMs = static_cast<int>(Integer(document["replySpreadMs"], "fleet.replySpreadMs", 0, 3'600'000));
  }
  if (document.contains("converters")) {
    const json& list = document["converters"];
    if (!list.is_array()) Fail("fleet.converters", "must be an array");
    for (std::size_t i = 0; i < list.size(); ++i) {
      fleet.converters.push_back(ParseConverter(list[i], "fleet.converters[" + std::to_string(i) + "]"));
    }
  }
  if (document.contains("generate")) {
    const json& generate = document["generate"];
    if (generate.is_array()) {
      for (std::size_t i = 0; i < generate.size(); ++i) {
        Generate(generate[i], "fleet.generate[" + std::to_string(i) + "]", fleet.converters);
      }
    } else {
      Generate(generate, "fleet.generate", fleet.converters);
    }
  }

  // The MAC is how every request names its converter, so it must be unique.
  std::set<MacAddress> seen;
  for (const auto& c : fleet.converters) {
    if (!seen.insert(c.mac).second) {
      Fail("fleet", "MAC " + FormatMac(c.mac) + " appears twice");
    }
  }
  return fleet;
}

}  // namespace ql5sim
