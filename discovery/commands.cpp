// SPDX-License-Identifier: Apache-2.0
// The requests of the public interface: the addressed query and the three
// password-carrying commands, each in a plain form and in an `At` form that
// names the local address (and, optionally, the device's own address).
#include "context.h"
#include "device_requests.h"
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

// A command's work once its arguments have passed: find where the device
// answers, send the encoded request from there, and put the device's answer
// into the status, or the cause of a failure.
int32_t RunCommand(DiscoveryContext* context, const Route& route, const uint8_t* mac,
                   const RequestBuffer& request, std::size_t length, uint16_t replyType)
{
    Sighting chosen;
    std::vector<std::uint32_t> answeredOn;
    Status status;
    DeviceRecord record;
    if (!InitDeviceRecord(context, &record)) {
        status = Status::Failed(Failure::kOutOfMemory);
    } else if (route.localAddress == 0) {
        status = SelectInterface(context, mac, &chosen, &answeredOn);
    } else {
        // Located first even on the one address given, so that the command's
        // reply can be held to the address that answered.
        status = LocateDevice(context, route, mac, RequestTimeLimit(context), &record, &chosen);
    }
    if (status) {
        ResetDeviceRecord(context, &record);
        status = ExchangeRequest(context, Route{chosen.localAddress, route.deviceAddress},
                                 chosen.sourceAddress, replyType, mac, request, length, &record);
    }
    int32_t result = -1;
    // Only a reply that carries the result says whether the device carried
    // the command out; any host that saw the request could send one without.
    if (status && (record.resultPresenceFlags & kHasResultFlag) == 0)
        status = Status::Failed(Failure::kNoOutcome);
    if (status) {
        SetStatus(context, record.errorCode, record.resultMessage);
        result = record.resultFlag;
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
    if (context != nullptr)
        SetStatus(context, 0, kStatusSuccess);
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
    DeviceRecord record;
    const Status located =
        InitDeviceRecord(context, &record)
            ? LocateDevice(context, Route{localAddress, deviceAddress}, macAddress,
                           QueryTimeLimit(context, timeoutMilliseconds), &record)
            : Status::Failed(Failure::kOutOfMemory);
    if (located)
        std::memcpy(output, &record.exchange, sizeof *output);
    ReleaseDeviceRecord(&record);
    ReportFailure(context, located);
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
    return RunCommand(context, route, macAddress, request, length, kConfigureStaticReply);
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
