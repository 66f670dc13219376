// The display rules that every window applies to a record, and the string
// table they draw on.
#include "recordtext.h"
#include "stringtable.h"

#include <QTest>

#include <cstring>

using namespace ql5;

class TestRecordText : public QObject
{
    Q_OBJECT

private slots:
    void FormatMacUsesLowerCaseHexWithLeadingZeros_data();
    void FormatMacUsesLowerCaseHexWithLeadingZeros();
    void FormatDottedDecimalReadsNetworkOrder_data();
    void FormatDottedDecimalReadsNetworkOrder();
    void DecodeConverterTextIsUtf8ElseLatin1_data();
    void DecodeConverterTextIsUtf8ElseLatin1();
    void DecodeConverterTextStopsAtCapacityWithoutTerminator();
    void SubstituteProductNameOnlyOnExactModuleName_data();
    void SubstituteProductNameOnlyOnExactModuleName();
    void StringTableHoldsTheEightTexts_data();
    void StringTableHoldsTheEightTexts();
};

void TestRecordText::FormatMacUsesLowerCaseHexWithLeadingZeros_data()
{
    QTest::addColumn<QByteArray>("mac");
    QTest::addColumn<QString>("expected");
    QTest::newRow("typical") << QByteArray::fromHex("0251c50a0b0c") << "02:51:c5:0a:0b:0c";
    QTest::newRow("all ones") << QByteArray::fromHex("ffffffffffff") << "ff:ff:ff:ff:ff:ff";
    QTest::newRow("small bytes") << QByteArray::fromHex("020304050607") << "02:03:04:05:06:07";
    QTest::newRow("letters") << QByteArray::fromHex("02cdefABCDEF") << "02:cd:ef:ab:cd:ef";
}

void TestRecordText::FormatMacUsesLowerCaseHexWithLeadingZeros()
{
    QFETCH(QByteArray, mac);
    QFETCH(QString, expected);
    QCOMPARE(FormatMac(reinterpret_cast<const std::uint8_t*>(mac.constData())), expected);
}

void TestRecordText::FormatDottedDecimalReadsNetworkOrder_data()
{
    QTest::addColumn<QByteArray>("wireBytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("private") << QByteArray::fromHex("c0a8010a") << "192.168.1.10";
    QTest::newRow("no leading zeros") << QByteArray::fromHex("0a000001") << "10.0.0.1";
    QTest::newRow("zero") << QByteArray::fromHex("00000000") << "0.0.0.0";
    QTest::newRow("mask") << QByteArray::fromHex("ffffff00") << "255.255.255.0";
}

void TestRecordText::FormatDottedDecimalReadsNetworkOrder()
{
    QFETCH(QByteArray, wireBytes);
    QFETCH(QString, expected);
    std::uint32_t address = 0;
    std::memcpy(&address, wireBytes.constData(), sizeof address);
    QCOMPARE(FormatDottedDecimal(address), expected);
}

void TestRecordText::DecodeConverterTextIsUtf8ElseLatin1_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << QByteArray("Line 1") << "Line 1";
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("utf-8") << QByteArray("Z\xc3\xbcrich \xe2\x82\xac") << QStringLiteral(u"Zürich €");
    QTest::newRow("latin-1") << QByteArray("Z\xfcrich") << QStringLiteral(u"Zürich");
    QTest::newRow("broken utf-8 is latin-1 throughout")
        << QByteArray("\xc3\xbc \xc3\x28") << QStringLiteral(u"Ã¼ Ã(");
    QTest::newRow("truncated sequence") << QByteArray("a\xe2\x82") << QStringLiteral(u"aâ\u0082");
    QTest::newRow("surrogate encoded") << QByteArray("\xed\xa0\x80") << QStringLiteral(u"í\u00a0\u0080");
    QTest::newRow("stops at the first nul") << QByteArray("abc\0def", 7) << "abc";
    QTest::newRow("markup stays text") << QByteArray("<b>x</b>") << "<b>x</b>";
}

void TestRecordText::DecodeConverterTextIsUtf8ElseLatin1()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    char field[256] = {};
    std::memcpy(field, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    QCOMPARE(DecodeConverterText(field), expected);
}

void TestRecordText::DecodeConverterTextStopsAtCapacityWithoutTerminator()
{
    // A field filled to the last byte has no terminator; nothing past it may
    // be read. Every byte value appears once.
    char field[256];
    for (int i = 0; i < 256; ++i)
        field[i] = static_cast<char>(i == 0 ? 1 : i);
    const QString text = DecodeConverterText(field);
    QCOMPARE(text.size(), 256);
    QCOMPARE(text.at(255), QChar(0xff));
}

void TestRecordText::SubstituteProductNameOnlyOnExactModuleName_data()
{
    QTest::addColumn<QByteArray>("productName");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("module name") << QByteArray("Digi Connect ME") << QByteArray("QL5 Converter");
    QTest::newRow("other case") << QByteArray("digi connect me") << QByteArray("digi connect me");
    QTest::newRow("longer") << QByteArray("Digi Connect ME2") << QByteArray("Digi Connect ME2");
    QTest::newRow("trailing space") << QByteArray("Digi Connect ME ") << QByteArray("Digi Connect ME ");
    QTest::newRow("shorter") << QByteArray("Digi Connect M") << QByteArray("Digi Connect M");
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestRecordText::SubstituteProductNameOnlyOnExactModuleName()
{
    QFETCH(QByteArray, productName);
    QFETCH(QByteArray, expected);
    DeviceRecordExchange record{};
    // Bytes after the terminator must not matter, nor survive a substitution.
    std::memset(record.productName, 'x', sizeof record.productName);
    std::memcpy(record.productName, productName.constData(), static_cast<std::size_t>(productName.size()));
    record.productName[productName.size()] = '\0';
    std::strcpy(record.code4Text, "Digi Connect ME");

    SubstituteProductName(record);

    QCOMPARE(QByteArray(record.productName), expected);
    QCOMPARE(QByteArray(record.code4Text), QByteArray("Digi Connect ME"));
}

void TestRecordText::StringTableHoldsTheEightTexts_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");
    QTest::newRow("1") << 1 << "Searching...";
    QTest::newRow("2") << 2 << "QL5 Converter";
    QTest::newRow("3") << 3 << "IP Address";
    QTest::newRow("4") << 4 << "MAC Address";
    QTest::newRow("5") << 5 << "Name";
    QTest::newRow("6") << 6 << "Converter";
    QTest::newRow("7") << 7 << "No QL5 was selected on list !";
    QTest::newRow("8") << 8 << "Internal error !";
    QTest::newRow("unknown 0") << 0 << "";
    QTest::newRow("unknown 9") << 9 << "";
}

void TestRecordText::StringTableHoldsTheEightTexts()
{
    QFETCH(int, id);
    QFETCH(QString, expected);
    QCOMPARE(StringTableText(id), expected);
}

QTEST_GUILESS_MAIN(TestRecordText)
#include "tst_recordtext.moc"
