// SPDX-License-Identifier: Apache-2.0
// The event rules of `list --watch`: found, changed with the fields that
// changed, lost after N silent rounds, and the line each event makes.
#include "watch_events.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

using namespace ql5ctl;
using ql5common::ConverterView;

namespace {

// A reply as a row gives it: "MAC-suffix IP [name] [interface]" on local
// address 198.51.100.1 unless the suffix carries "@local".
struct Reply {
    const char* mac;  // "01", or "01@203.0.113.1"
    const char* ip;
    const char* name = "Line";
    const char* interfaceName = "ws0";
    const char* source = "";
};

ConverterView View(const Reply& reply)
{
    ConverterView view;
    const std::string mac = reply.mac;
    const auto at = mac.find('@');
    view.mac = "02:51:c5:00:00:" + mac.substr(0, at);
    view.localAddress = at == std::string::npos ? "198.51.100.1" : mac.substr(at + 1);
    view.ip = reply.ip;
    view.mask = "255.255.255.0";
    view.name = reply.name;
    view.interfaceName = reply.interfaceName;
    view.sourceAddress = reply.source;
    return view;
}

// "found 01", "changed 01 ip,warnings", "lost 02".
std::string Described(const WatchEvent& event)
{
    static const char* const kKinds[] = {"found", "changed", "lost"};
    std::string text =
        std::string(kKinds[static_cast<int>(event.kind)]) + " " + event.view.mac.substr(15);
    for (std::size_t i = 0; i < event.changed.size(); ++i)
        text += (i == 0 ? " " : ",") + event.changed[i];
    return text;
}

// Each round hears its replies, reports the changes, then ends.
std::vector<std::string> EventLog(unsigned lostAfter, const std::vector<std::vector<Reply>>& rounds)
{
    WatchEvents events(lostAfter, {});
    std::vector<std::string> log;
    for (const auto& round : rounds) {
        for (const Reply& reply : round)
            events.Heard(View(reply));
        const auto logged = [&](const WatchEvent& event) { log.push_back(Described(event)); };
        events.Changes(logged);
        events.RoundEnded({}, logged);
    }
    return log;
}

}  // namespace

TEST(WatchEvents, RulesForFoundChangedAndLost)
{
    const Reply a{"01", "198.51.100.10"};
    const Reply aMoved{"01", "198.51.100.11"};
    const Reply aRenamed{"01", "198.51.100.10", "Press"};
    const Reply b{"02", "198.51.100.20"};
    const Reply bOnA{"02", "198.51.100.10"};
    const Reply aUnnamedInterface{"01", "198.51.100.10", "Line", ""};
    const Reply aElsewhere{"01@203.0.113.1", "198.51.100.10"};
    const Reply aFromItself{"01", "198.51.100.10", "Line", "ws0", "198.51.100.10"};
    const Reply aFromImpostor{"01", "198.51.100.10", "Line", "ws0", "198.51.100.66"};
    const struct {
        const char* what;
        unsigned lostAfter;
        std::vector<std::vector<Reply>> rounds;
        std::vector<std::string> log;
    } rows[] = {
        {"a repeated reply is no event", 3, {{a}, {a, a}, {a}}, {"found 01"}},
        {"one changed field", 3, {{a}, {aMoved}}, {"found 01", "changed 01 ip"}},
        {"changes before the first report fold into found",
         3,
         {{a, aMoved, aRenamed}},
         {"found 01"}},
        {"name after address",
         3,
         {{a}, {aRenamed}, {a}},
         {"found 01", "changed 01 name", "changed 01 name"}},
        {"lost after three silent rounds", 3, {{a}, {}, {}, {}, {}}, {"found 01", "lost 01"}},
        {"two silent rounds are not enough", 3, {{a}, {}, {}, {a}, {}, {}}, {"found 01"}},
        {"lost after one", 1, {{a}, {}}, {"found 01", "lost 01"}},
        {"found again after lost", 1, {{a}, {}, {aMoved}}, {"found 01", "lost 01", "found 01"}},
        {"a duplicate warns both, and its loss clears it",
         1,
         {{a}, {a, bOnA}, {a}},
         {"found 01", "changed 01 warnings", "found 02", "lost 02", "changed 01 warnings"}},
        {"an interface named from a later round",
         3,
         {{aUnnamedInterface}, {a}},
         {"found 01", "changed 01 interface"}},
        {"one MAC on two networks is two converters",
         1,
         {{a, aElsewhere}, {a}},
         {"found 01", "found 01", "lost 01"}},
        {"one MAC from two sources is two converters, warned until one goes",
         1,
         {{aFromItself, aFromImpostor}, {aFromItself}},
         {"found 01", "found 01", "lost 01", "changed 01 warnings"}},
        {"others unaffected by a loss", 2, {{a, b}, {a}, {a}}, {"found 01", "found 02", "lost 02"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(EventLog(row.lostAfter, row.rounds), row.log) << row.what;
}

TEST(WatchEvents, TimeIsRfc3339InUtcWithMilliseconds)
{
    using namespace std::chrono;
    const struct {
        long long unixMs;
        const char* text;
    } rows[] = {
        {0, "1970-01-01T00:00:00.000Z"},
        {1733559123250, "2024-12-07T08:12:03.250Z"},
        {951782400999, "2000-02-29T00:00:00.999Z"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Rfc3339Utc(system_clock::time_point(milliseconds(row.unixMs))), row.text);
}

TEST(WatchEvents, LineCarriesEventTimeChangedFieldsAndTheConverter)
{
    WatchEvent event{WatchEventKind::kChanged, View({"01", "198.51.100.10"}), {"ip", "name"}};
    std::ostringstream out;
    WriteWatchEventLine(out, event, std::chrono::system_clock::time_point{});
    const std::string line = out.str();
    ASSERT_EQ(line.back(), '\n');
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    const auto json = nlohmann::json::parse(line);
    EXPECT_EQ(json["event"], "changed");
    EXPECT_EQ(json["time"], "1970-01-01T00:00:00.000Z");
    EXPECT_EQ(json["changed"], nlohmann::json::parse(R"(["ip", "name"])"));
    EXPECT_EQ(json["mac"], "02:51:c5:00:00:01");
    EXPECT_EQ(json["interface"], "ws0");
    EXPECT_EQ(json.size(), 17u);  // the 14 fields of a listed converter, and three

    event.kind = WatchEventKind::kLost;
    std::ostringstream lost;
    WriteWatchEventLine(lost, event, std::chrono::system_clock::time_point{});
    EXPECT_FALSE(nlohmann::json::parse(lost.str()).contains("changed"));
}
