// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_REBOOTDIALOG_H
#define QL5CONFIG_REBOOTDIALOG_H

#include "commandoutcome.h"

#include <ql5/discovery.h>
#include <ql5common/reboot_wait.h>

#include <QDialog>
#include <QFutureWatcher>
#include <QThreadPool>

#include <cstdint>
#include <memory>
#include <optional>

class QTimer;

namespace Ui {
class RebootDialog;
}

namespace ql5config {

// Reboots the selected converter and waits until it answers queries again.
// It keeps its own copy of the selected row's record, and runs the reboot
// command and the wait on a worker of its own, each through a context of
// its own.
class RebootDialog : public QDialog
{
    Q_OBJECT

public:
    // The program waits as the common library says; tests pass a shorter
    // timing.
    explicit RebootDialog(const DeviceRecordExchange& record, QWidget* parent = nullptr,
                          ql5common::RebootWaitTiming timing = {});
    // Stops a wait that still runs and waits for its last query.
    ~RebootDialog() override;

    const DeviceRecordExchange& record() const { return record_; }
    // The address the row's reply came from, which a unicast command goes
    // to; 0 when the list does not know it.
    void setSourceAddress(std::uint32_t address) { sourceAddress_ = address; }
    // True from "Reboot" until the outcome is shown, the wait included.
    bool isBusy() const { return busy_; }

public slots:
    // Close, Escape and the close box end the dialog, except while the reboot
    // command waits for its answer (which must be shown). During the wait for
    // the converter they stop the wait at once; the dialog ends as soon as
    // the query in flight has run out its short reply window.
    void done(int result) override;

private:
    void rebootAndWait();
    void showRebootOutcome();
    void showWaitOutcome();
    void showTimeWaited();
    void setBusy(bool busy);

    std::unique_ptr<Ui::RebootDialog> ui_;
    DeviceRecordExchange record_;
    std::uint32_t sourceAddress_ = 0;
    ql5common::RebootWaitTiming timing_;
    bool busy_ = false;
    // The running wait, shared with the worker that runs it, or null.
    std::shared_ptr<ql5common::RebootWait> wait_;
    // How the dialog is to end once the stopped wait has returned.
    std::optional<int> closingResult_;
    QTimer* waitedTimer_ = nullptr;
    QFutureWatcher<CommandOutcome> rebootWatcher_;
    QFutureWatcher<ql5common::RebootOutcome> waitWatcher_;
    // Declared last, so that it is destroyed first: its destructor waits
    // for the worker, which must end before anything it reports to goes.
    QThreadPool worker_;
};

}  // namespace ql5config

#endif
