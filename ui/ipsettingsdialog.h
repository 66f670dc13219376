// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_IPSETTINGSDIALOG_H
#define QL5CONFIG_IPSETTINGSDIALOG_H

#include "commandoutcome.h"

#include <ql5/discovery.h>

#include <QDialog>
#include <QFutureWatcher>
#include <QThreadPool>

#include <memory>

class QButtonGroup;

namespace Ui {
class IpSettingsDialog;
}

// Gives the selected converter DHCP, or a static address, subnet mask and
// default gateway, authorised by the password that the user types. It keeps
// its own copy of the selected row's record, and sends each Apply on a
// worker of its own, through a context of its own.
class IpSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit IpSettingsDialog(const DeviceRecordExchange& record, QWidget* parent = nullptr);
    // Waits for an Apply that still runs; the dialog refuses to close while
    // one does, so only the end of the program gets here that way.
    ~IpSettingsDialog() override;

    const DeviceRecordExchange& record() const { return record_; }
    // 0 for DHCP, 1 for manual settings, -1 when neither is selected.
    int mode() const;
    // True while Apply waits for the converter.
    bool isBusy() const { return busy_; }

public slots:
    // Cancel, Escape and the close box end the dialog, except while Apply
    // waits for the converter: what the converter did must be shown.
    void reject() override;

private:
    void setAddressMode(int mode);
    void applySettings();
    void showApplyOutcome();
    void setBusy(bool busy);

    std::unique_ptr<Ui::IpSettingsDialog> ui_;
    QButtonGroup* addressModeGroup_ = nullptr;
    DeviceRecordExchange record_;
    bool busy_ = false;
    QFutureWatcher<ql5::CommandOutcome> applyWatcher_;
    // Declared last, so that it is destroyed first: its destructor waits
    // for the request, which must end before anything it reports to goes.
    QThreadPool worker_;
};

#endif
