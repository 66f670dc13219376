#ifndef QL5CONFIG_IPSETTINGSDIALOG_H
#define QL5CONFIG_IPSETTINGSDIALOG_H

#include <ql5/discovery.h>

#include <QDialog>
#include <QList>
#include <QString>

#include <cstdint>
#include <memory>

class IpAddressEdit;
class QButtonGroup;

namespace Ui {
class IpSettingsDialog;
}

// Gives the selected converter DHCP, or a static address, subnet mask and
// default gateway, authorised by the password that the user types. It
// borrows the selected row's record and opens a context of its own for each
// Apply.
class IpSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    IpSettingsDialog(DeviceRecordExchange* record, QWidget* parent = nullptr);
    ~IpSettingsDialog() override;

    DeviceRecordExchange* record() const { return record_; }
    // 0 for DHCP, 1 for manual settings, -1 when neither is selected.
    std::int32_t mode() const { return addressMode; }
    // True while Apply waits for the converter.
    bool isBusy() const { return busy; }

public slots:
    // Cancel, Escape and the close box end the dialog, except while Apply
    // waits for the converter.
    void reject() override;

private:
    void SetAddressMode(std::int32_t mode);
    void ApplySettings();
    void ShowSettingResult(DiscoveryHandle context);

    void TransferToControls();
    void TransferFromControls();
    QList<QWidget*> Inputs() const;

    std::unique_ptr<Ui::IpSettingsDialog> ui;
    QButtonGroup* addressModeGroup = nullptr;
    DeviceRecordExchange* record_;
    IpAddressEdit* ipAddressControl = nullptr;
    IpAddressEdit* gatewayControl = nullptr;
    IpAddressEdit* subnetMaskControl = nullptr;
    QString password;
    QString macText;
    QString nameText;
    std::int32_t addressMode = -1;
    bool busy = false;
};

#endif
