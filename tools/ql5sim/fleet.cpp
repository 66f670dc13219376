// SPDX-License-Identifier: Apache-2.0
#include "fleet.h"

#include <set>

#include "address_text.h"
#include "fleet_reading.h"

namespace ql5sim {
namespace {

using namespace fleet_reading;

Misbehaviour ParseMisbehaviour(const json& value, const std::string& where)
{
    CheckKeys(
        value, where,
        {"delayMs", "drop", "answerTwice", "wrongMagic", "replyType", "omitMac", "macLast", "padTo",
         "oversized", "emptyDatagram", "silentForCommands", "bareCommandReply", "flood"});
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
                if (v.get<bool>())
                    m.replyMagic = kProtocolMagic ^ 0x01;
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
            if (Boolean(v, at))
                m.padTo = kMaxReplySize + 1;
        } else if (key == "emptyDatagram") {
            m.emptyDatagram = Boolean(v, at);
        } else if (key == "silentForCommands") {
            m.silentForCommands = Boolean(v, at);
        } else if (key == "bareCommandReply") {
            m.bareCommandReply = Boolean(v, at);
        } else if (key == "flood") {
            CheckKeys(v, at, {"durationMs", "count", "randomMacs"});
            if (v.contains("durationMs")) {
                m.floodDurationMs =
                    static_cast<int>(Integer(v["durationMs"], at + ".durationMs", 0, 3'600'000));
            }
            if (v.contains("count")) {
                m.floodCount = static_cast<std::uint64_t>(
                    Integer(v["count"], at + ".count", 0, 1'000'000'000));
            }
            if (v.contains("randomMacs")) {
                m.floodRandomMacs = Boolean(v["randomMacs"], at + ".randomMacs");
            }
            if (!m.Floods()) {
                Fail(at, "needs a \"durationMs\" or \"count\" above 0");
            }
        }
    }
    return m;
}

}  // namespace

namespace fleet_reading {

Converter ParseConverterBody(const json& value, const std::string& where)
{
    CheckKeys(value, where,
              {"mac", "ip", "mask", "gateway", "dns", "dhcp",
               // What a discovery reply says besides the addresses.
               "name", "code5", "hardwareType", "productName", "firmware", "serialLinkPort",
               "portCount", "extraFields",
               // How the converter behaves.
               "password", "successMessage", "refusal", "rebootDelayMs", "rebootSilenceMs",
               "applyAfterReboot", "interfaces", "misbehave"});
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
        } else if (key == "serialLinkPort") {
            c.serialLinkPort = static_cast<std::uint16_t>(Integer(v, at, 0, 65535));
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
            if (v.contains("result"))
                c.refusalResult =
                    static_cast<std::uint8_t>(Integer(v["result"], at + ".result", 0, 255));
            if (v.contains("error"))
                c.refusalError =
                    static_cast<std::uint8_t>(Integer(v["error"], at + ".error", 0, 255));
            if (v.contains("message"))
                c.refusalMessage = Text(v["message"], at + ".message");
        } else if (key == "rebootDelayMs") {
            c.rebootDelayMs = static_cast<int>(Integer(v, at, 0, 3'600'000));
        } else if (key == "rebootSilenceMs") {
            c.rebootSilenceMs = static_cast<int>(Integer(v, at, 0, 3'600'000));
        } else if (key == "applyAfterReboot") {
            c.applyAfterReboot = Boolean(v, at);
        } else if (key == "interfaces") {
            if (!v.is_array())
                Fail(at, "must be an array of interface names");
            for (std::size_t i = 0; i < v.size(); ++i) {
                c.interfaces.push_back(String(v[i], at + "[" + std::to_string(i) + "]"));
            }
        } else if (key == "misbehave") {
            c.misbehave = ParseMisbehaviour(v, at);
        }
    }
    return c;
}

}  // namespace fleet_reading

namespace {

Converter ParseConverter(const json& value, const std::string& where)
{
    Converter c = ParseConverterBody(value, where);
    if (!value.contains("mac")) {
        Fail(where, "needs a \"mac\"");
    }
    c.mac = Mac(value["mac"], where + ".mac");
    return c;
}

}  // namespace

Fleet LoadFleet(std::string_view jsonText)
{
    json document;
    try {
        document = json::parse(jsonText);
    } catch (const json::parse_error& error) {
        throw FleetError(std::string("fleet: not valid JSON: ") + error.what());
    }
    CheckKeys(document, "fleet", {"magic", "replySpreadMs", "converters", "generate"});

    Fleet fleet;
    if (document.contains("magic")) {
        fleet.magic = Magic(document["magic"], "fleet.magic");
    }
    if (document.contains("replySpreadMs")) {
        fleet.replySpreadMs = static_cast<int>(
            Integer(document["replySpreadMs"], "fleet.replySpreadMs", 0, 3'600'000));
    }
    if (document.contains("converters")) {
        const json& list = document["converters"];
        if (!list.is_array())
            Fail("fleet.converters", "must be an array");
        for (std::size_t i = 0; i < list.size(); ++i) {
            fleet.converters.push_back(
                ParseConverter(list[i], "fleet.converters[" + std::to_string(i) + "]"));
        }
    }
    if (document.contains("generate")) {
        const json& generate = document["generate"];
        if (generate.is_array()) {
            for (std::size_t i = 0; i < generate.size(); ++i) {
                GenerateConverters(generate[i], "fleet.generate[" + std::to_string(i) + "]",
                                   fleet.converters);
            }
        } else {
            GenerateConverters(generate, "fleet.generate", fleet.converters);
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
