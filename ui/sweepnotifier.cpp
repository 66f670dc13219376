// SPDX-License-Identifier: Apache-2.0
#include "sweepnotifier.h"

#include <QMetaObject>

namespace ql5config {

SweepNotifier::SweepNotifier(QObject* parent)
    : QObject(parent),
      window_(Ql5CreateMessageWindow(&SweepNotifier::forward, this))
{
}

SweepNotifier::~SweepNotifier()
{
    Ql5DestroyMessageWindow(window_);
}

void SweepNotifier::forward(Ql5WindowHandle, std::uint32_t message, std::uintptr_t,
                            std::intptr_t secondParameter, void* userData)
{
    // This runs on the sweep thread and is called through the client's C
    // interface: it only queues a call, and no exception may leave it.
    if (message != kRepliesWaitingMessage)
        return;
    auto* notifier = static_cast<SweepNotifier*>(userData);
    const auto sweep = static_cast<int>(secondParameter);
    if (notifier->waitingSweep_.exchange(sweep) == sweep)
        return;
    try {
        QMetaObject::invokeMethod(
            notifier, [notifier, sweep] { notifier->deliver(sweep); }, Qt::QueuedConnection);
    } catch (...) {
        // Out of memory: the notification is lost, and so is the mark that
        // one waits, so that the sweep's next notification is queued.
        notifier->waitingSweep_.store(0);
    }
}

void SweepNotifier::deliver(int sweep)
{
    // Cleared before the window reads the queue: a notification that comes
    // meanwhile is queued again, so no record can wait unannounced.
    int expected = sweep;
    waitingSweep_.compare_exchange_strong(expected, 0);
    emit repliesWaiting(sweep);
}

}  // namespace ql5config
