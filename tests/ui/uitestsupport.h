// SPDX-License-Identifier: Apache-2.0
// What the user interface tests share: a watcher that answers the modal
// windows that the code under test opens, records built for a test, and
// helpers for the simulator's log.
#pragma once

#include "support/sample_record.h"

#include <ql5/discovery.h>

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <vector>

namespace ql5::lab {
class SimulatorProcess;
}

namespace ql5::uitest {

// A message box as it was shown.
struct ShownMessage {
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QPointer<QWidget> owner;
    Qt::TextInteractionFlags interaction;
};

// While it lives, answers every modal window that opens: a message box is
// recorded and closed with OK; any other dialog is handed once to the
// handler, which must close it. It checks every few milliseconds, because
// the windows under test open their boxes after calls that run elsewhere.
class ModalWatcher : public QObject
{
public:
    using DialogHandler = std::function<void(QDialog*)>;

    explicit ModalWatcher(DialogHandler handler = {});

    const QList<ShownMessage>& messages() const { return messages_; }
    void clear() { messages_.clear(); }

private:
    void check();

    QTimer timer_;
    DialogHandler handler_;
    QList<ShownMessage> messages_;
    QList<QPointer<QDialog>> handled_;
};

using ql5::sample::MakeRecord;
using ql5::sample::RecordSpec;

// The datagrams of one message type that the simulator logged, in order.
std::vector<std::vector<std::uint8_t>> LoggedRequests(const ql5::lab::SimulatorProcess& sim,
                                                      std::uint16_t messageType);

// The bytes of a request: the header for the protocol magic and the payload.
std::vector<std::uint8_t> Request(std::uint16_t messageType,
                                  const std::vector<std::uint8_t>& payload);

// The threads of this process, as the kernel counts them.
int ThreadCount();

// Starts the simulator with the fleet in the first converter namespace of
// the lab, and fails the current test when it cannot.
bool StartSimulator(ql5::lab::SimulatorProcess& sim, const char* fleetJson);

}  // namespace ql5::uitest
