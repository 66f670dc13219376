// SPDX-License-Identifier: Apache-2.0
#include "configure_command.h"

#include "exit_codes.h"
#include "local_interfaces.h"

#include <ql5/discovery.h>
#include <ql5common/change_verify.h>
#include <ql5common/context_owner.h>
#include <ql5common/converter_text.h>
#include <ql5common/details_text.h>

namespace ql5ctl {

namespace {

using ql5common::FormatDottedDecimal;

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

std::int32_t SendCommand(const CommandTarget& target, DiscoveryHandle handle,
                         std::uint32_t localAddress, const Password& password)
{
    const std::uint8_t* mac = target.mac.data();
    switch (target.command) {
    case Subcommand::kSetIp:
        return ConfigureStaticAt(handle, localAddress, target.deviceAddress, mac, target.ipAddress,
                                 target.subnetMask, target.gatewayAddress, password.CStr());
    case Subcommand::kDhcp:
        // 1 switches DHCP on; there is no command to switch it off other than
        // giving static settings.
        return ConfigureDhcpAt(handle, localAddress, target.deviceAddress, mac, 1, password.CStr());
    case Subcommand::kReboot:
        return RebootDeviceAt(handle, localAddress, target.deviceAddress, mac, password.CStr());
    default: return -1;
    }
}

// Why a request returned -1, as the client's status text tells it.
enum class RequestFailure { kNoAnswer, kLocal, kAmbiguous, kOutcomeUnknown };

// The client's texts for the failures that ql5ctl tells apart by exit code.
constexpr char kAmbiguousStart[] = "the MAC answered from more than one address";
constexpr char kOutcomeUnknown[] =
    "the converter's reply did not state whether it carried the command out";

RequestFailure Classify(const std::string& statusText)
{
    if (statusText == QL5_STATUS_TEXT_SUCCESS)
        return RequestFailure::kNoAnswer;
    if (statusText.rfind(kAmbiguousStart, 0) == 0)
        return RequestFailure::kAmbiguous;
    if (statusText == kOutcomeUnknown)
        return RequestFailure::kOutcomeUnknown;
    return RequestFailure::kLocal;
}

std::string SettingsText(const DeviceRecordExchange& record)
{
    const auto dhcp = ql5common::DhcpEnabled(record);
    return "IP " + FormatDottedDecimal(record.ipAddress) + ", mask " +
           FormatDottedDecimal(record.subnetMask) + ", gateway " +
           FormatDottedDecimal(record.gatewayAddress) + ", DHCP " + ql5common::DhcpModeText(dhcp);
}

// The refusal of a MAC that answered from more than one source, on every
// path: nothing that carries the password was sent.
CommandOutcome Ambiguous(const std::string& macText, const std::string& message, Streams streams)
{
    streams.err << "ql5ctl: " << macText << ": " << message
                << "\nql5ctl: another host may be answering for it; choose the network with "
                   "--interface NAME|ADDRESS (an interface name such as eth1, or one of the local "
                   "addresses above), or the converter's own address with --host\n";
    return {kExitAmbiguous, "ambiguous: nothing sent"};
}

// Follows the converter after an accepted change and says what it saw.
CommandOutcome Verify(const CommandTarget& target, DiscoveryHandle handle,
                      std::uint32_t localAddress, VerifyMode verify, const std::string& macText,
                      Streams streams)
{
    if (streams.errIsTerminal)
        streams.err << "Verifying (up to " << ql5common::kVerifyLimit.count() << " s)..."
                    << std::endl;
    ql5common::ExpectedSettings expected;
    expected.dhcp = target.command == Subcommand::kDhcp;
    expected.ip = target.ipAddress;
    expected.mask = target.subnetMask;
    expected.gateway = target.gatewayAddress;
    DeviceRecordExchange last{};
    const auto outcome =
        ql5common::VerifyChange(handle, localAddress, target.deviceAddress, target.mac.data(),
                                expected, ql5common::kVerifyLimit, &last);
    const int notConfirmed = verify == VerifyMode::kStrict ? kExitNotConfirmed : kExitDone;
    switch (outcome) {
    case ql5common::VerifyOutcome::kConfirmed:
        streams.out << macText << ": confirmed: it reports " << SettingsText(last) << std::endl;
        return {kExitDone, "confirmed", localAddress};
    case ql5common::VerifyOutcome::kOldSettings:
        streams.err << "ql5ctl: " << macText << ": not confirmed: after "
                    << ql5common::kVerifyLimit.count() << " s it still reports "
                    << SettingsText(last)
                    << "; some converters apply a change only after a reboot (ql5ctl reboot "
                    << macText << " --wait)\n";
        return {notConfirmed, "not confirmed: old settings", localAddress};
    case ql5common::VerifyOutcome::kNoAnswer:
        streams.err << "ql5ctl: " << macText << ": not confirmed: no answer within "
                    << ql5common::kVerifyLimit.count() << " s after the change\n";
        return {notConfirmed, "not confirmed: no answer", localAddress};
    }
    return {kExitInternal, "internal error", localAddress};
}

}  // namespace

std::string PrintableText(const std::string& raw)
{
    return ql5common::NeutralisedText(ql5common::DecodeConverterText(raw.data(), raw.size()));
}

CommandOutcome CarryOutCommand(const CommandTarget& target, DiscoveryHandle handle,
                               std::uint32_t localAddress, const std::string& interfaceText,
                               Password& password, bool lastUse, VerifyMode verify, Streams streams)
{
    const std::string macText = ql5common::FormatMac(target.mac.data());
    const auto statusText = [handle] {
        char text[256] = {};
        GetStatusText(handle, text, sizeof text);
        return std::string(text);
    };

    // Asking first tells a converter that is not there (exit 4) from one that
    // is there but does not answer the command (exit 3). It locates the
    // converter with the client's window and refusal of a second source, on
    // every path; the command and the confirmation then go to where it was
    // located, and count only its answers. (A plan has located its
    // converters in its own search, and the client then asks at once.)
    DeviceRecordExchange found;
    if (QueryDeviceAt(handle, localAddress, target.deviceAddress, target.mac.data(), 0, &found) !=
        0) {
        const std::string status = statusText();
        if (Classify(status) == RequestFailure::kAmbiguous)
            return Ambiguous(macText, PrintableText(status), streams);
        if (Classify(status) == RequestFailure::kNoAnswer) {
            streams.err << "ql5ctl: no converter with MAC " << macText << " answered within 7.5 s";
            if (!interfaceText.empty())
                streams.err << " through " << PrintableText(interfaceText);
            streams.err << "\n";
            return {kExitNotFound, "not found"};
        }
        streams.err << "ql5ctl: " << PrintableText(status) << "\n";
        return {kExitLocalFailure, "local failure: " + PrintableText(status)};
    }

    const std::int32_t result = SendCommand(target, handle, localAddress, password);
    if (lastUse)
        password.Wipe();
    const std::string message = PrintableText(statusText());
    if (result < 0) {
        switch (Classify(statusText())) {
        case RequestFailure::kNoAnswer:
            streams.err << "ql5ctl: " << macText
                        << " did not answer the command within the time limit (7.5 s)\n";
            return {kExitNoAnswer, "no answer", found.localAddress};
        case RequestFailure::kAmbiguous: return Ambiguous(macText, message, streams);
        case RequestFailure::kOutcomeUnknown:
            streams.err << "ql5ctl: " << macText << ": " << message
                        << "; check with 'ql5ctl info' what it did\n";
            return {kExitOutcomeUnknown, "outcome unknown", found.localAddress};
        case RequestFailure::kLocal:
            streams.err << "ql5ctl: " << message << "\n";
            return {kExitLocalFailure, "local failure: " + message, found.localAddress};
        }
    }
    if (result != 0) {
        streams.err << "ql5ctl: " << macText << " refused the command (result " << result
                    << ")\nError Number: " << GetStatusCode(handle)
                    << "\nError Message: " << message << "\n";
        return {kExitRefused, "refused: " + message, found.localAddress};
    }

    streams.out << macText << ": " << DoneText(target.command);
    if (!message.empty())
        streams.out << " (" << message << ")";
    streams.out << std::endl;
    // The converter answered the query on found.localAddress; the command
    // went out there too, and the confirmation listens there.
    const bool changesSettings =
        target.command == Subcommand::kSetIp || target.command == Subcommand::kDhcp;
    if (verify != VerifyMode::kOff && changesSettings)
        return Verify(target, handle, found.localAddress, verify, macText, streams);
    return {kExitDone, "done", found.localAddress};
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

}  // namespace ql5ctl
