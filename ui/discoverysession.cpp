// SPDX-License-Identifier: Apache-2.0
#include "discoverysession.h"

#include "converterwarnings.h"
#include "recordtext.h"
#include "sweephosts.h"
#include "sweepnotifier.h"

#include <QTimer>

#include <algorithm>

namespace ql5config {

namespace {

// How many records one read takes from the reply queue. The queue can hold
// tens of thousands; reading them in slices keeps the buffer small.
constexpr std::size_t kRecordsPerRead = 256;

// The local addresses that the running sweep listens on: those whose
// socket the client could open.
QList<std::uint32_t> sweepAddresses(DiscoveryHandle context)
{
    const std::int32_t count = GetSweepAddresses(context, nullptr, 0);
    if (count <= 0)
        return {};
    QList<std::uint32_t> addresses(count);
    const std::int32_t copied =
        GetSweepAddresses(context, addresses.data(), static_cast<std::uint32_t>(count));
    addresses.resize(std::clamp(copied, 0, count));
    return addresses;
}

}  // namespace

DiscoverySession::DiscoverySession(QObject* parent)
    : QObject(parent),
      context_(OpenContext(QL5_PROTOCOL_MAGIC)),
      notifier_(new SweepNotifier(this)),
      buffer_(kRecordsPerRead),
      sources_(kRecordsPerRead)
{
    connect(notifier_, &SweepNotifier::repliesWaiting, this, &DiscoverySession::read);
}

DiscoverySession::~DiscoverySession()
{
    // The sweep has ended when StopDiscovery returns, so nothing is posted to
    // the notifier any more when it goes with the session's children.
    StopDiscovery(context_);
    CloseContext(context_);
}

void DiscoverySession::refresh()
{
    StopDiscovery(context_);
    const int sweep = ++sweep_;
    QTimer::singleShot(0, this, [this, sweep] { start(sweep); });
}

void DiscoverySession::stop()
{
    StopDiscovery(context_);
    ++sweep_;
}

qint64 DiscoverySession::droppedCount() const
{
    return std::max<qint64>(0, GetDroppedCount(context_));
}

void DiscoverySession::start(int sweep)
{
    if (sweep != sweep_)
        return;
    // A list the client refuses (memory running out) leaves the sweep to the
    // multicast search alone.
    static_cast<void>(applySavedHosts(context_));
    if (StartDiscovery(context_, notifier_->window(), SweepNotifier::kRepliesWaitingMessage,
                       sweep) == 0) {
        localNetworks_ = localNetworks();
        emit searchStarted(networksOf(sweepAddresses(context_)));
        return;
    }
    // A search that cannot start says why, instead of a searching row that
    // would never go away.
    char reason[256] = {};
    GetStatusText(context_, reason, sizeof reason);
    QString text = shownConverterText(reason);
    if (text.isEmpty() || text == QLatin1String(QL5_STATUS_TEXT_SUCCESS))
        text = tr("The search for converters could not start.");
    else
        text = tr("Cannot search: %1").arg(text);
    emit searchFailed(text);
}

void DiscoverySession::read(int sweep)
{
    if (sweep != sweep_)
        return;
    // Only what waits now is read: under a flood of replies the sweep keeps
    // filling the queue, and it notifies again for whatever comes later.
    for (int waiting = GetDeviceCount(context_); waiting > 0;) {
        const auto wanted = static_cast<std::uint32_t>(
            std::min<std::size_t>(static_cast<std::size_t>(waiting), buffer_.size()));
        // Each record comes with the address its reply came from: commands
        // go there, and two sources of one MAC stay two rows.
        const int read = ReadDevicesFrom(context_, buffer_.data(), sources_.data(), wanted);
        if (read <= 0)
            break;
        const auto count = static_cast<std::size_t>(read);
        emit recordsArrived(std::span<const DeviceRecordExchange>(buffer_.data(), count),
                            std::span<const std::uint32_t>(sources_.data(), count));
        waiting -= read;
    }
    emit notificationHandled();
}

}  // namespace ql5config
