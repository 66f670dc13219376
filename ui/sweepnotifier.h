// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_SWEEPNOTIFIER_H
#define QL5CONFIG_SWEEPNOTIFIER_H

#include <ql5/discovery.h>

#include <QObject>

#include <atomic>
#include <cstdint>

namespace ql5config {

// The message window that a sweep of the discovery client notifies. Its
// callback runs on the sweep thread and only queues a call to this object's
// thread, which then emits repliesWaiting. Each sweep is started with its own
// number as the user value, which comes back with every notification, so
// that the window can ignore those of a sweep that it has already ended.
//
// While a notification of a sweep waits to be delivered, the sweep's further
// notifications are dropped: the one that waits makes the window read every
// record that is queued by then, and a sweep under a flood of replies would
// otherwise queue calls faster than the window could handle them.
class SweepNotifier : public QObject
{
    Q_OBJECT

public:
    // The message the sweep posts when records wait in the reply queue.
    static constexpr std::uint32_t kRepliesWaitingMessage = 0x8002;

    explicit SweepNotifier(QObject* parent = nullptr);
    // Waits until no post to the window is in flight, so that the callback
    // never runs once the notifier is gone.
    ~SweepNotifier() override;

    SweepNotifier(const SweepNotifier&) = delete;
    SweepNotifier& operator=(const SweepNotifier&) = delete;

    // Null when the client could not register the window.
    Ql5WindowHandle window() const { return window_; }

signals:
    void repliesWaiting(int sweep);

private:
    static void forward(Ql5WindowHandle window, std::uint32_t message,
                        std::uintptr_t firstParameter, std::intptr_t secondParameter,
                        void* userData);
    void deliver(int sweep);

    // The sweep whose notification waits to be delivered, or 0.
    std::atomic<int> waitingSweep_{0};
    Ql5WindowHandle window_ = nullptr;
};

}  // namespace ql5config

#endif
