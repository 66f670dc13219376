// SPDX-License-Identifier: Apache-2.0
// The IP settings dialog: its preselected mode and controls, and Apply
// against simulated converters in the lab.
#include "commandtexts.h"
#include "devicerequests.h"
#include "ipaddressedit.h"
#include "ipsettingsdialog.h"
#include "uitestsupport.h"

#include "support/impostor.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"

#include <ql5common/address_text.h>
#include <ql5common/change_verify.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <array>
#include <cstring>

using namespace ql5::uitest;
using namespace ql5config;
using Bytes = std::array<std::uint8_t, 4>;
using ByteVector = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(ByteVector)

namespace {

// Converters by MAC: one that takes "secret" and refuses other passwords
// with error number 5, one that refuses without an error number, one that
// never answers a command, one whose password is 255 bytes long, one whose
// refusal message is markup, one that refuses without error number or
// message, and one that applies a change only when it restarts.
const char* const kFleetTemplate = R"({"converters": [
  {"mac": "02:51:c5:01:00:01", "password": "secret", "successMessage": "Settings saved"},
  {"mac": "02:51:c5:01:00:02", "password": "secret",
   "refusal": {"result": 1, "error": 0, "message": "Locked by the front panel"}},
  {"mac": "02:51:c5:01:00:03", "misbehave": {"silentForCommands": true}},
  {"mac": "02:51:c5:01:00:04", "ip": "198.51.100.14", "password": "%1"},
  {"mac": "02:51:c5:01:00:05", "password": "secret",
   "refusal": {"result": 1, "error": 9, "message": "<b>Denied</b>\n<img src=x>"}},
  {"mac": "02:51:c5:01:00:06", "password": "secret",
   "refusal": {"result": 2, "error": 0, "message": ""}},
  {"mac": "02:51:c5:01:00:07", "ip": "198.51.100.17", "mask": "255.255.255.0",
   "password": "secret", "applyAfterReboot": true}
]})";

// The fleet with the 255-byte password filled in.
QByteArray fleet()
{
    return QString::fromLatin1(kFleetTemplate).arg(QString(255, QLatin1Char('P'))).toLatin1();
}

template <typename T>
T* child(const QWidget& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(found != nullptr);
    return found;
}

void setAddress(IpAddressEdit* edit, const QString& dotted)
{
    const QStringList parts = dotted.split(QLatin1Char('.'));
    for (int i = 0; i < IpAddressEdit::kFieldCount; ++i)
        edit->field(i)->setText(i < parts.size() ? parts.at(i) : QString());
}

ByteVector mac(const char* text)
{
    const auto bytes = ql5common::ParseMac(text).value();
    return ByteVector(bytes.begin(), bytes.end());
}

ByteVector cat(std::initializer_list<ByteVector> parts)
{
    ByteVector out;
    for (const auto& part : parts) {
        for (const std::uint8_t byte : part)
            out.push_back(byte);
    }
    return out;
}

ByteVector passwordField(const QByteArray& password)
{
    ByteVector out{static_cast<std::uint8_t>(password.size())};  // length byte
    for (const char byte : password)
        out.push_back(static_cast<std::uint8_t>(byte));
    return out;
}

// Opens the dialog on a record in manual mode, types the settings and the
// password, and presses Apply. Returns once the dialog is no longer busy.
bool apply(IpSettingsDialog& dialog, const QString& password, const QStringList& settings = {})
{
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return false;
    const char* const controls[] = {"ipAddressControl", "subnetMaskControl", "gatewayControl"};
    for (int i = 0; i < settings.size(); ++i)
        setAddress(child<IpAddressEdit>(dialog, controls[i]), settings.at(i));
    child<QLineEdit>(dialog, "passwordEdit")->setText(password);
    child<QPushButton>(dialog, "applyButton")->click();
    // A change that the converter accepted is followed for up to 15 s.
    return QTest::qWaitFor([&] { return !dialog.isBusy(); }, 30000);
}

}  // namespace

class TestIpSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void opensInTheRecordsMode_data();
    void opensInTheRecordsMode();
    void radioButtonsKeepPasswordAndRestoreRecordAddresses();
    void applySendsTheExactRequest_data();
    void applySendsTheExactRequest();
    void applyRefusesSettingsThatWouldMakeTheConverterUnreachable_data();
    void applyRefusesSettingsThatWouldMakeTheConverterUnreachable();
    void refusalKeepsTheDialogOpen_data();
    void refusalKeepsTheDialogOpen();
    void noReplyKeepsTheWindowResponsiveAndTheDialogOpen();
    void failureOnThisComputerIsNotANoReply();
    void plannedConflictIsNamedBeforeApply();
    void changeAwaitingARebootIsReportedAsOldSettings();
    void checkAfterAChangeCountsOnlyTheConverterTheCommandFound();
    void overlongPasswordIsRefusedBeforeSending_data();
    void overlongPasswordIsRefusedBeforeSending();

private:
    ql5::lab::SimulatorProcess sim;
};

void TestIpSettingsDialog::initTestCase()
{
    QVERIFY(StartSimulator(sim, fleet().constData()));
}

void TestIpSettingsDialog::init()
{
    sim.ClearReceived();
}

void TestIpSettingsDialog::opensInTheRecordsMode_data()
{
    QTest::addColumn<int>("dhcp");  // -1: the reply carried no DHCP field
    QTest::addColumn<int>("mode");
    QTest::newRow("dhcp 1") << 1 << 0;
    QTest::newRow("dhcp 0") << 0 << 1;
    QTest::newRow("dhcp 2") << 2 << 1;
    QTest::newRow("dhcp absent") << -1 << 1;
}

void TestIpSettingsDialog::opensInTheRecordsMode()
{
    QFETCH(int, dhcp);
    QFETCH(int, mode);
    RecordSpec spec{.ip = "192.0.2.7",
                    .mask = "255.255.0.0",
                    .gateway = "192.0.2.1",
                    .productName = "QL5 Core Module"};
    if (dhcp >= 0)
        spec.dhcp = static_cast<std::uint8_t>(dhcp);
    IpSettingsDialog dialog(MakeRecord(spec));

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Set IP Address"));
    QCOMPARE(dialog.mode(), mode);
    QCOMPARE(child<QRadioButton>(dialog, "dhcpRadio")->isChecked(), mode == 0);
    QCOMPARE(child<QRadioButton>(dialog, "manualRadio")->isChecked(), mode == 1);
    // Disabled or not, the three controls show the record's addresses.
    auto* address = child<IpAddressEdit>(dialog, "ipAddressControl");
    auto* mask = child<IpAddressEdit>(dialog, "subnetMaskControl");
    auto* gateway = child<IpAddressEdit>(dialog, "gatewayControl");
    for (IpAddressEdit* control : {address, mask, gateway})
        QCOMPARE(control->isEnabled(), mode == 1);
    QCOMPARE(address->addressBytes(), (Bytes{192, 0, 2, 7}));
    QCOMPARE(mask->addressBytes(), (Bytes{255, 255, 0, 0}));
    QCOMPARE(gateway->addressBytes(), (Bytes{192, 0, 2, 1}));

    QCOMPARE(child<QLabel>(dialog, "nameLabel")->text(), QStringLiteral("QL5 Converter"));
    QCOMPARE(child<QLabel>(dialog, "nameLabel")->textFormat(), Qt::PlainText);
    QCOMPARE(child<QLabel>(dialog, "macLabel")->text(), QStringLiteral("02:51:c5:00:00:01"));
    QCOMPARE(child<QLineEdit>(dialog, "passwordEdit")->text(), QString());
    QCOMPARE(child<QLineEdit>(dialog, "passwordEdit")->echoMode(), QLineEdit::Password);
    QVERIFY(child<QPushButton>(dialog, "applyButton")->isDefault());
}

void TestIpSettingsDialog::radioButtonsKeepPasswordAndRestoreRecordAddresses()
{
    IpSettingsDialog dialog(MakeRecord({.ip = "192.0.2.7", .dhcp = 0}));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* password = child<QLineEdit>(dialog, "passwordEdit");
    auto* address = child<IpAddressEdit>(dialog, "ipAddressControl");
    auto* dhcpRadio = child<QRadioButton>(dialog, "dhcpRadio");
    auto* manualRadio = child<QRadioButton>(dialog, "manualRadio");

    QTest::keyClicks(password, QStringLiteral("typed before any Apply"));
    setAddress(address, QStringLiteral("10.1.2.3"));

    QTest::mouseClick(dhcpRadio, Qt::LeftButton);
    QCOMPARE(dialog.mode(), 0);
    QVERIFY(!address->isEnabled());
    QCOMPARE(address->addressBytes(), (Bytes{192, 0, 2, 7}));
    QCOMPARE(password->text(), QStringLiteral("typed before any Apply"));

    QTest::mouseClick(manualRadio, Qt::LeftButton);
    QCOMPARE(dialog.mode(), 1);
    QVERIFY(address->isEnabled());
    QCOMPARE(password->text(), QStringLiteral("typed before any Apply"));

    // Clicking the selected button again also puts the record's addresses back.
    setAddress(address, QStringLiteral("10.1.2.3"));
    QTest::mouseClick(manualRadio, Qt::LeftButton);
    QVERIFY(manualRadio->isChecked());
    QCOMPARE(address->addressBytes(), (Bytes{192, 0, 2, 7}));
    QCOMPARE(password->text(), QStringLiteral("typed before any Apply"));
}

void TestIpSettingsDialog::applySendsTheExactRequest_data()
{
    QTest::addColumn<int>("dhcp");
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<ByteVector>("expected");

    const ByteVector target = mac("02:51:c5:01:00:01");
    QTest::newRow("static") << 0 << QStringList{"192.168.1.10", "255.255.255.0", "192.168.1.1"}
                            << Request(3, cat({{0xc0, 0xa8, 0x01, 0x0a},  // address
                                               {0xff, 0xff, 0xff, 0x00},  // mask
                                               {0xc0, 0xa8, 0x01, 0x01},  // gateway
                                               target,
                                               passwordField("secret")}));
    // A blank gateway means "no gateway".
    QTest::newRow("static without gateway") << 0 << QStringList{"10.0.0.5", "255.0.0.0", ""}
                                            << Request(3, cat({{0x0a, 0x00, 0x00, 0x05},
                                                               {0xff, 0x00, 0x00, 0x00},
                                                               {0x00, 0x00, 0x00, 0x00},
                                                               target,
                                                               passwordField("secret")}));
    QTest::newRow("dhcp") << 1 << QStringList{}
                          << Request(7, cat({{0x01},  // DHCP on
                                             target,
                                             passwordField("secret")}));
}

void TestIpSettingsDialog::applySendsTheExactRequest()
{
    QFETCH(int, dhcp);
    QFETCH(QStringList, settings);
    QFETCH(ByteVector, expected);

    IpSettingsDialog dialog(MakeRecord({.mac = "02:51:c5:01:00:01", .dhcp = std::uint8_t(dhcp)}));
    ModalWatcher watcher;
    QVERIFY(apply(dialog, QStringLiteral("secret"), settings));

    // Carried out: the dialog follows the converter until it reports the
    // new settings, says so, and ends as accepted.
    QCOMPARE(watcher.messages().size(), 1);
    QCOMPARE(watcher.messages().front().text,
             ql5config::changeCheckMessage(ql5common::VerifyOutcome::kConfirmed));
    QVERIFY(!dialog.isVisible());
    QVERIFY(dialog.lastHeard().has_value());
    QVERIFY(!dialog.rebootRequested());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const auto sent = LoggedRequests(sim, static_cast<std::uint16_t>(expected[5]));
    QCOMPARE(sent.size(), std::size_t{1});
    QCOMPARE(sent.front(), expected);
}

void TestIpSettingsDialog::applyRefusesSettingsThatWouldMakeTheConverterUnreachable_data()
{
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QString>("message");
    QTest::newRow("blank address") << QStringList{"", "255.255.255.0", "10.0.0.1"}
                                   << "The IP address 0.0.0.0 cannot be given to a converter.\n"
                                      "Enter the address it is to have. Nothing was sent.\n";
    // A field left blank is not read as 0.
    QTest::newRow("partly blank address")
        << QStringList{"10..0.5", "255.255.255.0", "10.0.0.1"}
        << "The IP address 0.0.0.0 cannot be given to a converter.\n"
           "Enter the address it is to have. Nothing was sent.\n";
    QTest::newRow("partly blank gateway")
        << QStringList{"10.0.0.5", "255.255.255.0", "10.0..1"}
        << "The default gateway is incomplete: fill in all four fields, or leave them all "
           "blank for none.\nNothing was sent.\n";
    QTest::newRow("blank mask") << QStringList{"10.0.0.5", "", "10.0.0.1"}
                                << "The subnet mask 0.0.0.0 is not valid: its one bits must be "
                                   "contiguous from the left, as in 255.255.255.0.\n"
                                   "Nothing was sent.\n";
    QTest::newRow("gap in the mask") << QStringList{"10.0.0.5", "255.255.0.255", "10.0.0.1"}
                                     << "The subnet mask 255.255.0.255 is not valid: its one "
                                        "bits must be contiguous from the left, as in "
                                        "255.255.255.0.\nNothing was sent.\n";
}

void TestIpSettingsDialog::applyRefusesSettingsThatWouldMakeTheConverterUnreachable()
{
    QFETCH(QStringList, settings);
    QFETCH(QString, message);
    IpSettingsDialog dialog(MakeRecord({.mac = "02:51:c5:01:00:01", .dhcp = 0}));
    ModalWatcher watcher;
    QVERIFY(apply(dialog, QStringLiteral("secret"), settings));

    QCOMPARE(watcher.messages().size(), 1);
    QCOMPARE(watcher.messages().front().text, message);
    QVERIFY(dialog.isVisible());
    QCOMPARE(child<QLineEdit>(dialog, "passwordEdit")->text(), QStringLiteral("secret"));
    QTest::qWait(300);
    QCOMPARE(sim.ReceivedDatagrams().size(), std::size_t{0});
}

void TestIpSettingsDialog::refusalKeepsTheDialogOpen_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("expected");
    QTest::newRow("error number")
        << "02:51:c5:01:00:01"
        << "An Error occured while setting the converter.\nError Number: 5\n"
           "Error Message: Password incorrect\n";
    QTest::newRow("markup and a line feed in the message stay text")
        << "02:51:c5:01:00:05"
        << "An Error occured while setting the converter.\nError Number: 9\n"
           "Error Message: <b>Denied</b>\\x0a<img src=x>\n";
    QTest::newRow("refused without error number") << "02:51:c5:01:00:02"
                                                  << "Locked by the front panel\n";
    QTest::newRow("refused without error number or message")
        << "02:51:c5:01:00:06"
        << "The converter refused the settings.\n";
}

void TestIpSettingsDialog::refusalKeepsTheDialogOpen()
{
    QFETCH(QString, mac);
    QFETCH(QString, expected);
    const QByteArray macText = mac.toLatin1();
    IpSettingsDialog dialog(MakeRecord({.mac = macText.constData(), .dhcp = 0}));
    ModalWatcher watcher;
    QVERIFY(apply(dialog, QStringLiteral("wrong"), {"10.9.8.7", "255.255.255.0", "10.9.8.1"}));

    QCOMPARE(watcher.messages().size(), 1);
    const ShownMessage& shown = watcher.messages().front();
    QCOMPARE(shown.text, expected);
    QCOMPARE(shown.format, Qt::PlainText);
    QCOMPARE(shown.icon, QMessageBox::NoIcon);
    QCOMPARE(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(shown.title, QCoreApplication::applicationName());
    QCOMPARE(shown.owner.data(), &dialog);
    // The user can correct the password and try again: everything stays.
    QVERIFY(dialog.isVisible());
    QCOMPARE(child<QLineEdit>(dialog, "passwordEdit")->text(), QStringLiteral("wrong"));
    QCOMPARE(child<IpAddressEdit>(dialog, "ipAddressControl")->addressBytes(),
             (Bytes{10, 9, 8, 7}));
    QVERIFY(child<QPushButton>(dialog, "applyButton")->isEnabled());
    QCOMPARE(LoggedRequests(sim, 3).size(), std::size_t{1});
}

void TestIpSettingsDialog::noReplyKeepsTheWindowResponsiveAndTheDialogOpen()
{
    IpSettingsDialog dialog(MakeRecord({.mac = "02:51:c5:01:00:03", .dhcp = 1}));
    auto* applyButton = child<QPushButton>(dialog, "applyButton");
    auto* password = child<QLineEdit>(dialog, "passwordEdit");

    // While the request waits, the interface thread keeps running: this
    // timer samples the dialog and tries to close it every way there is.
    int busyTicks = 0;
    bool inputsEnabledWhileBusy = false;
    bool busyCursor = true;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] {
        if (!dialog.isBusy())
            return;
        ++busyTicks;
        inputsEnabledWhileBusy |= applyButton->isEnabled() || password->isEnabled();
        busyCursor &= dialog.cursor().shape() == Qt::BusyCursor;
        QTest::keyClick(&dialog, Qt::Key_Escape);
        dialog.close();
        dialog.reject();
    });
    sampler.start(100);

    ModalWatcher watcher;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(apply(dialog, QStringLiteral("secret")));
    const qint64 elapsed = clock.elapsed();
    sampler.stop();

    // The request's own time limit of 7.5 s, with slack for one cycle.
    QVERIFY2(elapsed >= 7400 && elapsed < 10000, qPrintable(QString::number(elapsed)));
    QVERIFY2(busyTicks > 50, qPrintable(QString::number(busyTicks)));
    QVERIFY(!inputsEnabledWhileBusy);
    QVERIFY(busyCursor);
    QCOMPARE(dialog.cursor().shape(), Qt::ArrowCursor);

    QCOMPARE(watcher.messages().size(), 1);
    QCOMPARE(watcher.messages().front().text, ql5config::noReplyMessage());
    // The dialog stays open, ready for another try.
    QVERIFY(dialog.isVisible());
    QVERIFY(applyButton->isEnabled());
    QCOMPARE(password->text(), QStringLiteral("secret"));
}

void TestIpSettingsDialog::failureOnThisComputerIsNotANoReply()
{
    // A row whose reply came in on an address this computer no longer has,
    // as after a VPN reconnect: the command cannot leave through it.
    DeviceRecordExchange record = MakeRecord({.mac = "02:51:c5:01:00:01", .dhcp = 1});
    record.localAddress = *ql5common::ParseDottedDecimal("192.0.2.99");
    IpSettingsDialog dialog(record);
    ModalWatcher watcher;
    QVERIFY(apply(dialog, QStringLiteral("secret")));

    QCOMPARE(watcher.messages().size(), 1);
    const QString text = watcher.messages().front().text;
    QVERIFY2(text.startsWith(QLatin1String("The command could not be completed.\nReason: ")) &&
                 text.contains(QLatin1String("192.0.2.99")),
             qPrintable(text));
    QVERIFY(dialog.isVisible());
    QTest::qWait(300);
    QCOMPARE(sim.ReceivedDatagrams().size(), std::size_t{0});
}

void TestIpSettingsDialog::plannedConflictIsNamedBeforeApply()
{
    // Another listed converter already has the address the user types.
    IpSettingsDialog dialog(MakeRecord({.mac = "02:51:c5:01:00:01"}));
    ql5common::ConverterAddressing other;
    other.mac = ql5common::ParseMac("02:51:c5:01:00:99").value();
    other.ip = ql5common::ParseDottedDecimal("192.168.1.10").value();
    other.mask = ql5common::ParseDottedDecimal("255.255.255.0").value();
    dialog.setConflictCheck({other}, {});
    ModalWatcher watcher;  // answers the warning with "Apply Anyway"
    QVERIFY(
        apply(dialog, QStringLiteral("secret"), {"192.168.1.10", "255.255.255.0", "192.168.1.1"}));

    QVERIFY(watcher.messages().size() >= 1);
    const ShownMessage& warning = watcher.messages().front();
    QCOMPARE(warning.icon, QMessageBox::Warning);
    QVERIFY2(warning.text.contains(QLatin1String(
                 "Converter 02:51:c5:01:00:99 reports the same IP address 192.168.1.10")),
             qPrintable(warning.text));
    // The user may still apply it.
    QCOMPARE(LoggedRequests(sim, 3).size(), std::size_t{1});
}

void TestIpSettingsDialog::changeAwaitingARebootIsReportedAsOldSettings()
{
    IpSettingsDialog dialog(MakeRecord({.mac = "02:51:c5:01:00:07", .ip = "198.51.100.17"}));
    ModalWatcher watcher;
    QVERIFY(apply(dialog, QStringLiteral("secret"),
                  {"198.51.100.71", "255.255.255.0", "198.51.100.1"}));

    // The converter accepted the change, but answers with its old address
    // for the whole time the dialog follows it.
    QCOMPARE(watcher.messages().size(), 1);
    QCOMPARE(watcher.messages().front().text,
             ql5config::changeCheckMessage(ql5common::VerifyOutcome::kOldSettings));
    QVERIFY(dialog.lastHeard().has_value());
    QCOMPARE(ql5common::FormatDottedDecimal(dialog.lastHeard()->ipAddress),
             std::string("198.51.100.17"));
    QVERIFY(!dialog.isVisible());
}

void TestIpSettingsDialog::checkAfterAChangeCountsOnlyTheConverterTheCommandFound()
{
    // Once the converter accepted new settings, another host of the network
    // answers for its MAC too, with a record that confirms nothing. The check
    // holds to the source the command found and the new address, so that
    // host's answers neither count nor keep the change from being confirmed.
    DeviceRecordExchange record = MakeRecord({.mac = "02:51:c5:01:00:01"});
    const auto local = ql5common::ParseDottedDecimal(ql5::lab::WorkstationAddress(1));
    QVERIFY(local.has_value());
    record.localAddress = *local;
    const ql5::CommandTarget target = ql5::commandTarget(record);
    const ql5common::ExpectedSettings expected{false,
                                               *ql5common::ParseDottedDecimal("198.51.100.71"),
                                               *ql5common::ParseDottedDecimal("255.255.255.0"), 0};
    QCOMPARE(ql5::configureStatic(target, expected.ip, expected.mask, 0, "secret").result, 0);
    ql5::lab::Impostor impostor;
    QVERIFY(impostor.Start(target.mac, ql5::lab::WorkstationAddress(1)));
    QTest::qWait(200);  // until the impostor has joined the group
    const ql5::ChangeCheck check = ql5::verifyChange(target, expected, nullptr);
    QCOMPARE(check.outcome, ql5common::VerifyOutcome::kConfirmed);
    QCOMPARE(ql5common::FormatDottedDecimal(check.lastSource), ql5::lab::ConverterAddress(1));
    QTRY_VERIFY(impostor.DiscoveriesAnswered() > 0);
}

void TestIpSettingsDialog::overlongPasswordIsRefusedBeforeSending_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("refused");
    QTest::newRow("256 ascii bytes") << QString(256, QLatin1Char('P')) << true;
    QTest::newRow("128 two-byte characters") << QString(128, QChar(0xe9)) << true;
    QTest::newRow("255 bytes are carried") << QString(255, QLatin1Char('P')) << false;
}

void TestIpSettingsDialog::overlongPasswordIsRefusedBeforeSending()
{
    QFETCH(QString, password);
    QFETCH(bool, refused);
    IpSettingsDialog dialog(MakeRecord({.mac = "02:51:c5:01:00:04", .dhcp = 1}));
    ModalWatcher watcher;
    QVERIFY(apply(dialog, password));

    if (refused) {
        QCOMPARE(watcher.messages().size(), 1);
        QCOMPARE(watcher.messages().front().text, ql5config::passwordTooLongMessage());
        QVERIFY(dialog.isVisible());
        QTest::qWait(300);
        QCOMPARE(sim.ReceivedDatagrams().size(), std::size_t{0});
    } else {
        QCOMPARE(watcher.messages().size(), 1);
        QCOMPARE(watcher.messages().front().text,
                 ql5config::changeCheckMessage(ql5common::VerifyOutcome::kConfirmed));
        QVERIFY(!dialog.isVisible());
        const auto sent = LoggedRequests(sim, 7);
        QCOMPARE(sent.size(), std::size_t{1});
        QCOMPARE(sent.front().size(), std::size_t{16 + 255});
    }
}

QTEST_MAIN(TestIpSettingsDialog)
#include "tst_ipsettingsdialog.moc"
