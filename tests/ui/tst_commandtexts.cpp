// The messages that the command dialogs show about a converter's answer.
#include "commandtexts.h"

#include <QTest>

using namespace ql5;

class TestCommandTexts : public QObject
{
    Q_OBJECT

private slots:
    void SettingResultMessage_data();
    void SettingResultMessage();
    void RebootResultMessageNeverClaimsSuccess_data();
    void RebootResultMessageNeverClaimsSuccess();
    void PasswordBytesAreUtf8();
};

void TestCommandTexts::SettingResultMessage_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("error number")
        << 5 << "Password incorrect"
        << "An Error occured while setting the converter.\nError Number: 5\nError Message: Password incorrect\n";
    QTest::newRow("no context") << -1 << ""
                                << "An Error occured while setting the converter.\nError Number: -1\nError Message: \n";
    QTest::newRow("refusal without number") << 0 << "Locked" << "Locked\n";
    QTest::newRow("place holders stay text")
        << 7 << "%1 %2" << "An Error occured while setting the converter.\nError Number: 7\nError Message: %1 %2\n";
}

void TestCommandTexts::SettingResultMessage()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ql5::SettingResultMessage(code, text), expected);
}

void TestCommandTexts::RebootResultMessageNeverClaimsSuccess_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("error number")
        << 1 << 5 << "Password incorrect"
        << "An Error occured while rebooting the converter.\nError Number: 5\nError Message: Password incorrect\n";
    QTest::newRow("no context")
        << -1 << -1 << "" << "An Error occured while rebooting the converter.\nError Number: -1\nError Message: \n";
    QTest::newRow("no reply") << -1 << 0 << "Operation Successful" << NoReplyMessage();
    QTest::newRow("refusal without number")
        << 1 << 0 << "Locked by the front panel" << "The converter refused to reboot.\nMessage: Locked by the front panel\n";
}

void TestCommandTexts::RebootResultMessageNeverClaimsSuccess()
{
    QFETCH(int, result);
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QString message = RebootResultMessage(result, code, text);
    QCOMPARE(message, expected);
    QVERIFY(!message.contains(QLatin1String("successful"), Qt::CaseInsensitive));
}

void TestCommandTexts::PasswordBytesAreUtf8()
{
    QCOMPARE(PasswordBytes(QStringLiteral(u"zażółć")), QByteArray("za\xc5\xbc\xc3\xb3\xc5\x82\xc4\x87"));
    QCOMPARE(PasswordBytes(QString(128, QChar(0xe9))).size(), 256);
}

QTEST_GUILESS_MAIN(TestCommandTexts)
#include "tst_commandtexts.moc"
