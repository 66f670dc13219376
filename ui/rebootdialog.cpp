// SPDX-License-Identifier: Apache-2.0
#include "rebootdialog.h"

#include "commandtexts.h"
#include "devicerequests.h"
#include "dialogframe.h"
#include "messagebox.h"
#include "recordtext.h"
#include "ui_rebootdialog.h"

#include <QPushButton>
#include <QTimer>
#include <QtConcurrent>

namespace ql5config {

using namespace ql5;

RebootDialog::RebootDialog(const DeviceRecordExchange& record, QWidget* parent,
                           ql5common::RebootWaitTiming timing)
    : QDialog(parent),
      ui_(std::make_unique<Ui::RebootDialog>()),
      record_(record),
      timing_(timing)
{
    ui_->setupUi(this);
    setWindowFlags(dialogWindowFlags());
    worker_.setMaxThreadCount(1);
    connect(ui_->rebootButton, &QPushButton::clicked, this, &RebootDialog::rebootAndWait);
    connect(ui_->closeButton, &QPushButton::clicked, this, &RebootDialog::accept);
    connect(&rebootWatcher_, &QFutureWatcher<CommandOutcome>::finished, this,
            &RebootDialog::showRebootOutcome);
    connect(&waitWatcher_, &QFutureWatcher<ql5common::RebootOutcome>::finished, this,
            &RebootDialog::showWaitOutcome);

    // The template's placeholder status is never seen.
    ui_->statusLabel->clear();
    // While the dialog waits for the converter, it says how long so far,
    // and against what bound, once a second.
    waitedTimer_ = new QTimer(this);
    waitedTimer_->setInterval(1000);
    connect(waitedTimer_, &QTimer::timeout, this, &RebootDialog::showTimeWaited);
    ui_->nameLabel->setText(shownProductName(record_));
    ui_->macLabel->setText(formatMac(record_.macAddress));
}

RebootDialog::~RebootDialog()
{
    if (wait_)
        wait_->Stop();
}

void RebootDialog::done(int result)
{
    if (wait_) {
        wait_->Stop();
        closingResult_ = result;
        return;
    }
    if (busy_)
        return;
    QDialog::done(result);
}

void RebootDialog::rebootAndWait()
{
    if (busy_)
        return;
    const QByteArray password = passwordBytes(ui_->passwordEdit->text());
    if (refuseOverlongPassword(this, password))
        return;
    const CommandTarget target = commandTarget(record_, sourceAddress_);
    setBusy(true);
    rebootWatcher_.setFuture(
        QtConcurrent::run(&worker_, [target, password] { return rebootDevice(target, password); }));
}

void RebootDialog::showRebootOutcome()
{
    const QString message = rebootOutcomeMessage(rebootWatcher_.result());
    if (!message.isEmpty()) {
        // A reboot that was not carried out leaves the status line as it was.
        setBusy(false);
        showMessage(this, message);
        return;
    }
    ui_->statusLabel->setText(tr("Status: Rebooting"));
    // Close stays available during the wait: it stops the wait.
    ui_->closeButton->setEnabled(true);
    wait_ = std::make_shared<ql5common::RebootWait>(timing_);
    showTimeWaited();
    ui_->waitedLabel->show();
    waitedTimer_->start();
    const CommandTarget target = commandTarget(record_, sourceAddress_);
    waitWatcher_.setFuture(QtConcurrent::run(
        &worker_, [target, wait = wait_] { return waitUntilBack(target, *wait); }));
}

void RebootDialog::showTimeWaited()
{
    const auto minutesAndSeconds = [](std::chrono::milliseconds time) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(time).count();
        return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    };
    ui_->waitedLabel->setText(
        tr("Waited %1 of at most %2")
            .arg(minutesAndSeconds(wait_ ? wait_->Waited() : std::chrono::milliseconds(0)),
                 minutesAndSeconds(ql5common::LongestRebootWait(timing_))));
}

void RebootDialog::showWaitOutcome()
{
    waitedTimer_->stop();
    ui_->waitedLabel->hide();
    wait_.reset();
    setBusy(false);
    if (closingResult_) {
        QDialog::done(*closingResult_);
        return;
    }
    switch (waitWatcher_.result()) {
    case ql5common::RebootOutcome::kReady:
        ui_->statusLabel->setText(tr("Status: Ready"));
        break;
    case ql5common::RebootOutcome::kTimedOut:
        ui_->statusLabel->setText(tr("Status: Timed out"));
        break;
    case ql5common::RebootOutcome::kStopped:
        break;
    }
}

void RebootDialog::setBusy(bool busy)
{
    busy_ = busy;
    const QList<QWidget*> inputs{ui_->passwordEdit, ui_->rebootButton, ui_->closeButton};
    for (QWidget* input : inputs)
        input->setEnabled(!busy);
    if (busy) {
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
        ui_->passwordEdit->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace ql5config
