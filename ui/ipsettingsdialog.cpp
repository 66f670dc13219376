#include "ipsettingsdialog.h"

#include "blockingcall.h"
#include "commandtexts.h"
#include "dialogframe.h"
#include "ipaddressedit.h"
#include "messagebox.h"
#include "recordtext.h"
#include "ui_ipsettingsdialog.h"

#include <ql5common/context_owner.h>

#include <QButtonGroup>
#include <QPushButton>
#include <QRadioButton>
#include <QtEndian>

#include <array>
#include <cstring>

using namespace ql5;

namespace {

// The four bytes of an address held in network order, first octet first.
std::array<std::uint8_t, 4> AddressBytes(std::uint32_t networkOrderAddress)
{
    std::array<std::uint8_t, 4> bytes{};
    std::memcpy(bytes.data(), &networkOrderAddress, bytes.size());
    return bytes;
}

}  // namespace

IpSettingsDialog::IpSettingsDialog(DeviceRecordExchange* record, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::IpSettingsDialog>()),
      record_(record)
{
    ui->setupUi(this);
    setWindowFlags(ql5::DialogWindowFlags());
    // The two radio buttons form one group although the manual one sits in
    // the frame of the settings it enables.
    addressModeGroup = new QButtonGroup(this);
    addressModeGroup->addButton(ui->dhcpRadio, 0);
    addressModeGroup->addButton(ui->manualRadio, 1);
    connect(ui->dhcpRadio, &QRadioButton::clicked, this, [this] { SetAddressMode(0); });
    connect(ui->manualRadio, &QRadioButton::clicked, this, [this] { SetAddressMode(1); });
    connect(ui->applyButton, &QPushButton::clicked, this, &IpSettingsDialog::ApplySettings);
    connect(ui->cancelButton, &QPushButton::clicked, this, &IpSettingsDialog::reject);

    // Initialisation, step 1: attach the address controls and empty the rest.
    ipAddressControl = ui->ipAddressControl;
    gatewayControl = ui->gatewayControl;
    subnetMaskControl = ui->subnetMaskControl;
    TransferToControls();
    // Step 2: the presence of the DHCP field is not consulted, so a record
    // without it opens in manual mode.
    SetAddressMode(record_->dhcpMode == 1 ? 0 : 1);
    // Step 3.
    TransferToControls();
}

IpSettingsDialog::~IpSettingsDialog() = default;

void IpSettingsDialog::reject()
{
    if (busy)
        return;
    QDialog::reject();
}

void IpSettingsDialog::SetAddressMode(std::int32_t mode)
{
    const QString mac = FormatMac(record_->macAddress);
    addressMode = mode;

    ipAddressControl->setEnabled(mode == 1);
    subnetMaskControl->setEnabled(mode == 1);
    gatewayControl->setEnabled(mode == 1);

    // The record's addresses are shown in both modes, and replace whatever
    // was typed into the controls.
    ipAddressControl->setAddressBytes(AddressBytes(record_->ipAddress));
    subnetMaskControl->setAddressBytes(AddressBytes(record_->subnetMask));
    gatewayControl->setAddressBytes(AddressBytes(record_->gatewayAddress));

    // The row's copy holds the substituted name from now on.
    SubstituteProductName(*record_);
    nameText = DecodeConverterText(record_->productName);
    macText = mac;

    // The transfer below writes every member into its control, the password
    // included. Reading the password box first keeps what the user typed.
    password = ui->passwordEdit->text();
    TransferToControls();
}

void IpSettingsDialog::ApplySettings()
{
    // Step 1: a context of its own, closed on every way out. The handle is not
    // tested: with a null one every call fails in the client and the status
    // code reads -1.
    const ql5common::ContextOwner context;
    // Step 2.
    TransferFromControls();

    const QByteArray passwordBytes = PasswordBytes(password);
    if (RefuseOverlongPassword(this, passwordBytes))
        return;

    const auto mac = std::to_array(record_->macAddress);
    std::int32_t result = -1;
    bool completed = false;
    {
        BusyScope busyScope(busy, Inputs());
        if (addressMode != 0) {
            // Step 3: manual settings, also when no radio button is selected.
            const std::uint32_t address = qToBigEndian(ipAddressControl->address());
            const std::uint32_t gateway = qToBigEndian(gatewayControl->address());
            const std::uint32_t mask = qToBigEndian(subnetMaskControl->address());
            completed = CallOffInterfaceThread(
                [&] {
                    return ConfigureStatic(context.Handle(), mac.data(), address, mask, gateway,
                                           passwordBytes.constData());
                },
                result);
        }
        if (addressMode == 0) {
            // Step 4: DHCP; the address controls are not read.
            completed = CallOffInterfaceThread(
                [&] {
                    return ConfigureDhcp(context.Handle(), mac.data(), 1,
                                         passwordBytes.constData());
                },
                result);
        }
    }
    if (!completed) {
        // The application is quitting: nothing more is shown.
        return;
    }

    // Step 5: the dialog closes unless the outcome says otherwise.
    bool closeDialog = true;
    if (result != 0) {
        if (result == -1 && context.StatusCode() == 0) {
            // No reply came: the status still reads "Operation Successful",
            // which must not be shown as the outcome.
            ShowMessage(this, NoReplyMessage());
            closeDialog = false;
        } else {
            ShowSettingResult(context.Handle());
            if (context.StatusCode() != 0)
                closeDialog = false;
        }
    }
    // Step 6: the owner closes the context as the handler returns, just after
    // step 7, which only marks the dialog as done.
    // Step 7: a dialog that stays open keeps every control as it is.
    if (closeDialog)
        QDialog::accept();
}

void IpSettingsDialog::ShowSettingResult(DiscoveryHandle context)
{
    const std::int32_t code = GetStatusCode(context);
    char text[255] = {};
    GetStatusText(context, text, sizeof text);
    ShowMessage(this, SettingResultMessage(code, DecodeConverterText(text)));
}

void IpSettingsDialog::TransferToControls()
{
    ui->passwordEdit->setText(password);
    ui->macLabel->setText(macText);
    ui->nameLabel->setText(nameText);
    // Writing selects the button of addressMode and clears the other; with
    // -1 both are cleared, which an exclusive group does not allow.
    addressModeGroup->setExclusive(false);
    ui->dhcpRadio->setChecked(addressMode == 0);
    ui->manualRadio->setChecked(addressMode == 1);
    addressModeGroup->setExclusive(true);
}

void IpSettingsDialog::TransferFromControls()
{
    password = ui->passwordEdit->text();
    macText = ui->macLabel->text();
    nameText = ui->nameLabel->text();
    addressMode = addressModeGroup->checkedId();
}

QList<QWidget*> IpSettingsDialog::Inputs() const
{
    return {ui->dhcpRadio,  ui->manualRadio,  ipAddressControl, subnetMaskControl,
            gatewayControl, ui->passwordEdit, ui->applyButton,  ui->cancelButton};
}
