// SPDX-License-Identifier: Apache-2.0
// The four-field address input of the IP settings dialog.
#include "ipaddressedit.h"
#include "ipsettingsdialog.h"
#include "uitestsupport.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

using namespace ql5config;
using Bytes = std::array<std::uint8_t, 4>;
Q_DECLARE_METATYPE(Bytes)

class TestIpAddressEdit : public QObject
{
    Q_OBJECT

private slots:
    void SetBytesReadsBackInFieldOrder_data();
    void SetBytesReadsBackInFieldOrder();
    void BlankFieldReadsZero();
    void TypingFillsFieldsLeftToRight_data();
    void TypingFillsFieldsLeftToRight();
    void IsOneTabStop();
    void DisablingDisablesEveryField();
    void PartlyBlankIsNeitherAnAddressNorBlank_data();
    void PartlyBlankIsNeitherAnAddressNorBlank();
    void SettingsDialogNamesEveryFieldForAScreenReader();

private:
    static void Type(const QString& keys);
};

void TestIpAddressEdit::Type(const QString& keys)
{
    // Keys go to whichever field has the focus, as a user's typing does.
    for (const QChar key : keys)
        QTest::keyClick(static_cast<QWidget*>(nullptr), key.toLatin1());
}

void TestIpAddressEdit::SetBytesReadsBackInFieldOrder_data()
{
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<quint32>("packed");
    QTest::newRow("private") << Bytes{192, 168, 1, 10} << quint32(0xc0a8010a);
    QTest::newRow("zero") << Bytes{0, 0, 0, 0} << quint32(0);
    QTest::newRow("mask") << Bytes{255, 255, 255, 0} << quint32(0xffffff00);
}

void TestIpAddressEdit::SetBytesReadsBackInFieldOrder()
{
    QFETCH(Bytes, bytes);
    QFETCH(quint32, packed);
    IpAddressEdit edit;
    edit.setAddressBytes(bytes);
    QCOMPARE(edit.addressBytes(), bytes);
    // The leftmost field is the highest byte of the packed number.
    QCOMPARE(edit.address(), packed);
    QCOMPARE(edit.field(0)->text(), QString::number(bytes[0]));
}

void TestIpAddressEdit::BlankFieldReadsZero()
{
    IpAddressEdit edit;
    edit.setAddressBytes({10, 20, 30, 40});
    edit.field(2)->clear();
    QCOMPARE(edit.addressBytes(), (Bytes{10, 20, 0, 40}));
    edit.clear();
    QCOMPARE(edit.address(), 0u);
}

void TestIpAddressEdit::TypingFillsFieldsLeftToRight_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<Bytes>("expected");
    QTest::newRow("dots") << "192.168.1.10" << Bytes{192, 168, 1, 10};
    QTest::newRow("spaces") << "10 0 0 1" << Bytes{10, 0, 0, 1};
    QTest::newRow("three digits move on") << "192168001010" << Bytes{192, 168, 1, 10};
    QTest::newRow("too large digit refused") << "256.1.1.1" << Bytes{25, 1, 1, 1};
    QTest::newRow("letters refused") << "1a.2b.3c.4d" << Bytes{1, 2, 3, 4};
    QTest::newRow("extra dot stays") << "1..2.3.4" << Bytes{1, 2, 3, 4};
}

void TestIpAddressEdit::TypingFillsFieldsLeftToRight()
{
    QFETCH(QString, keys);
    QFETCH(Bytes, expected);
    IpAddressEdit edit;
    edit.show();
    edit.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&edit));
    edit.setFocus();
    QCOMPARE(QApplication::focusWidget(), edit.field(0));
    Type(keys);
    QCOMPARE(edit.addressBytes(), expected);
}

void TestIpAddressEdit::IsOneTabStop()
{
    QWidget window;
    auto* before = new QLineEdit(&window);
    auto* edit = new IpAddressEdit(&window);
    auto* after = new QLineEdit(&window);
    QWidget::setTabOrder(before, edit);
    QWidget::setTabOrder(edit, after);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), edit->field(0));
    QTest::keyClick(edit->field(0), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), after);
}

void TestIpAddressEdit::DisablingDisablesEveryField()
{
    IpAddressEdit edit;
    edit.setAddressBytes({1, 2, 3, 4});
    edit.setEnabled(false);
    for (int i = 0; i < IpAddressEdit::kFieldCount; ++i)
        QVERIFY(!edit.field(i)->isEnabled());
    // A disabled control still shows, and reads, its address.
    QCOMPARE(edit.addressBytes(), (Bytes{1, 2, 3, 4}));
}

void TestIpAddressEdit::PartlyBlankIsNeitherAnAddressNorBlank_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("partlyBlank");
    QTest::newRow("all blank") << "..." << false;
    QTest::newRow("complete") << "10.0.0.5" << false;
    QTest::newRow("second field blank") << "10..0.5" << true;
    QTest::newRow("last field blank") << "10.0.0." << true;
}

void TestIpAddressEdit::PartlyBlankIsNeitherAnAddressNorBlank()
{
    QFETCH(QString, typed);
    QFETCH(bool, partlyBlank);
    IpAddressEdit edit;
    const QStringList fields = typed.split(QLatin1Char('.'));
    for (int i = 0; i < IpAddressEdit::kFieldCount; ++i)
        edit.field(i)->setText(fields.value(i));
    QCOMPARE(edit.isPartlyBlank(), partlyBlank);
}

void TestIpAddressEdit::SettingsDialogNamesEveryFieldForAScreenReader()
{
    // Made, not applied: nothing is sent.
    IpSettingsDialog dialog(ql5::uitest::MakeRecord({}));
    const auto name = [&](const char* object, int field = -1) {
        QWidget* widget = dialog.findChild<QWidget*>(QString::fromLatin1(object));
        if (field >= 0)
            widget = static_cast<IpAddressEdit*>(widget)->field(field);
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    };
    QCOMPARE(name("ipAddressControl", 0), QStringLiteral("IP Address, octet 1 of 4"));
    QCOMPARE(name("subnetMaskControl", 3), QStringLiteral("Subnet Mask, octet 4 of 4"));
    QCOMPARE(name("gatewayControl", 1), QStringLiteral("Default Gateway, octet 2 of 4"));
    QCOMPARE(name("passwordEdit"), QStringLiteral("Password"));
}

QTEST_MAIN(TestIpAddressEdit)
#include "tst_ipaddressedit.moc"
