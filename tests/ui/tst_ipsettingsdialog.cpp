// The IP settings dialog: its preselected mode and controls, and Apply
// against simulated converters in the lab.
#include "commandtexts.h"
#include "ipaddressedit.h"
#include "ipsettingsdialog.h"
#include "uitestsupport.h"

#include "support/simulator_process.h"

#include <ql5common/address_text.h>

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
using Bytes = std::array<std::uint8_t, 4>;
using ByteVector = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(ByteVector)

namespace {

// Converters by MAC: one that takes "secret" and refuses other passwords
// with error number 5, one that refuses without an error number, one that
// never answers a command, one whose password is 255 bytes long, and one
// whose refusal message is markup.
const char* const kFleetTemplate = R"({"converters": [
  {"mac": "02:51:c5:01:00:01", "password": "secret", "successMessage": "Settings saved"},
  {"mac": "02:51:c5:01:00:02", "password": "secret",
   "refusal": {"result": 1, "error": 0, "message": "Locked by the front panel"}},
  {"mac": "02:51:c5:01:00:03", "misbehave": {"silentForCommands": true}},
  {"mac": "02:51:c5:01:00:04", "password": "%1"},
  {"mac": "02:51:c5:01:00:05", "password": "secret",
   "refusal": {"result": 1, "error": 9, "message": "<b>Denied</b><img src=x>"}}
]})";

// The fleet with the 255-byte password filled in.
QByteArray Fleet()
{
    return QString::fromLatin1(kFleetTemplate).arg(QString(255, QLatin1Char('P'))).toLatin1();
}

template <typename T>
T* Child(const QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(child != nullptr);
    return child;
}

void SetAddress(IpAddressEdit* edit, const QString& dotted)
{
    const QStringList parts = dotted.split(QLatin1Char('.'));
    for (int i = 0; i < IpAddressEdit::FieldCount; ++i)
        edit->field(i)->setText(i < parts.size() ? parts.at(i) : QString());
}

ByteVector Mac(const char* text)
{
    const auto mac = ql5common::ParseMac(text).value();
    return ByteVector(mac.begin(), mac.end());
}

ByteVector Cat(std::initializer_list<ByteVector> parts)
{
    ByteVector out;
    for (const auto& part : parts) {
        for (const std::uint8_t byte : part)
            out.push_back(byte);
    }
    return out;
}

ByteVector PasswordField(const QByteArray& password)
{
    ByteVector out{static_cast<std::uint8_t>(password.size())};  // length byte
    for (const char byte : password)
        out.push_back(static_cast<std::uint8_t>(byte));
    return out;
}

}  // namespace

class TestIpSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void OpensInTheRecordsMode_data();
    void OpensInTheRecordsMode();
    void RadioButtonsKeepPasswordAndRestoreRecordAddresses();
    void ApplySendsTheExactRequest_data();
    void ApplySendsTheExactRequest();
    void ErrorAnswerKeepsTheDialogOpen_data();
    void ErrorAnswerKeepsTheDialogOpen();
    void RefusalWithoutErrorNumberShowsMessageAndCloses();
    void NoReplyReportsThatTheConverterDidNotAnswer();
    void OverlongPasswordIsRefusedBeforeSending_data();
    void OverlongPasswordIsRefusedBeforeSending();

private:
    ql5::lab::SimulatorProcess sim;
};

void TestIpSettingsDialog::initTestCase()
{
    QVERIFY(StartSimulator(sim, Fleet().constData()));
}

void TestIpSettingsDialog::init()
{
    sim.ClearReceived();
}

void TestIpSettingsDialog::OpensInTheRecordsMode_data()
{
    QTest::addColumn<int>("dhcp");  // -1: the reply carried no DHCP field
    QTest::addColumn<int>("mode");
    QTest::newRow("dhcp 1") << 1 << 0;
    QTest::newRow("dhcp 0") << 0 << 1;
    QTest::newRow("dhcp 2") << 2 << 1;
    QTest::newRow("dhcp absent") << -1 << 1;
}

void TestIpSettingsDialog::OpensInTheRecordsMode()
{
    QFETCH(int, dhcp);
    QFETCH(int, mode);
    RecordSpec spec{.ip = "192.0.2.7", .mask = "255.255.0.0", .gateway = "192.0.2.1"};
    if (dhcp >= 0)
        spec.dhcp = static_cast<std::uint8_t>(dhcp);
    DeviceRecordExchange record = MakeRecord(spec);
    IpSettingsDialog dialog(&record);

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Set IP Address"));
    QCOMPARE(dialog.mode(), mode);
    QCOMPARE(Child<QRadioButton>(dialog, "dhcpRadio")->isChecked(), mode == 0);
    QCOMPARE(Child<QRadioButton>(dialog, "manualRadio")->isChecked(), mode == 1);
    // Disabled or not, the three controls show the record's addresses.
    auto* address = Child<IpAddressEdit>(dialog, "ipAddressControl");
    auto* mask = Child<IpAddressEdit>(dialog, "subnetMaskControl");
    auto* gateway = Child<IpAddressEdit>(dialog, "gatewayControl");
    for (IpAddressEdit* control : {address, mask, gateway})
        QCOMPARE(control->isEnabled(), mode == 1);
    QCOMPARE(address->addressBytes(), (Bytes{192, 0, 2, 7}));
    QCOMPARE(mask->addressBytes(), (Bytes{255, 255, 0, 0}));
    QCOMPARE(gateway->addressBytes(), (Bytes{192, 0, 2, 1}));

    QCOMPARE(Child<QLabel>(dialog, "nameLabel")->text(), QStringLiteral("QL5 Converter"));
    QCOMPARE(Child<QLabel>(dialog, "nameLabel")->textFormat(), Qt::PlainText);
    QCOMPARE(Child<QLabel>(dialog, "macLabel")->text(), QStringLiteral("02:51:c5:00:00:01"));
    QCOMPARE(Child<QLineEdit>(dialog, "passwordEdit")->text(), QString());
    QCOMPARE(Child<QLineEdit>(dialog, "passwordEdit")->echoMode(), QLineEdit::Password);
    QVERIFY(Child<QPushButton>(dialog, "applyButton")->isDefault());
    // The row's copy holds the substituted name from now on.
    QCOMPARE(QByteArray(record.productName), QByteArray("QL5 Converter"));
}

void TestIpSettingsDialog::RadioButtonsKeepPasswordAndRestoreRecordAddresses()
{
    DeviceRecordExchange record = MakeRecord({.ip = "192.0.2.7", .dhcp = 0});
    IpSettingsDialog dialog(&record);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* password = Child<QLineEdit>(dialog, "passwordEdit");
    auto* address = Child<IpAddressEdit>(dialog, "ipAddressControl");
    auto* dhcpRadio = Child<QRadioButton>(dialog, "dhcpRadio");
    auto* manualRadio = Child<QRadioButton>(dialog, "manualRadio");

    QTest::keyClicks(password, QStringLiteral("typed before any Apply"));
    SetAddress(address, QStringLiteral("10.1.2.3"));

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
    SetAddress(address, QStringLiteral("10.1.2.3"));
    QTest::mouseClick(manualRadio, Qt::LeftButton);
    QVERIFY(manualRadio->isChecked());
    QCOMPARE(address->addressBytes(), (Bytes{192, 0, 2, 7}));
    QCOMPARE(password->text(), QStringLiteral("typed before any Apply"));
}

void TestIpSettingsDialog::ApplySendsTheExactRequest_data()
{
    QTest::addColumn<int>("dhcp");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<ByteVector>("expected");

    const ByteVector mac = Mac("02:51:c5:01:00:01");
    QTest::newRow("static") << 0 << "192.168.1.10"
                            << "255.255.255.0"
                            << "192.168.1.1"
                            << Request(3, Cat({{0xc0, 0xa8, 0x01, 0x0a},  // address
                                               {0xff, 0xff, 0xff, 0x00},  // mask
                                               {0xc0, 0xa8, 0x01, 0x01},  // gateway
                                               mac,
                                               PasswordField("secret")}));
    QTest::newRow("static with blank mask") << 0 << "10.0.0.5"
                                            << ""
                                            << "10.0.0.1"
                                            << Request(3, Cat({{0x0a, 0x00, 0x00, 0x05},
                                                               {0x00, 0x00, 0x00, 0x00},
                                                               {0x0a, 0x00, 0x00, 0x01},
                                                               mac,
                                                               PasswordField("secret")}));
    QTest::newRow("dhcp") << 1 << ""
                          << ""
                          << ""
                          << Request(7, Cat({{0x01},  // DHCP on
                                             mac,
                                             PasswordField("secret")}));
}

void TestIpSettingsDialog::ApplySendsTheExactRequest()
{
    QFETCH(int, dhcp);
    QFETCH(QString, address);
    QFETCH(QString, mask);
    QFETCH(QString, gateway);
    QFETCH(ByteVector, expected);

    DeviceRecordExchange record =
        MakeRecord({.mac = "02:51:c5:01:00:01", .dhcp = std::uint8_t(dhcp)});
    IpSettingsDialog dialog(&record);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    if (dhcp == 0) {
        SetAddress(Child<IpAddressEdit>(dialog, "ipAddressControl"), address);
        SetAddress(Child<IpAddressEdit>(dialog, "subnetMaskControl"), mask);
        SetAddress(Child<IpAddressEdit>(dialog, "gatewayControl"), gateway);
    }
    QTest::keyClicks(Child<QLineEdit>(dialog, "passwordEdit"), QStringLiteral("secret"));

    ModalWatcher watcher;
    Child<QPushButton>(dialog, "applyButton")->click();

    // Carried out: no message, and the dialog ends as accepted.
    QCOMPARE(watcher.messages().size(), 0);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const auto sent = LoggedRequests(sim, static_cast<std::uint16_t>(expected[5]));
    QCOMPARE(sent.size(), std::size_t{1});
    QCOMPARE(sent.front(), expected);
}

void TestIpSettingsDialog::ErrorAnswerKeepsTheDialogOpen_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("expected");
    QTest::newRow("error number")
        << "02:51:c5:01:00:01"
        << "An Error occured while setting the converter.\nError Number: 5\nError Message: Password incorrect\n";
    QTest::newRow("markup in the message stays text")
        << "02:51:c5:01:00:05"
        << "An Error occured while setting the converter.\nError Number: 9\n"
           "Error Message: <b>Denied</b><img src=x>\n";
}

void TestIpSettingsDialog::ErrorAnswerKeepsTheDialogOpen()
{
    QFETCH(QString, mac);
    QFETCH(QString, expected);
    const QByteArray macText = mac.toLatin1();
    DeviceRecordExchange record = MakeRecord({.mac = macText.constData(), .dhcp = 0});
    IpSettingsDialog dialog(&record);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* address = Child<IpAddressEdit>(dialog, "ipAddressControl");
    SetAddress(address, QStringLiteral("10.9.8.7"));
    QTest::keyClicks(Child<QLineEdit>(dialog, "passwordEdit"), QStringLiteral("wrong"));

    ModalWatcher watcher;
    Child<QPushButton>(dialog, "applyButton")->click();

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
    QCOMPARE(Child<QLineEdit>(dialog, "passwordEdit")->text(), QStringLiteral("wrong"));
    QCOMPARE(address->addressBytes(), (Bytes{10, 9, 8, 7}));
    QVERIFY(Child<QPushButton>(dialog, "applyButton")->isEnabled());
}

void TestIpSettingsDialog::RefusalWithoutErrorNumberShowsMessageAndCloses()
{
    DeviceRecordExchange record = MakeRecord({.mac = "02:51:c5:01:00:02", .dhcp = 1});
    IpSettingsDialog dialog(&record);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    ModalWatcher watcher;
    Child<QPushButton>(dialog, "applyButton")->click();

    QCOMPARE(watcher.messages().size(), 1);
    QCOMPARE(watcher.messages().front().text, QStringLiteral("Locked by the front panel\n"));
    QVERIFY(!dialog.isVisible());
}

void TestIpSettingsDialog::NoReplyReportsThatTheConverterDidNotAnswer()
{
    DeviceRecordExchange record = MakeRecord({.mac = "02:51:c5:01:00:03", .dhcp = 0});
    IpSettingsDialog dialog(&record);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClicks(Child<QLineEdit>(dialog, "passwordEdit"), QStringLiteral("secret"));
    auto* apply = Child<QPushButton>(dialog, "applyButton");
    auto* password = Child<QLineEdit>(dialog, "passwordEdit");

    // While the request waits, the interface thread keeps running: this
    // timer samples the dialog and tries to close it.
    int ticks = 0;
    int busyTicks = 0;
    bool inputsEnabledWhileBusy = false;
    bool busyCursor = false;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] {
        ++ticks;
        if (!dialog.isBusy())
            return;
        ++busyTicks;
        inputsEnabledWhileBusy |= apply->isEnabled() || password->isEnabled();
        busyCursor |= QApplication::overrideCursor() != nullptr &&
                      QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        dialog.reject();
    });
    sampler.start(100);

    ModalWatcher watcher;
    QElapsedTimer clock;
    clock.start();
    apply->click();
    const qint64 elapsed = clock.elapsed();
    sampler.stop();

    // The request's own time limit of 7.5 s, with slack for one cycle.
    QVERIFY2(elapsed >= 7400 && elapsed < 10000, qPrintable(QString::number(elapsed)));
    QVERIFY(busyTicks > 50);
    QVERIFY(!inputsEnabledWhileBusy);
    QVERIFY(busyCursor);
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    QCOMPARE(watcher.messages().size(), 1);
    QCOMPARE(watcher.messages().front().text, ql5::NoReplyMessage());
    QVERIFY(!watcher.messages().front().text.contains(QLatin1String("Successful"),
                                                      Qt::CaseInsensitive));
    // The dialog stays open, ready for another try.
    QVERIFY(dialog.isVisible());
    QVERIFY(apply->isEnabled());
    QVERIFY(Child<IpAddressEdit>(dialog, "ipAddressControl")->isEnabled());
    QCOMPARE(password->text(), QStringLiteral("secret"));
}

void TestIpSettingsDialog::OverlongPasswordIsRefusedBeforeSending_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("refused");
    QTest::newRow("256 ascii bytes") << QString(256, QLatin1Char('P')) << true;
    QTest::newRow("128 two-byte characters") << QString(128, QChar(0xe9)) << true;
    QTest::newRow("255 bytes are carried") << QString(255, QLatin1Char('P')) << false;
}

void TestIpSettingsDialog::OverlongPasswordIsRefusedBeforeSending()
{
    QFETCH(QString, password);
    QFETCH(bool, refused);
    DeviceRecordExchange record = MakeRecord({.mac = "02:51:c5:01:00:04", .dhcp = 1});
    IpSettingsDialog dialog(&record);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    Child<QLineEdit>(dialog, "passwordEdit")->setText(password);

    ModalWatcher watcher;
    Child<QPushButton>(dialog, "applyButton")->click();

    if (refused) {
        QCOMPARE(watcher.messages().size(), 1);
        QCOMPARE(watcher.messages().front().text, ql5::PasswordTooLongMessage());
        QVERIFY(dialog.isVisible());
        QTest::qWait(300);
        QCOMPARE(sim.ReceivedDatagrams().size(), std::size_t{0});
    } else {
        QVERIFY2(watcher.messages().isEmpty(), qPrintable(watcher.messages().value(0).text));
        QVERIFY(!dialog.isVisible());
        const auto sent = LoggedRequests(sim, 7);
        QCOMPARE(sent.size(), std::size_t{1});
        QCOMPARE(sent.front().size(), std::size_t{16 + 255});
    }
}

QTEST_MAIN(TestIpSettingsDialog)
#include "tst_ipsettingsdialog.moc"
