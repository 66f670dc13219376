// SPDX-License-Identifier: Apache-2.0
// The reboot dialog against simulated converters in the lab: the reboot
// request, the wait for the converter to come back, Close during the wait,
// and every way in which a reboot is not carried out.
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
#include <memory>

using namespace ql5::uitest;
using namespace ql5config;
using namespace std::chrono_literals;

namespace {

// Converters by MAC: away for 1.5 s at once after a reboot; answering for
// 1 s after the acknowledgement and then away for 1.5 s; a fast restart
// (0.3 s, then 0.7 s away); never back; refusing without an error number;
// never answering a command; refusing with markup in its message; and three
// more that stay away, for closing during the wait.
const char* const kFleet = R"({"converters": [
  {"mac": "02:51:c5:02:00:01", "password": "secret", "rebootSilenceMs": 1500},
  {"mac": "02:51:c5:02:00:02", "password": "secret", "rebootDelayMs": 1000,
   "rebootSilenceMs": 1500},
  {"mac": "02:51:c5:02:00:08", "password": "secret", "rebootDelayMs": 300,
   "rebootSilenceMs": 700},
  {"mac": "02:51:c5:02:00:03", "password": "secret", "rebootSilenceMs": 600000},
  {"mac": "02:51:c5:02:00:04", "password": "secret",
   "refusal": {"result": 1, "error": 0, "message": "Locked by the front panel"}},
  {"mac": "02:51:c5:02:00:05", "misbehave": {"silentForCommands": true}},
  {"mac": "02:51:c5:02:00:06", "password": "secret",
   "refusal": {"result": 1, "error": 5, "message": "<h1>Password</h1> incorrect"}},
  {"mac": "02:51:c5:02:00:07", "password": "secret", "rebootSilenceMs": 600000},
  {"mac": "02:51:c5:02:00:09", "password": "secret", "rebootSilenceMs": 600000},
  {"mac": "02:51:c5:02:00:0a", "password": "secret", "rebootSilenceMs": 600000}
]})";

template <typename T>
T* child(const QWidget& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(found != nullptr);
    return found;
}

QString status(const RebootDialog& dialog)
{
    return child<QLabel>(dialog, "statusLabel")->text();
}

// The addressed queries for a MAC that the simulator received after the
// reboot request for it.
int queriesAfterReboot(const ql5::lab::SimulatorProcess& sim, const QString& mac)
{
    const auto target = ql5common::ParseMac(mac.toStdString()).value();
    bool rebooted = false;
    int queries = 0;
    for (const auto& datagram : sim.ReceivedDatagrams()) {
        const auto& bytes = datagram.bytes;
        if (bytes.size() < 14 || std::memcmp(&bytes[8], target.data(), 6) != 0)
            continue;
        const int type = (bytes[4] << 8) | bytes[5];
        if (type == 5)
            rebooted = true;
        else if (rebooted && type == 1)
            ++queries;
    }
    return queries;
}

// Types the password and presses Enter, which presses the default button,
// "Reboot".
void pressReboot(RebootDialog& dialog, const QString& password)
{
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* passwordEdit = child<QLineEdit>(dialog, "passwordEdit");
    passwordEdit->setFocus();
    passwordEdit->setText(password);
    QTest::keyClick(passwordEdit, Qt::Key_Return);
}

// A short wait for the tests that let it run out: room for four queries of
// 0.5 s, 0.5 s apart, and not for a fifth.
constexpr ql5common::RebootWaitTiming kShortWait{.limit = std::chrono::milliseconds(3700)};

}  // namespace

class TestRebootDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void opensWithEmptyStatusLine();
    void readyOnlyOnceTheConverterHasBeenAway_data();
    void readyOnlyOnceTheConverterHasBeenAway();
    void timedOutWhenTheConverterStaysAway();
    void rebootNotCarriedOutLeavesStatusLine_data();
    void rebootNotCarriedOutLeavesStatusLine();
    void closingDuringTheWaitStopsItAtOnce_data();
    void closingDuringTheWaitStopsItAtOnce();
    void overlongPasswordIsRefusedBeforeSending();

private:
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

void TestRebootDialog::opensWithEmptyStatusLine()
{
    RebootDialog dialog(MakeRecord({.mac = "02:51:c5:02:00:01", .productName = "QL5 Core Module"}));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Reboot Converter"));
    QCOMPARE(status(dialog), QString());
    QCOMPARE(child<QLabel>(dialog, "nameLabel")->text(), QStringLiteral("QL5 Converter"));
    QCOMPARE(child<QLabel>(dialog, "nameLabel")->textFormat(), Qt::PlainText);
    QCOMPARE(child<QLabel>(dialog, "macLabel")->text(), QStringLiteral("02:51:c5:02:00:01"));
    QVERIFY(child<QPushButton>(dialog, "rebootButton")->isDefault());

    // "Close" ends the dialog without sending anything.
    dialog.show();
    child<QPushButton>(dialog, "closeButton")->click();
    QVERIFY(!dialog.isVisible());
    QTest::qWait(300);
    QCOMPARE(sim.ReceivedDatagrams().size(), std::size_t{0});
}

void TestRebootDialog::readyOnlyOnceTheConverterHasBeenAway_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<int>("awayFrom");  // ms after the acknowledgement
    QTest::addColumn<int>("backFrom");
    QTest::newRow("away at once") << "02:51:c5:02:00:01" << 0 << 1500;
    QTest::newRow("answers for a second before it restarts") << "02:51:c5:02:00:02" << 1000 << 2500;
    QTest::newRow("fast restart") << "02:51:c5:02:00:08" << 300 << 1000;
}

void TestRebootDialog::readyOnlyOnceTheConverterHasBeenAway()
{
    QFETCH(QString, mac);
    QFETCH(int, awayFrom);
    QFETCH(int, backFrom);
    const QByteArray macText = mac.toLatin1();
    RebootDialog dialog(MakeRecord({.mac = macText.constData()}));

    // What the dialog shows while it waits, sampled on the interface thread.
    QStringList statusSeen;
    const auto sample = [&] {
        if (statusSeen.isEmpty() || statusSeen.last() != status(dialog))
            statusSeen.append(status(dialog));
    };
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, sample);
    sampler.start(20);
    ModalWatcher watcher;
    QElapsedTimer clock;
    clock.start();
    pressReboot(dialog, QStringLiteral("secret"));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isBusy(), 30000);
    const qint64 elapsed = clock.elapsed();
    sampler.stop();
    sample();

    QCOMPARE(status(dialog), QStringLiteral("Status: Ready"));
    statusSeen.removeAll(QString());
    QVERIFY2(statusSeen == (QStringList{"Status: Rebooting", "Status: Ready"}),
             qPrintable(statusSeen.join(QLatin1Char('|'))));
    QCOMPARE(watcher.messages().size(), 0);
    // Ready only once the converter is back, and at most one query period
    // (pause and reply window) after that.
    QVERIFY2(elapsed >= backFrom && elapsed < backFrom + 2500,
             qPrintable(QString::number(elapsed)));
    QVERIFY(queriesAfterReboot(sim, mac) >= (awayFrom > 0 ? 2 : 1) + 1);
    // The reboot request: MAC, then the password with its length byte.
    const auto reboots = LoggedRequests(sim, 5);
    QCOMPARE(reboots.size(), std::size_t{1});
    const auto target = ql5common::ParseMac(macText.toStdString()).value();
    std::vector<std::uint8_t> payload(target.begin(), target.end());  // target MAC
    for (const char byte : {'\x06', 's', 'e', 'c', 'r', 'e', 't'})    // password
        payload.push_back(static_cast<std::uint8_t>(byte));
    QCOMPARE(reboots.front(), Request(5, payload));
    QVERIFY(dialog.isVisible());
    QVERIFY(child<QPushButton>(dialog, "rebootButton")->isEnabled());
}

void TestRebootDialog::timedOutWhenTheConverterStaysAway()
{
    RebootDialog dialog(MakeRecord({.mac = "02:51:c5:02:00:03"}), nullptr, kShortWait);
    ModalWatcher watcher;
    QElapsedTimer clock;
    clock.start();
    pressReboot(dialog, QStringLiteral("secret"));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isBusy(), 30000);
    const qint64 elapsed = clock.elapsed();

    QCOMPARE(status(dialog), QStringLiteral("Status: Timed out"));
    QCOMPARE(queriesAfterReboot(sim, QStringLiteral("02:51:c5:02:00:03")), 4);
    QCOMPARE(watcher.messages().size(), 0);
    // Four short reply windows and three pauses, far from four times 7.5 s,
    // and within the bound.
    const auto bound = ql5common::LongestRebootWait(kShortWait);
    QVERIFY2(elapsed >= 3300 && elapsed < bound.count() + 2500,
             qPrintable(QString::number(elapsed)));
}

void TestRebootDialog::rebootNotCarriedOutLeavesStatusLine_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expected");
    QTest::newRow("error number, markup stays text")
        << "02:51:c5:02:00:06"
        << "wrong"
        << "An Error occured while rebooting the converter.\nError Number: 5\n"
           "Error Message: <h1>Password</h1> incorrect\n";
    QTest::newRow("refused without error number") << "02:51:c5:02:00:04"
                                                  << "wrong"
                                                  << "Locked by the front panel\n";
    QTest::newRow("no reply") << "02:51:c5:02:00:05"
                              << "secret" << ql5config::noReplyMessage();
}

void TestRebootDialog::rebootNotCarriedOutLeavesStatusLine()
{
    QFETCH(QString, mac);
    QFETCH(QString, password);
    QFETCH(QString, expected);
    const QByteArray macText = mac.toLatin1();
    RebootDialog dialog(MakeRecord({.mac = macText.constData()}));
    // While the command waits for its answer, the dialog refuses to close:
    // the outcome must be shown.
    bool closedWhileBusy = false;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        if (!dialog.isBusy())
            return;
        dialog.reject();
        dialog.accept();
        closedWhileBusy |= !dialog.isVisible();
    });
    closer.start(50);
    ModalWatcher watcher;
    pressReboot(dialog, password);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isBusy(), 20000);
    closer.stop();

    QVERIFY(!closedWhileBusy);
    QCOMPARE(watcher.messages().size(), 1);
    const ShownMessage& shown = watcher.messages().front();
    QCOMPARE(shown.text, expected);
    QCOMPARE(shown.format, Qt::PlainText);
    QCOMPARE(shown.owner.data(), &dialog);
    // No waiting follows, and the status line stays as it was.
    QCOMPARE(status(dialog), QString());
    QCOMPARE(queriesAfterReboot(sim, mac), 0);
    QVERIFY(dialog.isVisible());
}

void TestRebootDialog::closingDuringTheWaitStopsItAtOnce_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("mac");
    QTest::newRow("Close") << "close"
                           << "02:51:c5:02:00:07";
    QTest::newRow("Escape") << "escape"
                            << "02:51:c5:02:00:09";
    QTest::newRow("close box") << "box"
                               << "02:51:c5:02:00:0a";
}

void TestRebootDialog::closingDuringTheWaitStopsItAtOnce()
{
    QFETCH(QString, how);
    QFETCH(QString, mac);
    const QByteArray macText = mac.toLatin1();
    const int threadsBefore = ThreadCount();
    auto dialog = std::make_unique<RebootDialog>(MakeRecord({.mac = macText.constData()}));
    ModalWatcher watcher;
    pressReboot(*dialog, QStringLiteral("secret"));
    QTRY_COMPARE(status(*dialog), QStringLiteral("Status: Rebooting"));
    QTest::qWait(1300);
    QVERIFY(child<QPushButton>(*dialog, "closeButton")->isEnabled());

    QElapsedTimer clock;
    clock.start();
    if (how == QLatin1String("close"))
        child<QPushButton>(*dialog, "closeButton")->click();
    else if (how == QLatin1String("escape"))
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
    else
        dialog->close();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), 3000);
    const qint64 closing = clock.elapsed();
    const int queries = queriesAfterReboot(sim, mac);

    // At most the reply window of the query in flight, with slack for one
    // cycle of the client and a loaded machine.
    QVERIFY2(closing < 1200, qPrintable(QString::number(closing)));
    QVERIFY(!dialog->isBusy());
    QCOMPARE(watcher.messages().size(), 0);
    dialog.reset();
    QTest::qWait(1200);
    QCOMPARE(queriesAfterReboot(sim, mac), queries);
    QCOMPARE(ThreadCount(), threadsBefore);
}

void TestRebootDialog::overlongPasswordIsRefusedBeforeSending()
{
    RebootDialog dialog(MakeRecord({.mac = "02:51:c5:02:00:01"}));
    ModalWatcher watcher;
    pressReboot(dialog, QString(256, QLatin1Char('x')));

    QCOMPARE(watcher.messages().size(), 1);
    QCOMPARE(watcher.messages().front().text, ql5config::passwordTooLongMessage());
    QCOMPARE(status(dialog), QString());
    QTest::qWait(300);
    QCOMPARE(sim.ReceivedDatagrams().size(), std::size_t{0});
}

QTEST_MAIN(TestRebootDialog)
#include "tst_rebootdialog.moc"
