// SPDX-License-Identifier: Apache-2.0
// `apply PLAN`: static settings or DHCP for many converters, checked as a
// whole before the first command goes out, then carried out row by row with
// the very steps of set-ip and dhcp.
#include "configure_command.h"
#include "exit_codes.h"
#include "listing_warnings.h"
#include "local_interfaces.h"
#include "plan_file.h"
#include "subcommands.h"
#include "sweep_listing.h"

#include <ql5common/context_owner.h>
#include <ql5common/display_width.h>
#include <ql5common/json_text.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <map>

namespace ql5ctl {

namespace {

using ql5common::ConverterAddressing;
using ql5common::FormatDottedDecimal;
using ql5common::FormatMac;

// One row of the plan with where its converter answered, and what came of it.
struct RowResult {
    PlanRow row;
    std::uint32_t localAddress = 0;
    std::uint32_t sourceAddress = 0;    // where its reply came from in the search
    std::vector<std::string> warnings;  // keys
    std::string outcome;
    bool succeeded = false;
};

// Where each MAC answered (local address, source address), and the
// addressing that the conflict check uses.
struct Found {
    std::map<ql5common::MacAddress, std::vector<std::pair<std::uint32_t, std::uint32_t>>>
        localAddresses;
    std::vector<ConverterAddressing> converters;
};

Found Search(std::chrono::milliseconds length, std::uint32_t onlyLocal, std::string& failure)
{
    Found found;
    const LocalInterfaces interfaces;
    auto outcome = SweepFor(length, [&](std::uint32_t a) { return interfaces.NameOf(a); });
    if (const auto* failed = std::get_if<SweepFailure>(&outcome)) {
        failure = failed->reason.empty() ? "the discovery client could not be started"
                                         : PrintableText(failed->reason);
        return found;
    }
    for (const ConverterView& view : std::get<SweepListing>(outcome).views) {
        ConverterAddressing addressing = AddressingOf(view);
        if (onlyLocal != 0 && addressing.localAddress != onlyLocal)
            continue;
        found.localAddresses[addressing.mac].emplace_back(addressing.localAddress,
                                                          addressing.sourceAddress);
        found.converters.push_back(addressing);
    }
    return found;
}

void WriteResultTable(std::ostream& out, const std::vector<RowResult>& results)
{
    std::vector<std::array<std::string, 5>> rows;
    rows.push_back({"Line", "MAC Address", "Action", "Local Address", "Outcome"});
    for (const RowResult& r : results) {
        std::string outcome = r.outcome;
        for (const std::string& key : r.warnings)
            outcome += " [" + key + "]";
        rows.push_back({std::to_string(r.row.line), FormatMac(r.row.mac.data()), ActionText(r.row),
                        FormatDottedDecimal(r.localAddress), outcome});
    }
    std::array<std::size_t, 5> widths{};
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], ql5common::DisplayWidth(row[i]));
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size())
                line += std::string(widths[i] - ql5common::DisplayWidth(row[i]) + 2, ' ');
        }
        out << line << '\n';
    }
}

void WriteResultJson(std::ostream& out, const std::vector<RowResult>& results, bool dryRun)
{
    using ql5common::JsonString;
    const auto text = [](const std::string& value) { return JsonString(std::string_view(value)); };
    std::size_t succeeded = 0;
    out << "{\n  \"dryRun\": " << (dryRun ? "true" : "false") << ",\n  \"rows\": [";
    for (std::size_t i = 0; i < results.size(); ++i) {
        const RowResult& r = results[i];
        succeeded += r.succeeded ? 1 : 0;
        std::string warnings;
        for (const std::string& key : r.warnings)
            warnings += (warnings.empty() ? "" : ", ") + text(key);
        out << (i == 0 ? "\n" : ",\n") << "    {\"line\": " << r.row.line
            << ", \"mac\": " << text(FormatMac(r.row.mac.data()))
            << ", \"action\": " << text(ActionText(r.row))
            << ", \"localAddress\": " << text(FormatDottedDecimal(r.localAddress))
            << ", \"outcome\": " << text(r.outcome)
            << ", \"succeeded\": " << (r.succeeded ? "true" : "false") << ", \"warnings\": ["
            << warnings << "]}";
    }
    out << (results.empty() ? "]" : "\n  ]") << ",\n  \"summary\": {\"rows\": " << results.size()
        << ", \"succeeded\": " << succeeded << ", \"failed\": " << results.size() - succeeded
        << "}\n}\n";
}

// Checks what the sweep found against the plan: every MAC must have answered
// on exactly one network and from one source address, the rule against
// impostors applied once to the whole search (which listens far longer than
// a command's 500 ms window) instead of a window per row. Returns false after
// reporting each problem.
bool Locate(std::vector<RowResult>& results, const Found& found, const std::string& planName,
            std::ostream& err)
{
    bool located = true;
    for (RowResult& result : results) {
        const std::string where = "ql5ctl: " + planName + ":" + std::to_string(result.row.line);
        const auto at = found.localAddresses.find(result.row.mac);
        if (at == found.localAddresses.end()) {
            err << where << ": no converter with MAC " << FormatMac(result.row.mac.data())
                << " answered\n";
            located = false;
        } else if (at->second.size() > 1) {
            err << where << ": " << FormatMac(result.row.mac.data())
                << " answered from more than one address (";
            for (std::size_t i = 0; i < at->second.size(); ++i)
                err << (i == 0 ? "" : ", ") << FormatDottedDecimal(at->second[i].second) << " on "
                    << FormatDottedDecimal(at->second[i].first);
            err << "); another host may be answering for it; choose the network with "
                   "--interface\n";
            located = false;
        } else {
            result.localAddress = at->second.front().first;
            result.sourceAddress = at->second.front().second;
        }
    }
    return located;
}

// The conflict warnings of each static row, against the converters as they
// will be once the whole plan is carried out.
void Warn(std::vector<RowResult>& results, const Found& found, const std::string& planName,
          std::ostream& err)
{
    std::map<ql5common::MacAddress, const PlanRow*> planned;
    for (const RowResult& result : results)
        planned[result.row.mac] = &result.row;
    std::vector<ConverterAddressing> after = found.converters;
    for (ConverterAddressing& converter : after) {
        const auto at = planned.find(converter.mac);
        if (at == planned.end())
            continue;
        // A converter on DHCP will take an address not known yet.
        converter.ip = at->second->dhcp ? 0 : at->second->ipAddress;
        converter.mask = at->second->subnetMask;
        converter.gateway = at->second->gatewayAddress;
    }
    const LocalInterfaces interfaces;
    const auto networks = interfaces.Networks();
    for (RowResult& result : results) {
        if (result.row.dhcp)
            continue;
        ConverterAddressing target;
        target.mac = result.row.mac;
        target.localAddress = result.localAddress;
        target.ip = result.row.ipAddress;
        target.mask = result.row.subnetMask;
        target.gateway = result.row.gatewayAddress;
        for (const auto& conflict : ql5common::CheckPlannedSettings(target, after, networks)) {
            const std::string key(ql5common::ConflictKey(conflict.kind));
            if (std::find(result.warnings.begin(), result.warnings.end(), key) ==
                result.warnings.end())
                result.warnings.push_back(key);
            err << "ql5ctl: " << planName << ":" << result.row.line
                << ": warning: " << ql5common::ConflictText(conflict) << "\n";
        }
    }
}

}  // namespace

int RunApply(const Invocation& invocation, Streams streams)
{
    const std::string planName = PrintableText(invocation.planFile);
    std::ifstream file(invocation.planFile);
    if (!file) {
        streams.err << "ql5ctl: cannot read the plan " << planName << "\n";
        return kExitPlanRefused;
    }
    const Plan plan = ReadPlan(file, invocation.force);
    for (const PlanError& error : plan.errors)
        streams.err << "ql5ctl: " << planName << ":" << error.line << ": " << error.message << "\n";
    if (!plan.errors.empty() || plan.rows.empty()) {
        if (plan.rows.empty() && plan.errors.empty())
            streams.err << "ql5ctl: " << planName << " plans nothing\n";
        streams.err << "ql5ctl: nothing was sent\n";
        return kExitPlanRefused;
    }

    const auto local = ResolveInterface(invocation.interface);
    if (const auto* reason = std::get_if<std::string>(&local)) {
        streams.err << "ql5ctl: " << *reason << "\n";
        return kExitLocalFailure;
    }
    const std::uint32_t onlyLocal = std::get<std::uint32_t>(local);

    if (streams.errIsTerminal)
        streams.err << "Searching for " << invocation.waitSeconds << " s..." << std::endl;
    std::string failure;
    const Found found = Search(std::chrono::milliseconds(static_cast<long long>(
                                   std::llround(invocation.waitSeconds * 1000))),
                               onlyLocal, failure);
    if (!failure.empty()) {
        streams.err << "ql5ctl: no search took place: " << failure << "\n";
        return kExitLocalFailure;
    }
    std::vector<RowResult> results;
    for (const PlanRow& row : plan.rows)
        results.push_back(RowResult{row, 0, 0, {}, {}, false});
    if (!Locate(results, found, planName, streams.err)) {
        streams.err << "ql5ctl: nothing was sent\n";
        return kExitPlanRefused;
    }
    Warn(results, found, planName, streams.err);

    if (invocation.dryRun) {
        for (RowResult& result : results) {
            result.outcome = "would be sent";
            result.succeeded = true;
        }
    } else {
        // One password for the whole plan, read before the first command.
        auto obtained =
            ObtainPassword(invocation.passwordFromStdin, "the converters in " + planName);
        if (const auto* error = std::get_if<PasswordError>(&obtained)) {
            streams.err << "ql5ctl: " << error->message << "\n";
            return kExitUsage;
        }
        Password& password = std::get<Password>(obtained);
        const ql5common::ContextOwner context;
        if (!context) {
            streams.err << "ql5ctl: the discovery client could not be started\n";
            return kExitInternal;
        }
        // Each row's own messages are progress here: they go to stderr, and
        // the outcome table alone to standard output.
        const Streams progress{streams.err, streams.err, streams.errIsTerminal};
        for (std::size_t i = 0; i < results.size(); ++i) {
            RowResult& result = results[i];
            streams.err << "[" << i + 1 << "/" << results.size() << "] line " << result.row.line
                        << ": " << FormatMac(result.row.mac.data()) << ": "
                        << ActionText(result.row) << std::endl;
            const CommandTarget target{result.row.dhcp ? Subcommand::kDhcp : Subcommand::kSetIp,
                                       result.row.mac, result.row.ipAddress, result.row.subnetMask,
                                       result.row.gatewayAddress};
            // The search located the converter: the client asks it at once,
            // and counts only the answers from where the search heard it.
            SetDeviceSource(context.Handle(), result.row.mac.data(), result.localAddress,
                            result.sourceAddress);
            const CommandOutcome outcome =
                CarryOutCommand(target, context.Handle(), result.localAddress, invocation.interface,
                                password, i + 1 == results.size(), invocation.verify, progress);
            result.outcome = outcome.summary;
            result.succeeded = outcome.exitCode == kExitDone;
        }
    }

    const auto succeeded = static_cast<std::size_t>(std::count_if(
        results.begin(), results.end(), [](const RowResult& r) { return r.succeeded; }));
    if (invocation.format == OutputFormat::kJson) {
        WriteResultJson(streams.out, results, invocation.dryRun);
    } else {
        WriteResultTable(streams.out, results);
        streams.out << results.size() << " rows: " << succeeded
                    << (invocation.dryRun ? " checked, nothing sent" : " succeeded") << ", "
                    << results.size() - succeeded << " failed\n";
    }
    return succeeded == results.size() ? kExitDone : kExitRowsFailed;
}

}  // namespace ql5ctl
