// SPDX-License-Identifier: Apache-2.0
#include "subcommands.h"

#include "configure_command.h"
#include "exit_codes.h"
#include "listing_warnings.h"
#include "local_interfaces.h"
#include "local_route.h"
#include "password.h"
#include "sweep_listing.h"
#include <ql5common/converter_view.h>

#include <ql5/discovery.h>
#include <ql5common/address_text.h>
#include <ql5common/context_owner.h>
#include <ql5common/details_text.h>
#include <ql5common/prometheus_text.h>
#include <ql5common/reboot_wait.h>

#include <chrono>
#include <cmath>
#include <string>
#include <variant>

namespace ql5ctl {

namespace {

using ql5common::ContextOwner;
using ql5common::FormatMac;

constexpr char kClientUnavailable[] =
    "ql5ctl: the discovery client could not be started (out of resources?)\n";

void WriteConverters(const std::vector<ConverterView>& views, OutputFormat format,
                     const LocalInterfaces& interfaces,
                     std::chrono::system_clock::time_point listedAt, std::ostream& out)
{
    switch (format) {
    case OutputFormat::kTable: WriteTable(out, views); break;
    case OutputFormat::kCsv: WriteCsv(out, views); break;
    case OutputFormat::kJson: WriteListJson(out, views); break;
    case OutputFormat::kPrometheus:
        ql5common::WritePrometheus(out, views, interfaces.Searched(), listedAt);
        break;
    }
}

// The start of the client's status text for a MAC that answered from two sources.
constexpr char kAmbiguousStart[] = "the MAC answered from more than one address";

// Reports a failed query (info, and the first step of the commands): no
// answer, or the client's reason on this host. Returns the exit code.
int ReportFailedQuery(const ContextOwner& context, const std::string& macText,
                      const Invocation& invocation, Streams streams)
{
    const std::string status = context.StatusText();
    if (status == QL5_STATUS_TEXT_SUCCESS) {
        streams.err << "ql5ctl: no converter with MAC " << macText << " answered within 7.5 s";
        if (!invocation.interface.empty())
            streams.err << " through " << PrintableText(invocation.interface);
        if (invocation.deviceAddress != 0)
            streams.err << " at " << ql5common::FormatDottedDecimal(invocation.deviceAddress);
        streams.err << "\n";
        return kExitNotFound;
    }
    streams.err << "ql5ctl: " << PrintableText(status) << "\n";
    // Another host may be answering for the MAC: the same refusal as a
    // command's, whose message the status already is.
    if (status.rfind(kAmbiguousStart, 0) == 0)
        return kExitAmbiguous;
    return kExitLocalFailure;
}

// The local address for a request: the one --interface names; else, for a
// converter that --host names, the one the routing reaches it through; else
// 0 (every local address).
std::variant<std::uint32_t, std::string> ChooseLocalAddress(const Invocation& invocation)
{
    auto local = ResolveInterface(invocation.interface);
    if (invocation.deviceAddress == 0 || !std::holds_alternative<std::uint32_t>(local) ||
        std::get<std::uint32_t>(local) != 0)
        return local;
    if (const std::uint32_t routed = LocalAddressToward(invocation.deviceAddress); routed != 0)
        return routed;
    return "no route of this computer leads to " +
           ql5common::FormatDottedDecimal(invocation.deviceAddress);
}

int WaitForReboot(DiscoveryHandle handle, const ql5common::MacAddress& mac,
                  std::uint32_t localAddress, std::uint32_t deviceAddress, Streams streams)
{
    streams.out << "Status: Rebooting" << std::endl;
    // The same wait, with the same bound, as QL5Config's reboot window.
    ql5common::RebootWait wait;
    if (ql5common::WaitUntilBack(wait, handle, mac.data(), localAddress, deviceAddress) ==
        ql5common::RebootOutcome::kReady) {
        streams.out << "Status: Ready" << std::endl;
        return kExitDone;
    }
    streams.out << "Status: Timed out" << std::endl;
    return kExitNoAnswer;
}

}  // namespace

int RunList(const Invocation& invocation, Streams streams)
{
    const auto length = std::chrono::milliseconds(
        static_cast<long long>(std::llround(invocation.waitSeconds * 1000)));
    if (streams.errIsTerminal)
        streams.err << "Searching for " << invocation.waitSeconds << " s..." << std::endl;
    // A search that ends before the client has asked the last of the named
    // addresses says so; the converters there would seem to be missing.
    const double askingSeconds =
        static_cast<double>(invocation.hosts.size()) / QL5_SWEEP_HOSTS_PER_SECOND;
    if (askingSeconds > invocation.waitSeconds) {
        streams.err << "ql5ctl: asking the " << invocation.hosts.size()
                    << " --host addresses takes about " << std::ceil(askingSeconds)
                    << " s; with --wait " << invocation.waitSeconds
                    << " the search ends before the last are asked\n";
    }
    const LocalInterfaces interfaces;
    const auto listedAt = std::chrono::system_clock::now();
    auto outcome = SweepFor(
        length, [&interfaces](std::uint32_t address) { return interfaces.NameOf(address); },
        invocation.hosts);
    if (const auto* failure = std::get_if<SweepFailure>(&outcome)) {
        // A list that was never searched for must not look like an empty one.
        if (failure->reason.empty() || failure->reason == QL5_STATUS_TEXT_SUCCESS) {
            streams.err << kClientUnavailable;
            return kExitInternal;
        }
        streams.err << "ql5ctl: no search took place: " << PrintableText(failure->reason) << "\n";
        return kExitLocalFailure;
    }
    SweepListing& listing = std::get<SweepListing>(outcome);
    std::vector<ConverterView>& views = listing.views;
    const std::vector<std::string> warnings = MarkConflicts(views, interfaces.Networks());
    WriteConverters(views, invocation.format, interfaces, listedAt, streams.out);
    // The table only marks a converter; the reasons go to the reader beside it.
    if (invocation.format == OutputFormat::kTable) {
        for (const std::string& warning : warnings)
            streams.err << "ql5ctl: warning: " << warning << "\n";
    }
    if (views.empty()) {
        const std::string searched = interfaces.SearchedText();
        streams.err << "ql5ctl: no converter answered within " << invocation.waitSeconds << " s on "
                    << (searched.empty() ? "no network" : searched) << "\n";
    }
    if (listing.dropped > 0) {
        streams.err << "ql5ctl: " << listing.dropped
                    << " replies were dropped: more converters answered than the "
                    << QL5_MAX_PENDING_RECORDS << " a listing holds\n";
    }
    return kExitDone;
}

int RunInfo(const Invocation& invocation, Streams streams)
{
    const auto local = ChooseLocalAddress(invocation);
    if (const auto* reason = std::get_if<std::string>(&local)) {
        streams.err << "ql5ctl: " << *reason << "\n";
        return kExitLocalFailure;
    }
    const ContextOwner context;
    if (!context) {
        streams.err << kClientUnavailable;
        return kExitInternal;
    }
    DeviceRecordExchange record;
    if (QueryDeviceAt(context.Handle(), std::get<std::uint32_t>(local), invocation.deviceAddress,
                      invocation.mac.data(), 0, &record) != 0)
        return ReportFailedQuery(context, FormatMac(invocation.mac.data()), invocation, streams);
    const ConverterView view =
        MakeConverterView(record, LocalInterfaces().NameOf(record.localAddress));
    switch (invocation.format) {
    case OutputFormat::kTable:
        streams.out << ql5common::DetailsText(record, ql5common::TextForm::kNeutralised);
        break;
    case OutputFormat::kCsv: WriteCsv(streams.out, {view}); break;
    case OutputFormat::kPrometheus:  // refused by the command line
    case OutputFormat::kJson:
        WriteConverterJson(streams.out, view);
        streams.out << '\n';
        break;
    }
    return kExitDone;
}

int RunCommand(const Invocation& invocation, Streams streams)
{
    const std::string macText = FormatMac(invocation.mac.data());
    const auto local = ChooseLocalAddress(invocation);
    if (const auto* reason = std::get_if<std::string>(&local)) {
        streams.err << "ql5ctl: " << *reason << "\n";
        return kExitLocalFailure;
    }
    const std::uint32_t localAddress = std::get<std::uint32_t>(local);
    // The password wipes itself on every way out of this function.
    auto obtained = ObtainPassword(invocation.passwordFromStdin, macText);
    if (const auto* error = std::get_if<PasswordError>(&obtained)) {
        streams.err << "ql5ctl: " << error->message << "\n";
        return kExitUsage;
    }
    Password& password = std::get<Password>(obtained);

    const ContextOwner context;
    if (!context) {
        streams.err << kClientUnavailable;
        return kExitInternal;
    }
    const CommandTarget target{invocation.command,        invocation.mac,
                               invocation.ipAddress,      invocation.subnetMask,
                               invocation.gatewayAddress, invocation.deviceAddress};
    const CommandOutcome outcome =
        CarryOutCommand(target, context.Handle(), localAddress, invocation.interface, password,
                        true, invocation.verify, streams);
    if (outcome.exitCode == kExitDone && invocation.command == Subcommand::kReboot &&
        invocation.waitForReboot)
        return WaitForReboot(context.Handle(), invocation.mac, localAddress,
                             invocation.deviceAddress, streams);
    return outcome.exitCode;
}

}  // namespace ql5ctl
