// The information dialog: nine lines from the record, nothing sent.
#include "converterinfodialog.h"
#include "uitestsupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cstring>

using namespace ql5::uitest;

class TestConverterInfoDialog : public QObject
{
    Q_OBJECT

private slots:
    void ShowsNineLines_data();
    void ShowsNineLines();
    void SubstitutesTheRowsCopyInPlace();
    void ConverterTextsAreShownLiterally();
    void TemplateTexts();
};

void TestConverterInfoDialog::ShowsNineLines_data()
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
        "DHCP Mode: N/A\nFirmware Revision: 2.4.1\nRealPort Port: 771\n");
    // The DHCP words and the other fields are the common details text's to
    // test; here the dialog shows it, with Latin-1 and UTF-8 texts decoded.
    row("latin-1 and utf-8 texts",
        MakeRecord({.productName = "Z\xfcrich", .firmware = "v1 \xe2\x82\xac"}),
        "Name: Z\xc3\xbcrich\nMAC Address: 02:51:c5:00:00:01\nIP Address: 198.51.100.10\n"
        "Subnet Mask: 255.255.255.0\nGateway Address: 198.51.100.254\nDNS Address: 0.0.0.0\n"
        "DHCP Mode: N/A\nFirmware Revision: v1 \xe2\x82\xac\nRealPort Port: 771\n");
}

void TestConverterInfoDialog::ShowsNineLines()
{
    QFETCH(QByteArray, recordBytes);
    QFETCH(QString, expected);
    DeviceRecordExchange record{};
    std::memcpy(&record, recordBytes.constData(), sizeof record);

    ConverterInfoDialog dialog(&record);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("detailsLabel"))->text(), expected);
}

void TestConverterInfoDialog::SubstitutesTheRowsCopyInPlace()
{
    DeviceRecordExchange record = MakeRecord({});
    {
        ConverterInfoDialog dialog(&record);
    }
    QCOMPARE(QByteArray(record.productName), QByteArray("QL5 Converter"));
}

void TestConverterInfoDialog::ConverterTextsAreShownLiterally()
{
    const char* markup = "<b>bold</b><img src=\"file:///etc/passwd\">&amp;";
    DeviceRecordExchange record = MakeRecord({.productName = markup, .firmware = "<i>1.0</i>"});
    ConverterInfoDialog dialog(&record);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("detailsLabel"));
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QVERIFY(label->text().startsWith(QStringLiteral("Name: ") + QString::fromUtf8(markup) +
                                     QLatin1Char('\n')));
    QVERIFY(label->text().contains(QStringLiteral("Firmware Revision: <i>1.0</i>\n")));
}

void TestConverterInfoDialog::TemplateTexts()
{
    DeviceRecordExchange record = MakeRecord({});
    ConverterInfoDialog dialog(&record);
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
