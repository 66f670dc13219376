// The messages about a converter's answer in the cases that the lab cannot
// produce: a context that could not be opened (status code -1) and message
// texts that look like places to fill. The lab tests of the two dialogs check
// the messages for real answers.
#include "commandtexts.h"

#include <QTest>

using namespace ql5;

class TestCommandTexts : public QObject
{
    Q_OBJECT

private slots:
    void MessagesShowCodeAndTextAsGiven_data();
    void MessagesShowCodeAndTextAsGiven();
};

void TestCommandTexts::MessagesShowCodeAndTextAsGiven_data()
{
    QTest::addColumn<bool>("reboot");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("setting without context")
        << false << -1 << ""
        << "An Error occured while setting the converter.\nError Number: -1\nError Message: \n";
    QTest::newRow("reboot without context")
        << true << -1 << ""
        << "An Error occured while rebooting the converter.\nError Number: -1\nError Message: \n";
    QTest::newRow("setting, places stay text")
        << false << 7 << "%1 %2"
        << "An Error occured while setting the converter.\nError Number: 7\nError Message: %1 %2\n";
    QTest::newRow("reboot, places stay text")
        << true << 7 << "%1"
        << "An Error occured while rebooting the converter.\nError Number: 7\nError Message: %1\n";
}

void TestCommandTexts::MessagesShowCodeAndTextAsGiven()
{
    QFETCH(bool, reboot);
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(reboot ? RebootResultMessage(-1, code, text) : SettingResultMessage(code, text),
             expected);
}

QTEST_GUILESS_MAIN(TestCommandTexts)
#include "tst_commandtexts.moc"
