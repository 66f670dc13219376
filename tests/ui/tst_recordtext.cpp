// SPDX-License-Identifier: Apache-2.0
// The QString adapter over the common display rules, and the string table
// they draw on. The rules themselves are tested with the common library.
#include "recordtext.h"
#include "stringtable.h"

#include <QTest>

#include <cstring>

using namespace ql5config;

class TestRecordText : public QObject
{
    Q_OBJECT

private slots:
    void shownConverterText_data();
    void shownConverterText();
    void shownProductNameTakesStringTwo();
    void stringTableHoldsTheEightTexts_data();
    void stringTableHoldsTheEightTexts();
};

void TestRecordText::shownConverterText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("utf-8") << QByteArray("Z\xc3\xbcrich \xe2\x82\xac")
                           << QStringLiteral(u"Zürich €");
    // Beyond the first plane a character takes two UTF-16 units in a QString.
    QTest::newRow("utf-8 beyond the first plane")
        << QByteArray("plug \xf0\x9f\x94\x8c") << QStringLiteral(u"plug \U0001F50C");
    QTest::newRow("latin-1") << QByteArray("Z\xfcrich") << QStringLiteral(u"Zürich");
    QTest::newRow("markup stays text") << QByteArray("<b>x</b>") << "<b>x</b>";
    QTest::newRow("line feed") << QByteArray("a\nb") << "a\\x0ab";
    QTest::newRow("line separator") << QByteArray("a\xe2\x80\xa8z") << "a\\u2028z";
    QTest::newRow("right-to-left override")
        << QByteArray("\xe2\x80\xaegnp.exe") << "\\u202egnp.exe";
    // A window has no escapes that a backslash could fake.
    QTest::newRow("backslash as it is") << QByteArray("C:\\data\\x0a") << "C:\\data\\x0a";
}

void TestRecordText::shownConverterText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    char field[256] = {};
    std::memcpy(field, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    QCOMPARE(ql5config::shownConverterText(field), expected);
}

void TestRecordText::shownProductNameTakesStringTwo()
{
    DeviceRecordExchange record{};
    std::strcpy(record.productName, "QL5 Core Module");
    QCOMPARE(shownProductName(record), stringTableText(kReplacementProductName));
    // The record itself keeps the name as received.
    QCOMPARE(QByteArray(record.productName), QByteArray("QL5 Core Module"));
    std::strcpy(record.productName, "QL5 Core Module\n");
    QCOMPARE(shownProductName(record), QStringLiteral("QL5 Core Module\\x0a"));
}

void TestRecordText::stringTableHoldsTheEightTexts_data()
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

void TestRecordText::stringTableHoldsTheEightTexts()
{
    QFETCH(int, id);
    QFETCH(QString, expected);
    QCOMPARE(stringTableText(id), expected);
}

QTEST_GUILESS_MAIN(TestRecordText)
#include "tst_recordtext.moc"
