#include "subcommands.h"

#include "converter_view.h"
#include "exit_codes.h"
#include "local_interfaces.h"
#include "password.h"
#include "sweep_listing.h"

#include <ql5common/address_text.h>
#include <ql5common/context_owner.h>
#include <ql5common/converter_text.h>
#include <ql5common/details_text.h>
#include <ql5common/reboot_wait.h>

#include <cmath>
#include <string>
#include <thread>
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
                         const std::string& password)
{
    const std::uint8_t* mac = invocation.mac.data();
    switch (invocation.command) {
    case Subcommand::kSetIp:
        return ConfigureStatic(handle, mac, invocation.ipAddress, invocation.subnetMask,
                               invocation.gatewayAddress, password.c_str());
    case Subcommand::kDhcp:
        // 1 switches DHCP on; there is no command to switch it off other than
        // giving static settings.
        return ConfigureDhcp(handle, mac, 1, password.c_str());
    case Subcommand::kReboot: return RebootDevice(handle, mac, password.c_str());
    default: return -1;
    }
}

int WaitForReboot(DiscoveryHandle handle, const ql5common::MacAddress& mac, Streams streams)
{
    streams.out << "Status: Rebooting" << std::endl;
    // The same wait, with the same bound, as QL5Config's reboot window.
    ql5common::RebootWait wait;
    if (ql5common::WaitUntilBack(wait, handle, mac.data(), 0) == ql5common::RebootOutcome::kReady) {
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
    const auto records = SweepFor(length);
    if (!records) {
        streams.err << kClientUnavailable;
        return kExitInternal;
    }

    const LocalInterfaces interfaces;
    std::vector<ConverterView> views;
    views.reserve(records->size());
    for (const DeviceRecordExchange& record : *records)
        views.push_back(MakeConverterView(record, interfaces.NameOf(record.localAddress)));
    WriteConverters(views, invocation.format, streams.out);
    if (views.empty() && invocation.format == OutputFormat::kTable)
        streams.err << "ql5ctl: no converter answered within " << invocation.waitSeconds << " s\n";
    return kExitDone;
}

int RunInfo(const Invocation& invocation, Streams streams)
{
    const ContextOwner context;
    if (!context) {
        streams.err << kClientUnavailable;
        return kExitInternal;
    }
    DeviceRecordExchange record;
    if (QueryDevice(context.Handle(), invocation.mac.data(), &record) != 0) {
        streams.err << "ql5ctl: no converter with MAC " << FormatMac(invocation.mac.data())
                    << " answered within 7.5 s\n";
        return kExitNotFound;
    }
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
    auto obtained = ObtainPassword(invocation.passwordFromStdin, macText);
    if (const auto* error = std::get_if<PasswordError>(&obtained)) {
        streams.err << "ql5ctl: " << error->message << "\n";
        return kExitUsage;
    }
    std::string password = std::move(std::get<std::string>(obtained));

    const ContextOwner context;
    if (!context) {
        WipePassword(password);
        streams.err << kClientUnavailable;
        return kExitInternal;
    }

    // Asking first tells a converter that is not there (exit 4) from one that
    // is there but does not answer the command (exit 3). It costs one short
    // exchange when the converter answers.
    DeviceRecordExchange found;
    if (QueryDevice(context.Handle(), invocation.mac.data(), &found) != 0) {
        WipePassword(password);
        streams.err << "ql5ctl: no converter with MAC " << macText << " answered within 7.5 s\n";
        return kExitNotFound;
    }

    const std::int32_t result = SendCommand(invocation, context.Handle(), password);
    WipePassword(password);
    if (result < 0) {
        streams.err << "ql5ctl: " << macText
                    << " did not answer the command within the time limit (7.5 s)\n";
        return kExitNoAnswer;
    }
    const std::string message = PrintableText(context.StatusText());
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
        return WaitForReboot(context.Handle(), invocation.mac, streams);
    return kExitDone;
}

}  // namespace ql5ctl
