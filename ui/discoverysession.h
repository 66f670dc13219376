// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_DISCOVERYSESSION_H
#define QL5CONFIG_DISCOVERYSESSION_H

#include "searchstatus.h"

#include <ql5/discovery.h>
#include <ql5common/conflicts.h>

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace ql5config {

class SweepNotifier;

// The main window's search for converters: one discovery context from the
// session's creation to its end, the sweep on it, and the notifier that the
// sweep posts to. It reads the reply queue when the sweep says that records
// wait and hands them on in slices; what becomes of them is the list
// model's business.
class DiscoverySession : public QObject
{
    Q_OBJECT

public:
    explicit DiscoverySession(QObject* parent = nullptr);
    // Ends the sweep before the notifier goes, so that nothing is posted to
    // it any more.
    ~DiscoverySession() override;

    DiscoverySession(const DiscoverySession&) = delete;
    DiscoverySession& operator=(const DiscoverySession&) = delete;

    // Whether the client gave the session a context at all.
    bool isOpen() const { return context_ != nullptr; }

    // Ends the running sweep at once and starts a new one once the event
    // loop runs, so that the caller's searching row is on the screen first.
    // Notifications of the ended sweep are ignored from here on, also those
    // already on their way.
    void refresh();
    void stop();

    // This workstation's networks, read when the sweep started.
    const std::vector<ql5common::LocalNetwork>& localNetworks() const { return localNetworks_; }
    // The replies that the client dropped because its queue was full.
    qint64 droppedCount() const;
    // The context, for the commands that talk to one converter.
    DiscoveryHandle context() const { return context_; }
    SweepNotifier* notifier() const { return notifier_; }

signals:
    void searchStarted(const QList<ql5config::SearchedNetwork>& networks);
    // Why the sweep could not start, as a sentence for the list.
    void searchFailed(const QString& reason);
    // One slice of the records that waited when the sweep notified, with
    // the address each reply came from (sources[i] for records[i]).
    void recordsArrived(std::span<const DeviceRecordExchange> records,
                        std::span<const std::uint32_t> sources);
    // Every record that waited at the notification has been handed on.
    void notificationHandled();

private:
    void start(int sweep);
    void read(int sweep);

    DiscoveryHandle context_ = nullptr;
    SweepNotifier* notifier_ = nullptr;
    // The number of the current sweep; notifications of earlier ones are
    // ignored.
    int sweep_ = 0;
    std::vector<ql5common::LocalNetwork> localNetworks_;
    // Reused by every read: the queue can hold tens of thousands of records,
    // which are read in slices of this buffer's size.
    std::vector<DeviceRecordExchange> buffer_;
    std::vector<std::uint32_t> sources_;
};

}  // namespace ql5config

#endif
