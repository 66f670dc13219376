// SPDX-License-Identifier: Apache-2.0
// "Add addresses…": the entries that every search also asks by unicast, how
// they are read, remembered between runs, and which converters they send
// commands to by unicast.
#include "devicerequests.h"
#include "hostaddressesdialog.h"
#include "sweephosts.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace ql5config;
using ql5::commandTarget;

class TestHostAddresses : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void EntriesNameAddressesOrSayWhichLineIsWrong_data();
    void EntriesNameAddressesOrSayWhichLineIsWrong();
    void DialogEntriesAreRememberedAndSteerCommandsToUnicast();

private:
    QTemporaryDir settingsDir_;
};

void TestHostAddresses::initTestCase()
{
    // The user's own settings are never touched.
    QVERIFY(settingsDir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
}

void TestHostAddresses::EntriesNameAddressesOrSayWhichLineIsWrong_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("addresses");
    QTest::addColumn<QString>("problem");
    QTest::newRow("address and range")
        << QStringList{"10.1.2.3", " 10.1.5.0/28 ", ""} << 15 << QString();
    QTest::newRow("a whole /16") << QStringList{"10.9.0.0/16"} << 65534 << QString();
    QTest::newRow("bad prefix") << QStringList{"10.1.2.3", "10.1.5.0/33"} << 0
                                << "Line 2 (10.1.5.0/33): not an IPv4 address";
    QTest::newRow("over a /16 in all")
        << QStringList{"10.9.0.0/16", "10.1.2.0/29"} << 0
        << "Line 2 (10.1.2.0/29): with the other addresses more than 65536";
    QTest::newRow("multicast") << QStringList{"224.0.5.128"} << 0
                               << "Line 1 (224.0.5.128): not a unicast address";
}

void TestHostAddresses::EntriesNameAddressesOrSayWhichLineIsWrong()
{
    QFETCH(QStringList, entries);
    QFETCH(int, addresses);
    QFETCH(QString, problem);
    const HostList list = parseHostEntries(entries);
    QCOMPARE(static_cast<int>(list.addresses.size()), addresses);
    QVERIFY2(list.problem.startsWith(problem), qPrintable(list.problem));
    QCOMPARE(list.problem.isEmpty(), problem.isEmpty());
}

void TestHostAddresses::DialogEntriesAreRememberedAndSteerCommandsToUnicast()
{
    HostAddressesDialog dialog({});
    auto* edit = dialog.findChild<QPlainTextEdit*>(QStringLiteral("hostAddressesEdit"));
    QVERIFY(edit != nullptr);
    edit->setPlainText(QStringLiteral("  192.0.2.2\n\n10.1.5.0/30\n"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    saveHostEntries(dialog.entries());
    QCOMPARE(savedHostEntries(), (QStringList{"192.0.2.2", "10.1.5.0/30"}));

    // A converter whose reply came from a named address is sent its
    // commands by unicast to that source, never to the address it reports
    // about itself; one with an unknown source or a source elsewhere through
    // the group.
    DeviceRecordExchange named{};
    named.localAddress = 0x017164CB;  // 203.0.113.1
    named.ipAddress = 0x020200C0;     // 192.0.2.2
    DeviceRecordExchange local = named;
    local.ipAddress = 0x0A7164CB;                  // 203.0.113.10
    const std::uint32_t namedSource = 0x0105010A;  // 10.1.5.1
    const struct {
        const DeviceRecordExchange& record;
        std::uint32_t source;
        std::uint32_t unicast;
    } rows[] = {
        {named, 0, 0},
        {local, 0, 0},
        {local, named.ipAddress, named.ipAddress},
        {named, namedSource, namedSource},
        {named, local.ipAddress, 0},
    };
    for (const auto& row : rows)
        QCOMPARE(commandTarget(row.record, row.source).deviceAddress, row.unicast);

    saveHostEntries({});
    QVERIFY(savedHostEntries().isEmpty());
    QCOMPARE(commandTarget(named, named.ipAddress).deviceAddress, 0u);
}

QTEST_MAIN(TestHostAddresses)
#include "tst_hostaddresses.moc"
