// SPDX-License-Identifier: Apache-2.0
#include "subcommands.h"

#include "exit_codes.h"
#include "listing_warnings.h"
#include "local_interfaces.h"
#include "local_route.h"
#include "password.h"
#include "sweep_listing.h"
#include <ql5common/converter_view.h>

#include <ql5common/address_text.h>
#include <ql5common/context_owner.h>
#include <ql5common/converter_text.h>
#include <ql5common/details_text.h>
#include <ql5common/reboot_wait.h>

#include <cmath>
#include <string>
#include <variant>

namespace ql5ctl {

namespace {

using ql5common::ContextOwner;
using ql5common::FormatMac;

constexpr char kClientUnavailable[] =
    "ql5ctl: the discovery client could not be started (out of resources?)\n";

// A status text as the converter sent it, safe to print.
std::string PrintableText(const std::string& raw)
{
    return ql5common::NeutralisedText(ql5common::DecodeConverterText(raw.data(), raw.size()));
}

void WriteConverters(const std::vector<ConverterView>& views, OutputFormat format,
                     std::ostream& out)
{
    switch (format) {
    case OutputFormat::kTable: WriteTable(out, views); break;
    case OutputFormat::kCsv: WriteCsv(out, views); break;
    case OutputFormat::kJson: WriteListJson(out, views); break;
    }
}

// What a command did, in the words of its success line.
const char* DoneText(Subcommand command)
{
    switch (command) {
    case Subcommand::kSetIp: return "static IP settings stored";
    case Subcommand::kDhcp: return "DHCP switched on";
    case Subcommand::kReboot: return "reboot accepted";
    default: return "done";
    }
}

std::int32_t SendCommand(const Invocation& invocation, DiscoveryHandle handle,
                         std::uint32_t localAddress, const Password& password)
{
    const std::uint8_t* mac = invocation.mac.data();
    const std::uint32_t device = invocation.deviceAddress;
    switch (invocation.command) {
    case Subcommand::kSetIp:
        return ConfigureStaticAt(handle, localAddress, device, mac, invocation.ipAddress,
                                 invocation.subnetMask, invocation.gatewayAddress, password.CStr());
    case Subcommand::kDhcp:
        // 1 switches DHCP on; there is no command to switch it off other than
        // giving static settings.
        return ConfigureDhcpAt(handle, localAddress, device, mac, 1, password.CStr());
    case Subcommand::kReboot:
        return RebootDeviceAt(handle, localAddress, device, mac, password.CStr());
    default: return -1;
    }
}

// Why a request returned -1, as the client's status text tells it.
enum class RequestFailure { kNoAnswer, kLocal, kAmbiguous, kOutcomeUnknown };

// The client's texts for the failures that ql5ctl tells apart by exit code.
constexpr char kStatusSuccess[] = "Operation Successful";
constexpr char kAmbiguousStart[] = "the MAC answered from more than one address";
constexpr char kOutcomeUnknown[] =
    "the converter's reply did not state whether it carried the command out";

RequestFailure Classify(const std::string& statusText)
{
    if (statusText == kStatusSuccess)
        return RequestFailure::kNoAnswer;
    if (statusText.rfind(kAmbiguousStart, 0) == 0)
        return RequestFailure::kAmbiguous;
    if (statusText == kOutcomeUnknown)
        return RequestFailure::kOutcomeUnknown;
    return RequestFailure::kLocal;
}

// Reports a failed query (info, and the first step of the commands): no
// answer, or the client's reason on this host. Returns the exit code.
int ReportFailedQuery(const ContextOwner& context, const std::string& macText,
                      const Invocation& invocation, Streams streams)
{
    const std::string status = context.StatusText();
    if (Classify(status) == RequestFailure::kNoAnswer) {
        streams.err << "ql5ctl: no converter with MAC " << macText << " answered within 7.5 s";
        if (!invocation.interface.empty())
            streams.err << " through " << PrintableText(invocation.interface);
        if (invocation.deviceAddress != 0)
            streams.err << " at " << ql5common::FormatDottedDecimal(invocation.deviceAddress);
        streams.err << "\n";
        return kExitNotFound;
    }
    streams.err << "ql5ctl: " << PrintableText(status) << "\n";
    return kExitLocalFailure;
}

// The local address that --interface names, 0 without it, or the reason why
// it names none. An address is taken as given: the client itself refuses one
// that is not this computer's, and says so.
std::variant<std::uint32_t, std::string> ResolveInterface(const std::string& text)
{
    if (text.empty())
        return 0u;
    if (const auto address = ql5common::ParseDottedDecimal(text))
        return *address;
    const std::vector<std::uint32_t> addresses = LocalInterfaces().AddressesOf(text);
    if (addresses.empty())
        return "no interface named '" + PrintableText(text) + "' has an IPv4 address";
    if (addresses.size() > 1) {
        std::string listed;
        for (std::uint32_t address : addresses)
            listed += (listed.empty() ? "" : ", ") + ql5common::FormatDottedDecimal(address);
        return PrintableText(text) + " has several IPv4 addresses (" + listed +
               "); give one of them with --interface";
    }
    return addresses.front();
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
    auto outcome = SweepFor(
        length, [&interfaces](std::uint32_t address) { return interfaces.NameOf(address); },
        invocation.hosts);
    if (const auto* failure = std::get_if<SweepFailure>(&outcome)) {
        // A list that was never searched for must not look like an empty one.
        if (failure->reason.empty() || failure->reason == kStatusSuccess) {
            streams.err << kClientUnavailable;
            return kExitInternal;
        }
        streams.err << "ql5ctl: no search took place: " << PrintableText(failure->reason) << "\n";
        return kExitLocalFailure;
    }
    SweepListing& listing = std::get<SweepListing>(outcome);
    std::vector<ConverterView>& views = listing.views;
    const std::vector<std::string> warnings = MarkConflicts(views, interfaces.Networks());
    WriteConverters(views, invocation.format, streams.out);
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
    const Password& password = std::get<Password>(obtained);

    const ContextOwner context;
    if (!context) {
        streams.err << kClientUnavailable;
        return kExitInternal;
    }

    // Asking first tells a converter that is not there (exit 4) from one that
    // is there but does not answer the command (exit 3). It costs one short
    // exchange when the converter answers.
    DeviceRecordExchange found;
    if (QueryDeviceAt(context.Handle(), localAddress, invocation.deviceAddress,
                      invocation.mac.data(), 0, &found) != 0)
        return ReportFailedQuery(context, macText, invocation, streams);

    const std::int32_t result = SendCommand(invocation, context.Handle(), localAddress, password);
    const std::string message = PrintableText(context.StatusText());
    if (result < 0) {
        switch (Classify(context.StatusText())) {
        case RequestFailure::kNoAnswer:
            streams.err << "ql5ctl: " << macText
                        << " did not answer the command within the time limit (7.5 s)\n";
            return kExitNoAnswer;
        case RequestFailure::kAmbiguous:
            streams.err << "ql5ctl: " << macText << ": " << message
                        << "\nql5ctl: choose the network with --interface NAME|ADDRESS (an "
                           "interface name such as eth1, or one of the local addresses above)\n";
            return kExitAmbiguous;
        case RequestFailure::kOutcomeUnknown:
            streams.err << "ql5ctl: " << macText << ": " << message
                        << "; check with 'ql5ctl info' what it did\n";
            return kExitOutcomeUnknown;
        case RequestFailure::kLocal:
            streams.err << "ql5ctl: " << message << "\n";
            return kExitLocalFailure;
        }
    }
    if (result != 0) {
        streams.err << "ql5ctl: " << macText << " refused the command (result " << result
                    << ")\nError Number: " << context.StatusCode() << "\nError Message: " << message
                    << "\n";
        return kExitRefused;
    }

    streams.out << macText << ": " << DoneText(invocation.command);
    if (!message.empty())
        streams.out << " (" << message << ")";
    streams.out << std::endl;
    if (invocation.command == Subcommand::kReboot && invocation.waitForReboot)
        return WaitForReboot(context.Handle(), invocation.mac, localAddress,
                             invocation.deviceAddress, streams);
    return kExitDone;
}

}  // namespace ql5ctl
