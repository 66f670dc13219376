// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_IPSETTINGSDIALOG_H
#define QL5CONFIG_IPSETTINGSDIALOG_H

#include "commandoutcome.h"
#include "devicerequests.h"

#include <ql5/discovery.h>
#include <ql5common/conflicts.h>

#include <QDialog>
#include <QFutureWatcher>
#include <QThreadPool>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QButtonGroup;

namespace Ui {
class IpSettingsDialog;
}

namespace ql5config {

// Gives the selected converter DHCP, or a static address, subnet mask and
// default gateway, authorised by the password that the user types. It keeps
// its own copy of the selected row's record, and sends each Apply on a
// worker of its own, through a context of its own.
//
// Settings that conflict with another listed converter or with this
// network are named before they are sent, and the user decides. Once the
// converter has accepted a change, the dialog follows it for a while to
// learn whether it reports the new settings, says so, and offers a reboot.
class IpSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit IpSettingsDialog(const DeviceRecordExchange& record, QWidget* parent = nullptr);
    // Waits for an Apply that still runs; the dialog refuses to close while
    // one does, so only the end of the program gets here that way. Following
    // a converter after a change is stopped instead.
    ~IpSettingsDialog() override;

    const DeviceRecordExchange& record() const { return record_; }
    // The address the row's reply came from, which a unicast command goes
    // to; 0 when the list does not know it.
    void setSourceAddress(std::uint32_t address) { sourceAddress_ = address; }
    // 0 for DHCP, 1 for manual settings, -1 when neither is selected.
    int mode() const;
    // True while Apply waits for the converter, and while the dialog follows
    // it after a change.
    bool isBusy() const { return busy_; }

    // The other listed converters and this workstation's networks, which
    // planned static settings are checked against before Apply.
    void setConflictCheck(std::vector<ql5common::ConverterAddressing> listed,
                          std::vector<ql5common::LocalNetwork> networks);

    // After an accepted change: the converter's last answer while the
    // dialog followed it (none when it did not answer), and whether the
    // user asked for a reboot.
    const std::optional<DeviceRecordExchange>& lastHeard() const { return lastHeard_; }
    // Where the answer that confirmed the change came from; 0 when none did.
    std::uint32_t confirmedSource() const { return confirmedSource_; }
    bool rebootRequested() const { return rebootRequested_; }

public slots:
    // Cancel, Escape and the close box end the dialog, except while Apply
    // waits for the converter: what the converter did must be shown.
    void reject() override;

private:
    void setAddressMode(int mode);
    void applySettings();
    void showApplyOutcome();
    bool confirmPlannedSettings(std::uint32_t address, std::uint32_t mask, std::uint32_t gateway);
    void showChangeCheck();
    void setBusy(bool busy);

    std::unique_ptr<Ui::IpSettingsDialog> ui_;
    QButtonGroup* addressModeGroup_ = nullptr;
    DeviceRecordExchange record_;
    std::uint32_t sourceAddress_ = 0;
    bool busy_ = false;
    std::vector<ql5common::ConverterAddressing> listed_;
    std::vector<ql5common::LocalNetwork> networks_;
    // What the accepted command asked for, to recognise it in the replies.
    ql5common::ExpectedSettings expected_;
    std::optional<DeviceRecordExchange> lastHeard_;
    std::uint32_t confirmedSource_ = 0;
    bool rebootRequested_ = false;
    // Set by Cancel while the dialog follows the converter; shared with the
    // worker, which ends the wait at its next query.
    std::shared_ptr<std::atomic<bool>> stopFollowing_;
    QFutureWatcher<CommandOutcome> applyWatcher_;
    QFutureWatcher<ql5::ChangeCheck> checkWatcher_;
    // Declared last, so that it is destroyed first: its destructor waits
    // for the request, which must end before anything it reports to goes.
    QThreadPool worker_;
};

}  // namespace ql5config

#endif
