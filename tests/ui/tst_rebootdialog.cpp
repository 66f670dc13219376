// The reboot dialog against simulated converters in the lab: the reboot
// request, the wait for the converter to answer again, and every way in
// which a reboot is not carried out.
#include "commandtexts.h"
#include "rebootdialog.h"
#include "uitestsupport.h"

#include "support/simulator_process.h"

#include <ql5common/address_text.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstring>

using namespace ql5::uitest;
using namespace std::chrono_literals;

namespace {

// Converters by MAC: back at once after a reboot; back after 3 s, so that
// the first query goes unanswered; never back; refusing without an error
// number; never answering a command; refusing with markup in its message;
// and one more that stays away, for the quit test.
const char* const kFleet = R"({"converters": [
  {"mac": "02:51:c5:02:00:01", "password": "secret"},
  {"mac": "02:51:c5:02:00:02", "password": "secret", "rebootSilenceMs": 3000},
  {"mac": "02:51:c5:02:00:03", "password": "secret", "rebootSilenceMs": 600000},
  {"mac": "02:51:c5:02:00:04", "password": "secret",
   "refusal": {"result": 1, "error": 0, "message": "Locked by the front panel"}},
  {"mac": "02:51:c5:02:00:05", "misbehave": {"silentForCommands": true}},
  {"mac": "02:51:c5:02:00:06", "password": "secret",
   "refusal": {"result": 1, "error": 5, "message": "<h1>Password</h1> incorrect"}},
  {"mac": "02:51:c5:02:00:07", "password": "secret", "rebootSilenceMs": 600000}
]})";

template <typename T>
T* Child(const QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(child != nullptr);
    return child;
}

// The addressed queries for a MAC that the simulator received after the
// reboot request for it.
int QueriesAfterReboot(const ql5::lab::SimulatorProcess& sim, const char* mac)
{
    const auto target = ql5common::ParseMac(mac).value();
    bool rebooted = false;
    int queries = 0;
    for (const auto& datagram : sim.ReceivedDatagrams()) {
        const auto& bytes = datagram.bytes;
        if (bytes.size() < 14)
            continue;
        const int type = (bytes[4] << 8) | bytes[5];
        if (type == 5 && std::memcmp(&bytes[8], target.data(), 6) == 0)
            rebooted = true;
        else if (rebooted && type == 1 && std::memcmp(&bytes[8], target.data(), 6) == 0)
            ++queries;
    }
    return queries;
}

}  // namespace

class TestRebootDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void OpensWithEmptyStatusLine();
    void NameLabelShowsConverterTextAsPlainText();
    void ReadyWhenTheFirstQueryIsAnswered();
    void ReadyAfterAnUnansweredQuery();
    void TimedOutWhenTheConverterStaysAway();
    void RebootNotCarriedOutLeavesStatusLine_data();
    void RebootNotCarriedOutLeavesStatusLine();
    void OverlongPasswordIsRefusedBeforeSending();
    // Runs last: it tells the application to quit.
    void QuitDuringTheWaitLeavesNoThread();

private:
    // Presses Reboot and returns how long the dialog was busy, in ms.
    qint64 Reboot(RebootDialog& dialog, const QString& password);

    ql5::lab::SimulatorProcess sim;
};

void TestRebootDialog::initTestCase()
{
    QVERIFY(StartSimulator(sim, kFleet));
}

void TestRebootDialog::init()
{
    sim.ClearReceived();
}

qint64 TestRebootDialog::Reboot(RebootDialog& dialog, const QString& password)
{
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return -1;
    auto* passwordEdit = Child<QLineEdit>(dialog, "passwordEdit");
    passwordEdit->setFocus();
    QTest::keyClicks(passwordEdit, password);
    QElapsedTimer clock;
    clock.start();
    // Enter in the password box presses the default button, "Reboot".
    QTest::keyClick(passwordEdit, Qt::Key_Return);
    return clock.elapsed();
}

void TestRebootDialog::OpensWithEmptyStatusLine()
{
    DeviceRecordExchange record =
        MakeRecord({.mac = "02:51:c5:02:00:01", .productName = "Digi Connect ME"});
    RebootDialog dialog(&record);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Reboot Converter"));
    QCOMPARE(Child<QLabel>(dialog, "statusLabel")->text(), QString());
    QCOMPARE(Child<QLabel>(dialog, "nameLabel")->text(), QStringLiteral("QL5 Converter"));
    QCOMPARE(Child<QLabel>(dialog, "macLabel")->text(), QStringLiteral("02:51:c5:02:00:01"));
    QCOMPARE(QByteArray(record.productName), QByteArray("QL5 Converter"));
    QVERIFY(Child<QPushButton>(dialog, "rebootButton")->isDefault());

    // "Close" ends the dialog without sending anything.
    dialog.show();
    Child<QPushButton>(dialog, "closeButton")->click();
    QVERIFY(!dialog.isVisible());
    QTest::qWait(300);
    QCOMPARE(sim.ReceivedDatagrams().size(), std::size_t{0});
}

void TestRebootDialog::NameLabelShowsConverterTextAsPlainText()
{
    const char* markup = "<b>x</b><img src=\"file:///etc/passwd\">&amp;";
    DeviceRecordExchange record = MakeRecord({.productName = markup});
    RebootDialog dialog(&record);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* name = Child<QLabel>(dialog, "nameLabel");
    QCOMPARE(name->textFormat(), Qt::PlainText);
    QCOMPARE(name->text(), QString::fromUtf8(markup));
    // Shown literally, the tags take room on the screen; as markup they would
    // shrink to a bold "x" and an image.
    QVERIFY(name->sizeHint().width() >=
            name->fontMetrics().horizontalAdvance(QString::fromUtf8(markup)));
}

void TestRebootDialog::ReadyWhenTheFirstQueryIsAnswered()
{
    DeviceRecordExchange record = MakeRecord({.mac = "02:51:c5:02:00:01"});
    // A long pause shows that none was taken.
    RebootDialog dialog(&record, nullptr, RebootPolling{.pause = 5s, .furtherPolls = 3});
    ModalWatcher watcher;
    const qint64 elapsed = Reboot(dialog, QStringLiteral("secret"));

    QVERIFY2(elapsed < 4000, qPrintable(QString::number(elapsed)));
    QCOMPARE(Child<QLabel>(dialog, "statusLabel")->text(), QStringLiteral("Status: Ready"));
    QCOMPARE(watcher.messages().size(), 0);
    QCOMPARE(QueriesAfterReboot(sim, "02:51:c5:02:00:01"), 1);
    // The reboot request: MAC, then the password with its length byte.
    const auto reboots = LoggedRequests(sim, 5);
    QCOMPARE(reboots.size(), std::size_t{1});
    QCOMPARE(reboots.front(), Request(5, {0x02, 0x51, 0xc5, 0x02, 0x00, 0x01,  // target MAC
                                          6, 's', 'e', 'c', 'r', 'e', 't'}));  // password
    QVERIFY(dialog.isVisible());
}

void TestRebootDialog::ReadyAfterAnUnansweredQuery()
{
    DeviceRecordExchange record = MakeRecord({.mac = "02:51:c5:02:00:02"});
    RebootDialog dialog(&record, nullptr, RebootPolling{.pause = 100ms, .furtherPolls = 3});

    // What the dialog shows while it waits, sampled on the interface thread.
    QStringList statusSeen;
    bool inputsEnabledWhileBusy = false;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] {
        const QString status = Child<QLabel>(dialog, "statusLabel")->text();
        if (statusSeen.isEmpty() || statusSeen.last() != status)
            statusSeen.append(status);
        if (dialog.isBusy()) {
            inputsEnabledWhileBusy |= Child<QPushButton>(dialog, "rebootButton")->isEnabled() ||
                                      Child<QPushButton>(dialog, "closeButton")->isEnabled();
            // Neither Close nor Escape ends the dialog during the wait.
            dialog.accept();
            dialog.reject();
        }
    });
    sampler.start(100);
    ModalWatcher watcher;
    const qint64 elapsed = Reboot(dialog, QStringLiteral("secret"));
    sampler.stop();

    // One unanswered query (7.5 s), one pause, one answered query.
    QVERIFY2(elapsed >= 7500 && elapsed < 11000, qPrintable(QString::number(elapsed)));
    QCOMPARE(Child<QLabel>(dialog, "statusLabel")->text(), QStringLiteral("Status: Ready"));
    QCOMPARE(QueriesAfterReboot(sim, "02:51:c5:02:00:02"), 2);
    QVERIFY(statusSeen.contains(QStringLiteral("Status: Rebooting")));
    QVERIFY(!inputsEnabledWhileBusy);
    QVERIFY(dialog.isVisible());
    QVERIFY(Child<QPushButton>(dialog, "rebootButton")->isEnabled());
    QCOMPARE(watcher.messages().size(), 0);
}

void TestRebootDialog::TimedOutWhenTheConverterStaysAway()
{
    DeviceRecordExchange record = MakeRecord({.mac = "02:51:c5:02:00:03"});
    RebootDialog dialog(&record, nullptr, RebootPolling{.pause = 100ms, .furtherPolls = 1});
    ModalWatcher watcher;
    const qint64 elapsed = Reboot(dialog, QStringLiteral("secret"));

    // The first query and one further query, 7.5 s each.
    QVERIFY2(elapsed >= 15000 && elapsed < 19000, qPrintable(QString::number(elapsed)));
    QCOMPARE(Child<QLabel>(dialog, "statusLabel")->text(), QStringLiteral("Status: Timed out"));
    QCOMPARE(QueriesAfterReboot(sim, "02:51:c5:02:00:03"), 2);
    QCOMPARE(watcher.messages().size(), 0);
}

void TestRebootDialog::RebootNotCarriedOutLeavesStatusLine_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expected");
    QTest::newRow("error number, markup stays text")
        << "02:51:c5:02:00:06"
        << "wrong"
        << "An Error occured while rebooting the converter.\nError Number: 5\n"
           "Error Message: <h1>Password</h1> incorrect\n";
    QTest::newRow("refused without error number")
        << "02:51:c5:02:00:04"
        << "wrong"
        << "The converter refused to reboot.\nMessage: Locked by the front panel\n";
    QTest::newRow("no reply") << "02:51:c5:02:00:05"
                              << "secret" << ql5::NoReplyMessage();
}

void TestRebootDialog::RebootNotCarriedOutLeavesStatusLine()
{
    QFETCH(QString, mac);
    QFETCH(QString, password);
    QFETCH(QString, expected);
    const QByteArray macText = mac.toLatin1();
    DeviceRecordExchange record = MakeRecord({.mac = macText.constData()});
    RebootDialog dialog(&record, nullptr, RebootPolling{.pause = 100ms, .furtherPolls = 1});
    ModalWatcher watcher;
    Reboot(dialog, password);

    QCOMPARE(watcher.messages().size(), 1);
    const ShownMessage& shown = watcher.messages().front();
    QCOMPARE(shown.text, expected);
    QVERIFY(!shown.text.contains(QLatin1String("successful"), Qt::CaseInsensitive));
    QCOMPARE(shown.format, Qt::PlainText);
    QCOMPARE(shown.icon, QMessageBox::NoIcon);
    QCOMPARE(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(shown.owner.data(), &dialog);
    // No waiting follows, and the status line stays as it was.
    QCOMPARE(Child<QLabel>(dialog, "statusLabel")->text(), QString());
    QCOMPARE(QueriesAfterReboot(sim, macText.constData()), 0);
    QVERIFY(dialog.isVisible());
}

void TestRebootDialog::OverlongPasswordIsRefusedBeforeSending()
{
    DeviceRecordExchange record = MakeRecord({.mac = "02:51:c5:02:00:01"});
    RebootDialog dialog(&record);
    ModalWatcher watcher;
    Reboot(dialog, QString(256, QLatin1Char('x')));

    QCOMPARE(watcher.messages().size(), 1);
    QCOMPARE(watcher.messages().front().text, ql5::PasswordTooLongMessage());
    QCOMPARE(Child<QLabel>(dialog, "statusLabel")->text(), QString());
    QTest::qWait(300);
    QCOMPARE(sim.ReceivedDatagrams().size(), std::size_t{0});
}

void TestRebootDialog::QuitDuringTheWaitLeavesNoThread()
{
    const int threadsBefore = ThreadCount();
    DeviceRecordExchange record = MakeRecord({.mac = "02:51:c5:02:00:07"});
    RebootDialog dialog(&record, nullptr, RebootPolling{.pause = 100ms, .furtherPolls = 40});
    // A second into the first unanswered query, the application is told to
    // leave its event loops.
    QTimer::singleShot(1000, qApp, [] { QCoreApplication::exit(0); });
    ModalWatcher watcher;
    const qint64 elapsed = Reboot(dialog, QStringLiteral("secret"));

    // The query that runs is waited for; no further query is sent and
    // nothing is shown.
    QVERIFY2(elapsed < 9500, qPrintable(QString::number(elapsed)));
    QCOMPARE(QueriesAfterReboot(sim, "02:51:c5:02:00:07"), 1);
    QCOMPARE(watcher.messages().size(), 0);
    QCOMPARE(Child<QLabel>(dialog, "statusLabel")->text(), QStringLiteral("Status: Rebooting"));
    QVERIFY(!dialog.isBusy());
    QCOMPARE(ThreadCount(), threadsBefore);

    // Entering and leaving the application's loop lets event loops run
    // again, for whatever QtTest does after this.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

QTEST_MAIN(TestRebootDialog)
#include "tst_rebootdialog.moc"
