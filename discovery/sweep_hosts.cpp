// SPDX-License-Identifier: Apache-2.0
#include "sweep_hosts.h"

#include "context.h"

#include <algorithm>
#include <new>
#include <unordered_set>
#include <utility>

namespace ql5 {

namespace {

// 0.0.0.0 names no host; 224.0.0.0 and above are the multicast and reserved
// ranges and the limited broadcast, none of which a unicast request may go to.
bool IsHostAddress(std::uint32_t networkOrder)
{
    const std::uint8_t firstOctet = reinterpret_cast<const std::uint8_t*>(&networkOrder)[0];
    return networkOrder != 0 && firstOctet < 224;
}

}  // namespace

HostSweep::HostSweep(const DiscoveryContext* context, const InterfaceSocketSet& sockets,
                     std::shared_ptr<const SweepHostList> hosts)
    : context_(context),
      sockets_(sockets),
      hosts_(std::move(hosts)),
      length_(EncodeDiscoveryRequest(request_, context->protocolMagic, BroadcastMac)),
      start_(std::chrono::steady_clock::now())
{
    // Without a probe no host can be matched to its socket; the sweep then
    // listens to the multicast replies alone.
    if (!Done() && !context_->sockets->OpenProbe(&probe_))
        hosts_.reset();
}

HostSweep::~HostSweep()
{
    if (probe_ != platform::kInvalidSocket)
        context_->sockets->Close(probe_);
}

bool HostSweep::Done() const noexcept
{
    return hosts_ == nullptr || next_ >= hosts_->size();
}

void HostSweep::SendDue()
{
    if (Done())
        return;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start_);
    const std::size_t paced =
        kSweepHostBurst + static_cast<std::size_t>(elapsed.count()) * kSweepHostsPerSecond / 1000;
    const std::size_t due = std::min({paced, hosts_->size(), next_ + kSweepHostBurst});
    for (; next_ < due; ++next_)
        SendTo((*hosts_)[next_]);
}

// The request leaves from the socket of the local address that the routing
// picks for the host, so that it carries that address as its source, the
// converter's reply comes back to that socket, and the record says through
// which local address the converter was reached. A host that no route
// reaches, or only through an address the sweep does not listen on (a
// loopback address, one whose socket could not be opened), is skipped.
void HostSweep::SendTo(std::uint32_t host)
{
    std::uint32_t local = 0;
    if (!context_->sockets->RouteSource(probe_, host, context_->groupPort, &local))
        return;
    const std::vector<std::uint32_t>& addresses = sockets_.Addresses();
    const auto found = std::find(addresses.begin(), addresses.end(), local);
    if (found == addresses.end())
        return;
    const auto index = static_cast<std::uint32_t>(found - addresses.begin());
    // A send that fails (a full send buffer, a host the system refuses to
    // send to) loses that one request, as a lost datagram would.
    static_cast<void>(context_->sockets->Send(sockets_.Socket(index), request_, length_, host,
                                              context_->groupPort));
}

}  // namespace ql5

using namespace ql5;

extern "C" {

int32_t SetSweepHosts(DiscoveryHandle handle, const uint32_t* addresses, uint32_t count)
{
    if (!IsLiveContext(handle) || count > QL5_MAX_SWEEP_HOSTS ||
        (count > 0 && addresses == nullptr))
        return -1;
    if (!std::all_of(addresses, addresses + count, IsHostAddress))
        return -1;
    DiscoveryContext* context = ResolveContext(handle);
    if (context == nullptr)
        return -1;
    if (count == 0) {
        context->sweepHosts.reset();
        return 0;
    }
    try {
        auto hosts = std::make_shared<SweepHostList>();
        hosts->reserve(count);
        std::unordered_set<std::uint32_t> seen(count);
        for (uint32_t i = 0; i < count; ++i) {
            if (seen.insert(addresses[i]).second)
                hosts->push_back(addresses[i]);
        }
        context->sweepHosts = std::move(hosts);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return 0;
}

}  // extern "C"
