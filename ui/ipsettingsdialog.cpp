// SPDX-License-Identifier: Apache-2.0
#include "ipsettingsdialog.h"

#include "commandtexts.h"
#include "converterwarnings.h"
#include "devicerequests.h"
#include "dialogframe.h"
#include "ipaddressedit.h"
#include "messagebox.h"
#include "recordtext.h"
#include "ui_ipsettingsdialog.h"

#include <QButtonGroup>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtConcurrent>
#include <QtEndian>

#include <array>
#include <cstring>

namespace ql5config {

using namespace ql5;

namespace {

// The four bytes of an address held in network order, first octet first.
std::array<std::uint8_t, 4> addressBytes(std::uint32_t networkOrderAddress)
{
    std::array<std::uint8_t, 4> bytes{};
    std::memcpy(bytes.data(), &networkOrderAddress, bytes.size());
    return bytes;
}

}  // namespace

IpSettingsDialog::IpSettingsDialog(const DeviceRecordExchange& record, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::IpSettingsDialog>()),
      record_(record)
{
    ui_->setupUi(this);
    setWindowFlags(dialogWindowFlags());
    // A screen reader names each address field with its editor and place.
    ui_->ipAddressControl->setAccessibleAddressName(tr("IP Address"));
    ui_->subnetMaskControl->setAccessibleAddressName(tr("Subnet Mask"));
    ui_->gatewayControl->setAccessibleAddressName(tr("Default Gateway"));
    worker_.setMaxThreadCount(1);

    // The two radio buttons form one group although the manual one sits in
    // the frame of the settings it enables.
    addressModeGroup_ = new QButtonGroup(this);
    addressModeGroup_->addButton(ui_->dhcpRadio, 0);
    addressModeGroup_->addButton(ui_->manualRadio, 1);
    connect(ui_->dhcpRadio, &QRadioButton::clicked, this, [this] { setAddressMode(0); });
    connect(ui_->manualRadio, &QRadioButton::clicked, this, [this] { setAddressMode(1); });
    connect(ui_->applyButton, &QPushButton::clicked, this, &IpSettingsDialog::applySettings);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &IpSettingsDialog::reject);
    connect(&applyWatcher_, &QFutureWatcher<CommandOutcome>::finished, this,
            &IpSettingsDialog::showApplyOutcome);
    connect(&checkWatcher_, &QFutureWatcher<ChangeCheck>::finished, this,
            &IpSettingsDialog::showChangeCheck);

    ui_->nameLabel->setText(shownProductName(record_));
    ui_->macLabel->setText(formatMac(record_.macAddress));
    // Only the value 1 means DHCP; whether the reply carried the field at all
    // is not asked, so a record without it opens in manual mode.
    setAddressMode(record_.dhcpMode == 1 ? 0 : 1);
}

IpSettingsDialog::~IpSettingsDialog()
{
    // A dialog that goes while it follows a converter does not wait out the
    // whole limit: the worker stops at its next query.
    if (stopFollowing_)
        stopFollowing_->store(true);
}

int IpSettingsDialog::mode() const
{
    return addressModeGroup_->checkedId();
}

void IpSettingsDialog::setConflictCheck(std::vector<ql5common::ConverterAddressing> listed,
                                        std::vector<ql5common::LocalNetwork> networks)
{
    listed_ = std::move(listed);
    networks_ = std::move(networks);
}

void IpSettingsDialog::reject()
{
    // While the dialog follows a converter that has accepted the change,
    // Cancel stops following it; the dialog ends once the worker returns.
    if (stopFollowing_) {
        stopFollowing_->store(true);
        return;
    }
    if (busy_)
        return;
    QDialog::reject();
}

void IpSettingsDialog::setAddressMode(int mode)
{
    addressModeGroup_->button(mode)->setChecked(true);
    for (IpAddressEdit* control :
         {ui_->ipAddressControl, ui_->subnetMaskControl, ui_->gatewayControl})
        control->setEnabled(mode == 1);
    // Either mode shows the record's addresses, also in the disabled
    // controls, and replaces whatever was typed into them; the password stays.
    ui_->ipAddressControl->setAddressBytes(addressBytes(record_.ipAddress));
    ui_->subnetMaskControl->setAddressBytes(addressBytes(record_.subnetMask));
    ui_->gatewayControl->setAddressBytes(addressBytes(record_.gatewayAddress));
}

void IpSettingsDialog::applySettings()
{
    if (busy_)
        return;
    const QByteArray password = passwordBytes(ui_->passwordEdit->text());
    if (refuseOverlongPassword(this, password))
        return;

    const CommandTarget target = commandTarget(record_, sourceAddress_);
    QFuture<CommandOutcome> request;
    if (mode() == 0) {
        // DHCP; the address controls are not read.
        expected_ = {true, 0, 0, 0};
        request = QtConcurrent::run(&worker_,
                                    [target, password] { return configureDhcp(target, password); });
    } else {
        // Manual settings, also when no radio button is selected.
        // A partly blank address or mask is refused as a blank one is, rather
        // than sent with its blank fields read as 0.
        const auto value = [](const IpAddressEdit* edit) {
            return edit->isPartlyBlank() ? 0 : edit->address();
        };
        const std::uint32_t address = value(ui_->ipAddressControl);
        const std::uint32_t mask = value(ui_->subnetMaskControl);
        const std::uint32_t gateway = ui_->gatewayControl->address();
        QString problem = staticSettingsProblem(address, mask);
        if (problem.isEmpty() && ui_->gatewayControl->isPartlyBlank())
            problem = partlyBlankGatewayMessage();
        if (!problem.isEmpty()) {
            showMessage(this, problem);
            return;
        }
        if (!confirmPlannedSettings(address, mask, gateway))
            return;
        expected_ = {false, qToBigEndian(address), qToBigEndian(mask), qToBigEndian(gateway)};
        request = QtConcurrent::run(&worker_, [=] {
            return configureStatic(target, qToBigEndian(address), qToBigEndian(mask),
                                   qToBigEndian(gateway), password);
        });
    }
    setBusy(true);
    applyWatcher_.setFuture(request);
}

void IpSettingsDialog::showApplyOutcome()
{
    setBusy(false);
    const QString message = settingOutcomeMessage(applyWatcher_.result());
    if (message.isEmpty()) {
        // Accepted: follow the converter until it reports the new settings.
        setBusy(true);
        // Cancel stays available: it stops following the converter.
        ui_->cancelButton->setEnabled(true);
        stopFollowing_ = std::make_shared<std::atomic<bool>>(false);
        checkWatcher_.setFuture(QtConcurrent::run(
            &worker_,
            [target = commandTarget(record_, sourceAddress_), expected = expected_,
             stop = stopFollowing_] { return verifyChange(target, expected, stop.get()); }));
        return;
    }
    // Every other outcome keeps the dialog open with what the user typed, so
    // that the password or the addresses can be corrected and sent again.
    showMessage(this, message);
}

void IpSettingsDialog::setBusy(bool busy)
{
    busy_ = busy;
    // The whole dialog waits, but keeps painting; the cursor says why nothing
    // responds. The address controls that DHCP mode disabled stay disabled
    // when their frame is enabled again.
    const QList<QWidget*> inputs{ui_->dhcpRadio, ui_->manualGroup, ui_->passwordEdit,
                                 ui_->applyButton, ui_->cancelButton};
    for (QWidget* input : inputs)
        input->setEnabled(!busy);
    if (busy) {
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
        // A failed Apply is most often a mistyped password.
        ui_->passwordEdit->setFocus(Qt::OtherFocusReason);
    }
}

bool IpSettingsDialog::confirmPlannedSettings(std::uint32_t address, std::uint32_t mask,
                                              std::uint32_t gateway)
{
    ql5common::ConverterAddressing planned = addressingOf(record_);
    planned.ip = qToBigEndian(address);
    planned.mask = qToBigEndian(mask);
    planned.gateway = qToBigEndian(gateway);
    planned.dhcp = false;
    const auto conflicts = ql5common::CheckPlannedSettings(planned, listed_, networks_);
    if (conflicts.empty())
        return true;
    // The user may know better (a converter about to move, a network about
    // to change), so the warning asks rather than refuses.
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(),
                    plannedSettingsWarning(conflictTexts(conflicts)),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setText(tr("Apply Anyway"));
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void IpSettingsDialog::showChangeCheck()
{
    const ChangeCheck check = checkWatcher_.result();
    const bool stopped = stopFollowing_->load();
    stopFollowing_.reset();
    setBusy(false);
    lastHeard_ = check.lastHeard;
    confirmedSource_ = check.lastSource;
    if (!stopped) {
        QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(),
                        changeCheckMessage(check.outcome), QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        QPushButton* reboot = box.addButton(tr("Reboot Converter..."), QMessageBox::ActionRole);
        // A converter that still shows its old settings most likely needs
        // the reboot.
        if (check.outcome == ql5common::VerifyOutcome::kOldSettings)
            box.setDefaultButton(reboot);
        else
            box.setDefaultButton(QMessageBox::Ok);
        box.exec();
        rebootRequested_ = box.clickedButton() == reboot;
    }
    accept();
}

}  // namespace ql5config
