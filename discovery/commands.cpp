// SPDX-License-Identifier: Apache-2.0
// The requests of the public interface: the addressed query and the three
// password-carrying commands, each in a plain form and in an `At` form that
// names the local address (and, optionally, the device's own address).
#include "context.h"
#include "device_requests.h"
#include "interface_sockets.h"
#include "packet_format.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace ql5;

namespace {

// Puts the outcome of a failed command into the status: for an ambiguous
// answer, the local addresses the caller may choose from.
void ReportCommandFailure(DiscoveryContext* context, const Status& status,
                          const std::vector<std::uint32_t>& answeredOn)
{
    if (status.What() != Failure::kAmbiguous) {
        ReportFailure(context, status);
        return;
    }
    char text[sizeof context->status.statusText];
    DescribeAmbiguity(answeredOn.data(), answeredOn.size(), text, sizeof text);
    SetStatus(context, 0, text);
}

// Whether the context has located this MAC already, reachable through the
// route's local address (0 takes it wherever it was located).
bool IsLocated(const DiscoveryContext* context, const Route& route, const uint8_t* mac)
{
    const LocatedDevice& located = context->located;
    return located.known && std::memcmp(located.mac, mac, sizeof located.mac) == 0 &&
           (route.localAddress == 0 || route.localAddress == located.localAddress);
}

// Locates the device with the window and the rule against impostors, on
// whatever route the caller gave, and remembers where it answers.
Status LocateAndRemember(DiscoveryContext* context, const Route& route, const uint8_t* mac,
                         Deadline::Clock::duration limit, DeviceRecord* record,
                         std::vector<std::uint32_t>* answeredOn)
{
    Location where;
    const Status status =
        LocateDevice(context, route, mac, limit, true, AcceptedSources{}, record, &where);
    if (!status) {
        *answeredOn = std::move(where.answeredOn);
        return status;
    }
    LocatedDevice& located = context->located;
    located = LocatedDevice{};
    located.known = true;
    std::memcpy(located.mac, mac, sizeof located.mac);
    located.localAddress = where.chosen.localAddress;
    located.sources.first = where.chosen.sourceAddress;
    return status;
}

// After a change the converter accepted, its answers may come from where its
// new settings put it: the new static address, or for DHCP any address of
// the local network it was located on.
void FollowChange(DiscoveryContext* context, uint32_t newAddress, bool dhcp)
{
    AcceptedSources& sources = context->located.sources;
    if (newAddress != 0)
        sources.second = newAddress;
    if (!dhcp)
        return;
    std::vector<LocalSubnet> subnets;
    if (!ListLocalSubnets(context, subnets))
        return;
    for (const LocalSubnet& subnet : subnets) {
        if (subnet.address == context->located.localAddress)
            sources.subnet = subnet;
    }
}

// A command's work once its arguments have passed: find where the device
// answers (or take where the context has located it already), send the
// encoded request from there, and put the device's answer into the status, or
// the cause of a failure.
int32_t RunCommand(DiscoveryContext* context, const Route& route, const uint8_t* mac,
                   const RequestBuffer& request, std::size_t length, uint16_t replyType,
                   uint32_t newAddress = 0)
{
    std::vector<std::uint32_t> answeredOn;
    Status status;
    DeviceRecord record;
    if (!InitDeviceRecord(context, &record))
        status = Status::Failed(Failure::kOutOfMemory);
    else if (!IsLocated(context, route, mac))
        status =
            LocateAndRemember(context, route, mac, RequestTimeLimit(context), &record, &answeredOn);
    if (status) {
        ResetDeviceRecord(context, &record);
        const LocatedDevice located = context->located;
        status = ExchangeRequest(context, Route{located.localAddress, route.deviceAddress},
                                 located.sources, replyType, mac, request, length, &record);
    }
    int32_t result = -1;
    // Only a reply that carries the result says whether the device carried
    // the command out; any host that saw the request could send one without.
    if (status && (record.resultPresenceFlags & kHasResultFlag) == 0)
        status = Status::Failed(Failure::kNoOutcome);
    if (status) {
        SetStatus(context, record.errorCode, record.resultMessage);
        context->lastReplySource = record.sourceAddress;
        context->lastReplyLocal = record.exchange.localAddress;
        result = record.resultFlag;
        if (result == 0)
            FollowChange(context, newAddress, replyType == kConfigureDhcpReply);
    }
    ReleaseDeviceRecord(&record);
    if (!status)
        ReportCommandFailure(context, status, answeredOn);
    return result;
}

// The checks every request makes of the route: a device address needs the
// local address it is reached through.
bool RouteAccepted(uint32_t localAddress, uint32_t deviceAddress)
{
    return deviceAddress == 0 || localAddress != 0;
}

// The checks every command makes before it touches the status. A password that
// does not fit the request's length byte is refused here, before anything is
// reset or sent.
DiscoveryContext* AcceptCommand(DiscoveryHandle handle, const Route& route, const uint8_t* mac,
                                const char* password)
{
    if (!IsLiveContext(handle) || mac == nullptr ||
        !RouteAccepted(route.localAddress, route.deviceAddress) || !PasswordFits(password))
        return nullptr;
    DiscoveryContext* context = ResolveContext(handle);
    if (context != nullptr) {
        SetStatus(context, 0, kStatusSuccess);
        context->lastReplySource = 0;
    }
    return context;
}

// The reply window of a query: the standard time limit, or the caller's when
// it is shorter (0 asks for the standard one).
Deadline::Clock::duration QueryTimeLimit(const DiscoveryContext* context,
                                         uint32_t timeoutMilliseconds)
{
    const auto standard = RequestTimeLimit(context);
    if (timeoutMilliseconds == 0)
        return standard;
    return std::min<Deadline::Clock::duration>(standard,
                                               std::chrono::milliseconds(timeoutMilliseconds));
}

}  // namespace

extern "C" {

int32_t QueryDeviceAt(DiscoveryHandle handle, uint32_t localAddress, uint32_t deviceAddress,
                      const uint8_t macAddress[6], uint32_t timeoutMilliseconds,
                      DeviceRecordExchange* output)
{
    if (!IsLiveContext(handle) || macAddress == nullptr ||
        !RouteAccepted(localAddress, deviceAddress) || output == nullptr)
        return -1;
    DiscoveryContext* context = ResolveContext(handle);
    if (context == nullptr)
        return -1;
    SetStatus(context, 0, kStatusSuccess);
    context->lastReplySource = 0;
    const Route route{localAddress, deviceAddress};
    const auto limit = QueryTimeLimit(context, timeoutMilliseconds);
    DeviceRecord record;
    std::vector<std::uint32_t> answeredOn;
    Status located = Status::Failed(Failure::kOutOfMemory);
    if (InitDeviceRecord(context, &record)) {
        if (IsLocated(context, route, macAddress)) {
            // Located already: only its sources count, and the first answer
            // is the one, so that following a change costs no window.
            Location where;
            located =
                LocateDevice(context, Route{context->located.localAddress, deviceAddress},
                             macAddress, limit, false, context->located.sources, &record, &where);
        } else {
            located = LocateAndRemember(context, route, macAddress, limit, &record, &answeredOn);
        }
    }
    if (located) {
        std::memcpy(output, &record.exchange, sizeof *output);
        context->lastReplySource = record.sourceAddress;
        context->lastReplyLocal = record.exchange.localAddress;
    }
    ReleaseDeviceRecord(&record);
    if (!located)
        ReportCommandFailure(context, located, answeredOn);
    return located ? 0 : -1;
}

int32_t QueryDevice(DiscoveryHandle handle, const uint8_t macAddress[6],
                    DeviceRecordExchange* output)
{
    return QueryDeviceAt(handle, 0, 0, macAddress, 0, output);
}

int32_t RebootDeviceAt(DiscoveryHandle handle, uint32_t localAddress, uint32_t deviceAddress,
                       const uint8_t macAddress[6], const char* password)
{
    const Route route{localAddress, deviceAddress};
    DiscoveryContext* context = AcceptCommand(handle, route, macAddress, password);
    if (context == nullptr)
        return -1;
    RequestBuffer request;
    const std::size_t length =
        EncodeRebootRequest(request, context->protocolMagic, macAddress, password);
    return RunCommand(context, route, macAddress, request, length, kRebootReply);
}

int32_t RebootDevice(DiscoveryHandle handle, const uint8_t macAddress[6], const char* password)
{
    return RebootDeviceAt(handle, 0, 0, macAddress, password);
}

int32_t ConfigureStaticAt(DiscoveryHandle handle, uint32_t localAddress, uint32_t deviceAddress,
                          const uint8_t macAddress[6], uint32_t ipAddress, uint32_t subnetMask,
                          uint32_t gatewayAddress, const char* password)
{
    const Route route{localAddress, deviceAddress};
    DiscoveryContext* context = AcceptCommand(handle, route, macAddress, password);
    if (context == nullptr)
        return -1;
    RequestBuffer request;
    const std::size_t length =
        EncodeConfigureStaticRequest(request, context->protocolMagic, macAddress, ipAddress,
                                     subnetMask, gatewayAddress, password);
    return RunCommand(context, route, macAddress, request, length, kConfigureStaticReply,
                      ipAddress);
}

int32_t ConfigureStatic(DiscoveryHandle handle, const uint8_t macAddress[6], uint32_t ipAddress,
                        uint32_t subnetMask, uint32_t gatewayAddress, const char* password)
{
    return ConfigureStaticAt(handle, 0, 0, macAddress, ipAddress, subnetMask, gatewayAddress,
                             password);
}

int32_t ConfigureDhcpAt(DiscoveryHandle handle, uint32_t localAddress, uint32_t deviceAddress,
                        const uint8_t macAddress[6], uint32_t dhcpSetting, const char* password)
{
    const Route route{localAddress, deviceAddress};
    DiscoveryContext* context = AcceptCommand(handle, route, macAddress, password);
    if (context == nullptr)
        return -1;
    RequestBuffer request;
    const std::size_t length = EncodeConfigureDhcpRequest(request, context->protocolMagic,
                                                          macAddress, dhcpSetting, password);
    return RunCommand(context, route, macAddress, request, length, kConfigureDhcpReply);
}

int32_t ConfigureDhcp(DiscoveryHandle handle, const uint8_t macAddress[6], uint32_t dhcpSetting,
                      const char* password)
{
    return ConfigureDhcpAt(handle, 0, 0, macAddress, dhcpSetting, password);
}

}  // extern "C"

extern "C" {

int32_t SetDeviceSource(DiscoveryHandle handle, const uint8_t macAddress[6], uint32_t localAddress,
                        uint32_t sourceAddress)
{
    if (!IsLiveContext(handle) || macAddress == nullptr || IsBroadcastMac(macAddress) ||
        (sourceAddress != 0 && localAddress == 0))
        return -1;
    DiscoveryContext* context = ResolveContext(handle);
    if (context == nullptr)
        return -1;
    LocatedDevice& located = context->located;
    located = LocatedDevice{};
    if (sourceAddress == 0)
        return 0;
    located.known = true;
    std::memcpy(located.mac, macAddress, sizeof located.mac);
    located.localAddress = localAddress;
    located.sources.first = sourceAddress;
    return 0;
}

int32_t GetReplySource(DiscoveryHandle handle, uint32_t* localAddress, uint32_t* sourceAddress)
{
    if (!IsLiveContext(handle) || localAddress == nullptr || sourceAddress == nullptr)
        return -1;
    const DiscoveryContext* context = ResolveContext(handle);
    if (context == nullptr)
        return -1;
    *localAddress = context->lastReplySource != 0 ? context->lastReplyLocal : 0;
    *sourceAddress = context->lastReplySource;
    return 0;
}

}  // extern "C"
