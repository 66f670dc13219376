// SPDX-License-Identifier: Apache-2.0
// The information dialog: nine lines from the record, whatever the converter
// put into its texts, and nothing sent.
#include "converterinfodialog.h"
#include "uitestsupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cstring>

using namespace ql5::uitest;
using namespace ql5config;

class TestConverterInfoDialog : public QObject
{
    Q_OBJECT

private slots:
    void showsNineLines_data();
    void showsNineLines();
    void templateTexts();
};

void TestConverterInfoDialog::showsNineLines_data()
{
    QTest::addColumn<QByteArray>("recordBytes");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const DeviceRecordExchange& record, const char* expected) {
        QTest::newRow(name) << QByteArray(reinterpret_cast<const char*>(&record), sizeof record)
                            << QString::fromUtf8(expected);
    };

    row("dhcp absent", MakeRecord({}),
        "Name: QL5 Converter\nMAC Address: 02:51:c5:00:00:01\nIP Address: 198.51.100.10\n"
        "Subnet Mask: 255.255.255.0\nGateway Address: 198.51.100.254\nDNS Address: 0.0.0.0\n"
        "DHCP Mode: N/A\nFirmware Revision: 2.4.1\nSerial Link Port: 4001\n");
    // The DHCP words and the other fields are the common details text's to
    // test; here the dialog shows it, with Latin-1 and UTF-8 texts decoded.
    row("latin-1 and utf-8 texts",
        MakeRecord({.productName = "Z\xfcrich", .firmware = "v1 \xe2\x82\xac"}),
        "Name: Z\xc3\xbcrich\nMAC Address: 02:51:c5:00:00:01\nIP Address: 198.51.100.10\n"
        "Subnet Mask: 255.255.255.0\nGateway Address: 198.51.100.254\nDNS Address: 0.0.0.0\n"
        "DHCP Mode: N/A\nFirmware Revision: v1 \xe2\x82\xac\nSerial Link Port: 4001\n");
    // A converter must not be able to add a line, or to reorder one.
    row("forged line and separators",
        MakeRecord({.productName = "X\nMAC Address: 02:51:c5:0f:0f:0f",
                    .firmware = "1\xe2\x80\xa8"
                                "2\xe2\x80\xae"
                                "3\r"}),
        "Name: X\\x0aMAC Address: 02:51:c5:0f:0f:0f\nMAC Address: 02:51:c5:00:00:01\n"
        "IP Address: 198.51.100.10\nSubnet Mask: 255.255.255.0\n"
        "Gateway Address: 198.51.100.254\nDNS Address: 0.0.0.0\nDHCP Mode: N/A\n"
        "Firmware Revision: 1\\u20282\\u202e3\\x0d\nSerial Link Port: 4001\n");
    row("markup stays text", MakeRecord({.productName = "<b>bold</b><img src=x>&amp;"}),
        "Name: <b>bold</b><img src=x>&amp;\nMAC Address: 02:51:c5:00:00:01\n"
        "IP Address: 198.51.100.10\nSubnet Mask: 255.255.255.0\n"
        "Gateway Address: 198.51.100.254\nDNS Address: 0.0.0.0\nDHCP Mode: N/A\n"
        "Firmware Revision: 2.4.1\nSerial Link Port: 4001\n");
}

void TestConverterInfoDialog::showsNineLines()
{
    QFETCH(QByteArray, recordBytes);
    QFETCH(QString, expected);
    DeviceRecordExchange record{};
    std::memcpy(&record, recordBytes.constData(), sizeof record);

    ConverterInfoDialog dialog(record);
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("detailsLabel"));
    QCOMPARE(label->text(), expected);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(dialog.details(), expected);
    // Nine lines, each ended by a line feed, and no other line break.
    QCOMPARE(expected.count(QLatin1Char('\n')), 9);
    QVERIFY(!expected.contains(QChar(0x2028)) && !expected.contains(QLatin1Char('\r')));
}

void TestConverterInfoDialog::templateTexts()
{
    ConverterInfoDialog dialog(MakeRecord({}));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("QL5 Converter Information"));
    QCOMPARE(dialog.findChild<QGroupBox*>()->title(), QStringLiteral("Converter Information"));
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("okButton"));
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(TestConverterInfoDialog)
#include "tst_converterinfodialog.moc"
