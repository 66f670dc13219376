// The requests of the public interface: the addressed query and the three
// password-carrying commands.
#include "context.h"
#include "device_requests.h"
#include "packet_format.h"

#include <cstring>

using namespace ql5;

namespace {

// A command's work once its arguments have passed: choose the interface, send
// the encoded request, and put the device's answer into the status, or the
// cause of a failure on this host.
int32_t RunCommand(DiscoveryContext* context, const uint8_t* mac, const RequestBuffer& request,
                   std::size_t length, uint16_t replyType)
{
    std::uint32_t localAddress = 0;
    Status status = SelectInterface(context, mac, &localAddress);
    int32_t result = -1;
    if (status) {
        DeviceRecord record;
        status =
            InitDeviceRecord(context, &record)
                ? ExchangeRequest(context, localAddress, replyType, mac, request, length, &record)
                : Status::Failed(Failure::kOutOfMemory);
        if (status) {
            SetStatus(context, record.errorCode, record.resultMessage);
            result = record.resultFlag;
        }
        ReleaseDeviceRecord(&record);
    }
    ReportFailure(context, status);
    return result;
}

// The checks every command makes before it touches the status. A password that
// does not fit the request's length byte is refused here, before anything is
// reset or sent.
DiscoveryContext* AcceptCommand(DiscoveryHandle handle, const uint8_t* mac, const char* password)
{
    if (!IsLiveContext(handle) || mac == nullptr || !PasswordFits(password))
        return nullptr;
    DiscoveryContext* context = ResolveContext(handle);
    if (context != nullptr)
        SetStatus(context, 0, kStatusSuccess);
    return context;
}

}  // namespace

extern "C" {

int32_t QueryDevice(DiscoveryHandle handle, const uint8_t macAddress[6],
                    DeviceRecordExchange* output)
{
    if (!IsLiveContext(handle) || macAddress == nullptr || output == nullptr)
        return -1;
    DiscoveryContext* context = ResolveContext(handle);
    if (context == nullptr)
        return -1;
    SetStatus(context, 0, kStatusSuccess);
    DeviceRecord record;
    const Status located = InitDeviceRecord(context, &record)
                               ? LocateDevice(context, macAddress, &record)
                               : Status::Failed(Failure::kOutOfMemory);
    if (located)
        std::memcpy(output, &record.exchange, sizeof *output);
    ReleaseDeviceRecord(&record);
    ReportFailure(context, located);
    return located ? 0 : -1;
}

int32_t RebootDevice(DiscoveryHandle handle, const uint8_t macAddress[6], const char* password)
{
    DiscoveryContext* context = AcceptCommand(handle, macAddress, password);
    if (context == nullptr)
        return -1;
    RequestBuffer request;
    const std::size_t length =
        EncodeRebootRequest(request, context->protocolMagic, macAddress, password);
    return RunCommand(context, macAddress, request, length, kRebootReply);
}

int32_t ConfigureStatic(DiscoveryHandle handle, const uint8_t macAddress[6], uint32_t ipAddress,
                        uint32_t subnetMask, uint32_t gatewayAddress, const char* password)
{
    DiscoveryContext* context = AcceptCommand(handle, macAddress, password);
    if (context == nullptr)
        return -1;
    RequestBuffer request;
    const std::size_t length =
        EncodeConfigureStaticRequest(request, context->protocolMagic, macAddress, ipAddress,
                                     subnetMask, gatewayAddress, password);
    return RunCommand(context, macAddress, request, length, kConfigureStaticReply);
}

int32_t ConfigureDhcp(DiscoveryHandle handle, const uint8_t macAddress[6], uint32_t dhcpSetting,
                      const char* password)
{
    DiscoveryContext* context = AcceptCommand(handle, macAddress, password);
    if (context == nullptr)
        return -1;
    RequestBuffer request;
    const std::size_t length = EncodeConfigureDhcpRequest(request, context->protocolMagic,
                                                          macAddress, dhcpSetting, password);
    return RunCommand(context, macAddress, request, length, kConfigureDhcpReply);
}

}  // extern "C"
