// SPDX-License-Identifier: Apache-2.0
// The main window in the lab: the refresh road from the searching row to the
// listed converters and the status line beneath them, the selection under
// late replies, notifications of a sweep that has ended, floods, the
// commands on the selected row, and its end during a running sweep.
#include "commandtexts.h"
#include "converterinfodialog.h"
#include "converterlistdialog.h"
#include "converterlistmodel.h"
#include "converterlistproxy.h"
#include "inventoryexport.h"
#include "ipsettingsdialog.h"
#include "rebootdialog.h"
#include "sweepnotifier.h"
#include "uitestsupport.h"

#include "network/descriptor_limit.h"
#include "support/lab_environment.h"
#include "support/simulator_process.h"

#include <ql5common/address_text.h>
#include <ql5common/converter_view.h>
#include <ql5common/inventory_formats.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <memory>
#include <sstream>
#include <utility>

using namespace ql5::uitest;
using namespace ql5config;

namespace {

// Three converters on the first network whose answers are spread over
// 900 ms, so that they reach the window over several notifications: the
// module's own product name, one that differs only in case, and one with
// markup and a forged line in its name.
const char* const kFleet = R"({"replySpreadMs": 900, "converters": [
  {"mac": "02:51:c5:03:00:01", "ip": "198.51.100.21", "name": "Packing line 1",
   "productName": "QL5 Core Module", "dhcp": 1},
  {"mac": "02:51:c5:03:00:02", "ip": "198.51.100.22", "name": "Packing line 2",
   "productName": "ql5 core module"},
  {"mac": "02:51:c5:03:00:03", "ip": "198.51.100.23", "name": "<b>Bold</b>\nIP Address: 1.2.3.4",
   "productName": "QL5 Core Module2\u202e"}
]})";

QPushButton* button(const QWidget& window, const QString& name)
{
    auto* found = window.findChild<QPushButton*>(name);
    Q_ASSERT(found != nullptr);
    return found;
}

QString label(const QWidget& window, const char* name)
{
    return window.findChild<QLabel*>(QString::fromLatin1(name))->text();
}

// Posts the sweep's notification to the window's message window, as the
// sweep thread does.
void notify(const ConverterListDialog& window, int sweep)
{
    auto* notifier = window.findChild<ql5config::SweepNotifier*>();
    QVERIFY(notifier != nullptr);
    QCOMPARE(Ql5PostWindowMessage(notifier->window(),
                                  ql5config::SweepNotifier::kRepliesWaitingMessage, 0, sweep),
             0);
}

// The list as the window shows it: sorted and filtered.
int rowCount(const ConverterListDialog& window)
{
    return window.proxy()->rowCount();
}

QString cell(const ConverterListDialog& window, int row, int column)
{
    return window.proxy()->index(row, column).data().toString();
}

void select(const ConverterListDialog& window, int row)
{
    window.list()->setCurrentIndex(window.proxy()->index(row, 0));
}

int selectedRow(const ConverterListDialog& window)
{
    const QModelIndexList selected = window.list()->selectionModel()->selectedRows();
    return selected.size() == 1 ? selected.front().row() : -1;
}

// The row that shows the text in the column, or -1.
int rowWith(const ConverterListDialog& window, const QString& text, int column)
{
    for (int row = 0; row < rowCount(window); ++row) {
        if (cell(window, row, column) == text)
            return row;
    }
    return -1;
}

const DeviceRecordExchange* recordAt(const ConverterListDialog& window, int row)
{
    return window.model()->record(window.proxy()->mapToSource(window.proxy()->index(row, 0)).row());
}

QString workstationNetwork(int link)
{
    return QStringLiteral("%1 (%2)").arg(
        QString::fromStdString(ql5::lab::WorkstationInterface(link)),
        QString::fromStdString(ql5::lab::WorkstationAddress(link)));
}

}  // namespace

class TestConverterListDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void refreshRoadListsConvertersOverSeveralNotifications();
    void lateRepliesKeepTheUsersSelection();
    void notificationOfAnEndedSweepIsIgnored();
    void floodKeepsOneRowPerConverterAndNetwork();
    void floodOfForgedMacsFillsTheListOnlyToItsLimit();
    void commandGoesOnlyToTheNetworkOfTheSelectedRow();
    void sweepThatCannotStartSaysWhy();
    void commandsWithoutSelectedConverterShowStringSeven_data();
    void commandsWithoutSelectedConverterShowStringSeven();
    void commandsOpenTheirDialogOnTheSelectedRecord_data();
    void commandsOpenTheirDialogOnTheSelectedRecord();
    void openWebInterfaceOpensTheDottedAddress_data();
    void openWebInterfaceOpensTheDottedAddress();
    void filterHidesOtherConvertersButNotTheStandInRows();
    void rowShortcutsAndContextMenuActOnTheSelectedRow();
    void exportWritesTheShapeOfQl5ctlList();
    void refreshListSearchesAgain();
    void enterOutsideTheButtonsEndsTheWindow();
    void closingDuringTheSweepLeavesNoThread();
    void controlsAndStatusLineTalkToAScreenReader();

private:
    ql5::lab::SimulatorProcess sim;
};

void TestConverterListDialog::initTestCase()
{
    QVERIFY(StartSimulator(sim, kFleet));
}

void TestConverterListDialog::refreshRoadListsConvertersOverSeveralNotifications()
{
    ConverterListDialog window;
    ConverterListDialog& list = window;
    int notifications = 0;
    connect(window.findChild<ql5config::SweepNotifier*>(),
            &ql5config::SweepNotifier::repliesWaiting, this, [&] { ++notifications; });

    // Right after initialisation only the searching row is there, with no
    // record; the sweep starts once the event loop runs.
    QCOMPARE(rowCount(list), 1);
    QCOMPARE(cell(list, 0, 0), QStringLiteral("Searching..."));
    QVERIFY(recordAt(list, 0) == nullptr);

    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(list), 3, 5000);
    QVERIFY2(notifications >= 2, qPrintable(QString::number(notifications)));

    QCOMPARE(window.proxy()->columnCount(), 4);
    const QStringList headings{"IP Address", "MAC Address", "Name", "Converter"};
    const int widths[] = {129, 110, 110, 127};
    for (int column = 0; column < 4; ++column) {
        QCOMPARE(window.proxy()->headerData(column, Qt::Horizontal).toString(),
                 headings.at(column));
        QVERIFY(window.list()->columnWidth(column) >= widths[column]);
    }

    // Converter text can neither add a line to a row nor reorder it.
    const QStringList expected[3] = {
        {"198.51.100.21", "02:51:c5:03:00:01", "Packing line 1", "QL5 Converter"},
        {"198.51.100.22", "02:51:c5:03:00:02", "Packing line 2", "ql5 core module"},
        {"198.51.100.23", "02:51:c5:03:00:03", "<b>Bold</b>\\x0aIP Address: 1.2.3.4",
         "QL5 Core Module2\\u202e"},
    };
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column)
            QCOMPARE(cell(list, row, column), expected[row].at(column));
    }
    // The row's record keeps the name as received; only the list shows the
    // substitute.
    const auto first = window.selectedRecord();
    QVERIFY(first.has_value());
    QCOMPARE(QByteArray(first->productName), QByteArray("QL5 Core Module"));
    QCOMPARE(first->dhcpMode, std::uint8_t{1});
    QCOMPARE(window.list()->currentIndex().row(), 0);

    // Beneath the list: how many converters, and where the sweep searches.
    QCOMPARE(label(window, "converterCountLabel"), QStringLiteral("3 converters found"));
    QCOMPARE(
        label(window, "searchedNetworksLabel"),
        QStringLiteral("Searching on %1 and %2").arg(workstationNetwork(1), workstationNetwork(2)));
}

void TestConverterListDialog::lateRepliesKeepTheUsersSelection()
{
    ConverterListDialog window;
    window.show();
    ConverterListDialog& list = window;
    // The first notification selects row 0, as nothing was selected.
    QTRY_VERIFY_WITH_TIMEOUT(rowCount(list) >= 2, 5000);
    QCOMPARE(window.list()->currentIndex().row(), 0);
    QVERIFY(rowCount(list) < 3);

    // The user picks the second converter; the third one's reply comes later.
    select(list, 1);
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(list), 3, 5000);
    QCOMPARE(selectedRow(list), 1);
    QCOMPARE(window.selectedRecord()->macAddress[5], std::uint8_t{2});

    // A notification while nothing is selected selects row 0 again.
    window.list()->clearSelection();
    notify(window, 1);
    QTRY_COMPARE(selectedRow(list), 0);
    QCOMPARE(rowCount(list), 3);
}

void TestConverterListDialog::notificationOfAnEndedSweepIsIgnored()
{
    ConverterListDialog window;
    window.show();
    ConverterListDialog& list = window;
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(list), 3, 5000);

    // A notification of the first sweep is still on its way when the user
    // refreshes: it must not put a nothing-found row, or old rows, above
    // the new results.
    QStringList firstRows;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] {
        const QString first = rowCount(list) > 0 ? cell(list, 0, 0) : "";
        if (firstRows.isEmpty() || firstRows.last() != first)
            firstRows.append(first);
    });
    sampler.start(5);
    notify(window, 1);
    button(window, QStringLiteral("refreshListButton"))->click();
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(list), 3, 5000);
    QTest::qWait(300);
    sampler.stop();

    QVERIFY2(!firstRows.contains(ConverterListDialog::nothingFoundText()),
             qPrintable(firstRows.join(QLatin1Char('|'))));
    QCOMPARE(rowCount(list), 3);
    QCOMPARE(cell(list, 0, 0), QStringLiteral("198.51.100.21"));
}

void TestConverterListDialog::floodKeepsOneRowPerConverterAndNetwork()
{
    // On the second network, 40 converters that repeat their reply as fast as
    // they can for 2 s, and one of the first network's converters again: the
    // same converter heard on two networks has two rows.
    ql5::lab::SimulatorProcess flood;
    QVERIFY(flood.Start(ql5::lab::ConverterNamespace(2), R"({"converters": [
      {"mac": "02:51:c5:03:00:01", "ip": "198.51.100.21", "name": "Packing line 1"}],
      "generate": {"count": 40, "macPrefix": "02:51:c5:33", "firstIp": "203.0.113.100",
                   "template": {"misbehave": {"flood": {"durationMs": 2000}}}}})"));
    ConverterListDialog window;
    window.show();
    ConverterListDialog& list = window;
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(list), 3 + 41, 5000);
    QTest::qWait(2500);

    QCOMPARE(rowCount(list), 3 + 41);
    QSet<QByteArray> keys;
    for (int row = 0; row < rowCount(list); ++row) {
        const DeviceRecordExchange& record = *recordAt(list, row);
        QByteArray key(reinterpret_cast<const char*>(record.macAddress), 6);
        key.append(reinterpret_cast<const char*>(&record.localAddress), 4);
        keys.insert(key);
    }
    QCOMPARE(keys.size(), 3 + 41);
    // 43 converters, one of them on both networks.
    QCOMPARE(label(window, "converterCountLabel"), QStringLiteral("43 converters found"));
}

void TestConverterListDialog::floodOfForgedMacsFillsTheListOnlyToItsLimit()
{
    // For 1 s, a reply with another MAC each time, as fast as the simulator
    // can send them: thousands of converters that do not exist.
    ql5::lab::SimulatorProcess flood;
    QVERIFY(flood.Start(ql5::lab::ConverterNamespace(2), R"({"converters": [
      {"mac": "02:51:c5:34:00:01", "misbehave": {"flood": {"durationMs": 1000,
                                                           "randomMacs": true}}}]})"));
    ConverterListDialog window;
    window.setRowLimit(50);
    window.show();
    ConverterListDialog& list = window;
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(list), 50, 5000);
    QTest::qWait(1500);

    // The full list takes no further converter, and says how many replies
    // it left out.
    QCOMPARE(rowCount(list), 50);
    const QString count = label(window, "converterCountLabel");
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^50 converters found; (\\d+) more replies not listed$"))
            .match(count);
    QVERIFY2(match.hasMatch() && match.captured(1).toLongLong() > 100, qPrintable(count));

    // A refresh starts from an empty list and a clean count.
    button(window, QStringLiteral("refreshListButton"))->click();
    QCOMPARE(rowCount(list), 1);
    QCOMPARE(label(window, "converterCountLabel"), QStringLiteral("No converters found"));
}

void TestConverterListDialog::commandGoesOnlyToTheNetworkOfTheSelectedRow()
{
    // The first network's converter 02:51:c5:03:00:01 is heard on the second
    // network too (the same MAC, as a converter moved between two networks
    // or an impostor would be); the user picks the second network's row.
    ql5::lab::SimulatorProcess second;
    QVERIFY(second.Start(ql5::lab::ConverterNamespace(2), R"({"converters": [
      {"mac": "02:51:c5:03:00:01", "ip": "203.0.113.21", "dhcp": 1, "password": "secret"}]})"));
    ConverterListDialog window;
    window.show();
    ConverterListDialog& list = window;
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(list), 4, 5000);
    const int found = rowWith(list, QStringLiteral("203.0.113.21"), 0);
    QVERIFY(found >= 0);
    select(list, found);
    QCOMPARE(label(window, "converterCountLabel"), QStringLiteral("3 converters found"));
    sim.ClearReceived();

    ModalWatcher watcher([](QDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("passwordEdit"))->setText("secret");
        dialog->findChild<QPushButton*>(QStringLiteral("applyButton"))->click();
        // A dialog that stays open after a failure must not hold the test.
        QTimer::singleShot(20000, dialog, &QDialog::reject);
    });
    button(window, QStringLiteral("configureIpSettingsButton"))->click();

    // The converter took DHCP, and the dialog saw it do so.
    QCOMPARE(watcher.messages().size(), 1);
    QCOMPARE(watcher.messages().front().text,
             ql5config::changeCheckMessage(ql5common::VerifyOutcome::kConfirmed));
    // The DHCP command, with its password, reached the second network only:
    // the first network heard neither the command nor a search for the MAC,
    // not even while the dialog followed the converter after it.
    QCOMPARE(LoggedRequests(second, 7).size(), std::size_t{1});
    QCOMPARE(LoggedRequests(sim, 7).size(), std::size_t{0});
    QCOMPARE(LoggedRequests(sim, 1).size(), std::size_t{0});
}

void TestConverterListDialog::sweepThatCannotStartSaysWhy()
{
    ModalWatcher watcher;
    std::unique_ptr<ConverterListDialog> window;
    {
        // One descriptor for the context's stop signal, none for the sweep's
        // sockets.
        const ql5::test::DescriptorLimit limit(1);
        QVERIFY(limit.Ok());
        window = std::make_unique<ConverterListDialog>();
        window->show();
        QTRY_VERIFY(cell(*window, 0, 0) != QStringLiteral("Searching..."));
    }
    QVERIFY2(watcher.messages().isEmpty(), qPrintable(watcher.messages().value(0).text));
    ConverterListDialog& list = *window;
    QCOMPARE(rowCount(list), 1);
    const QString reason = cell(list, 0, 0);
    // Listing the addresses fails first, as it needs a socket of its own.
    QVERIFY2(reason.startsWith(QLatin1String("Cannot search: cannot ")) &&
                 reason.contains(QLatin1String("Too many open files")),
             qPrintable(reason));
    QVERIFY(window->list()->isFirstColumnSpanned(0, {}));
    QCOMPARE(label(*window, "converterCountLabel"), QStringLiteral("No converters found"));
    QCOMPARE(label(*window, "searchedNetworksLabel"), QStringLiteral("Not searching"));
    QVERIFY(!window->selectedRecord().has_value());

    // With descriptors to spare, the next refresh searches again.
    button(*window, QStringLiteral("refreshListButton"))->click();
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(list), 3, 5000);
    QCOMPARE(cell(list, 0, 0), QStringLiteral("198.51.100.21"));
}

void TestConverterListDialog::commandsWithoutSelectedConverterShowStringSeven_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("searchingRowSelected");
    for (const char* name : {"openWebInterfaceButton", "configureIpSettingsButton",
                             "converterInfoButton", "rebootConverterButton"}) {
        QTest::addRow("%s, nothing selected", name) << QString::fromLatin1(name) << false;
        QTest::addRow("%s, searching row selected", name) << QString::fromLatin1(name) << true;
    }
}

void TestConverterListDialog::commandsWithoutSelectedConverterShowStringSeven()
{
    QFETCH(QString, button);
    QFETCH(bool, searchingRowSelected);
    ConverterListDialog window;
    ConverterListDialog& list = window;
    if (searchingRowSelected)
        select(list, 0);
    else
        window.list()->clearSelection();
    bool opened = false;
    window.setUrlOpener([&](const QUrl&) { return opened = true; });

    ModalWatcher watcher([](QDialog* dialog) {
        QFAIL("no dialog may open");
        dialog->reject();
    });
    // The click comes before the event loop has run, so the sweep cannot
    // have delivered a converter yet.
    ::button(window, button)->click();

    QCOMPARE(watcher.messages().size(), 1);
    const ShownMessage& shown = watcher.messages().front();
    QCOMPARE(shown.text, QStringLiteral("No QL5 was selected on list !"));
    QCOMPARE(shown.title, QFileInfo(QCoreApplication::applicationFilePath()).baseName());
    QCOMPARE(shown.icon, QMessageBox::NoIcon);
    QCOMPARE(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(shown.format, Qt::PlainText);
    QCOMPARE(shown.owner.data(), &window);
    QVERIFY(!opened);
}

void TestConverterListDialog::commandsOpenTheirDialogOnTheSelectedRecord_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("dialogClass");
    QTest::newRow("ip settings") << "configureIpSettingsButton"
                                 << "ql5config::IpSettingsDialog";
    QTest::newRow("reboot") << "rebootConverterButton"
                            << "ql5config::RebootDialog";
    QTest::newRow("information") << "converterInfoButton"
                                 << "ql5config::ConverterInfoDialog";
}

void TestConverterListDialog::commandsOpenTheirDialogOnTheSelectedRecord()
{
    QFETCH(QString, button);
    QFETCH(QString, dialogClass);
    ConverterListDialog window;
    window.show();
    ConverterListDialog& list = window;
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(list), 3, 5000);
    select(list, 1);

    QString opened;
    QString macShown;
    QWidget* parent = nullptr;
    ModalWatcher watcher([&](QDialog* dialog) {
        opened = QString::fromLatin1(dialog->metaObject()->className());
        parent = dialog->parentWidget();
        if (auto* info = qobject_cast<ConverterInfoDialog*>(dialog))
            macShown = info->details().section(QLatin1Char('\n'), 1, 1);
        else
            macShown = dialog->findChild<QLabel*>(QStringLiteral("macLabel"))->text();
        dialog->reject();
    });
    ::button(window, button)->click();

    QCOMPARE(opened, dialogClass);
    QVERIFY2(macShown.endsWith(QLatin1String("02:51:c5:03:00:02")), qPrintable(macShown));
    QCOMPARE(parent, &window);
    QCOMPARE(watcher.messages().size(), 0);
    // The list is not refreshed afterwards.
    QCOMPARE(rowCount(list), 3);
}

void TestConverterListDialog::openWebInterfaceOpensTheDottedAddress_data()
{
    QTest::addColumn<bool>("browserStarts");
    QTest::newRow("browser starts") << true;
    QTest::newRow("no browser") << false;
}

void TestConverterListDialog::openWebInterfaceOpensTheDottedAddress()
{
    QFETCH(bool, browserStarts);
    ConverterListDialog window;
    QList<QUrl> opened;
    window.setUrlOpener([&](const QUrl& url) {
        opened.append(url);
        return browserStarts;
    });
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(window), 3, 5000);

    ModalWatcher watcher;
    button(window, QStringLiteral("openWebInterfaceButton"))->click();

    QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("http://198.51.100.21"))});
    QCOMPARE(opened.front().toString(), QStringLiteral("http://198.51.100.21"));
    // Where no browser starts, the address is shown for the user to copy.
    QCOMPARE(watcher.messages().size(), browserStarts ? 0 : 1);
    if (!browserStarts) {
        const ShownMessage& shown = watcher.messages().front();
        QVERIFY2(shown.text.contains(QLatin1String("\nhttp://198.51.100.21\n")),
                 qPrintable(shown.text));
        QVERIFY(shown.interaction.testFlag(Qt::TextSelectableByMouse));
    }
}

void TestConverterListDialog::filterHidesOtherConvertersButNotTheStandInRows()
{
    ConverterListDialog window;
    ConverterListDialog& list = window;
    emit window.findChild<ql5config::SweepNotifier*>()->repliesWaiting(1);
    window.show();
    // Ctrl+F goes to the filter box; a filter typed before the replies come
    // applies to them too.
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
    auto* filter = window.findChild<QLineEdit*>(QStringLiteral("filterEdit"));
    QVERIFY(filter->hasFocus());
    QTest::keyClicks(filter, QStringLiteral("PACKING"));
    QTRY_COMPARE_WITH_TIMEOUT(window.model()->rowCount(), 1 + 3, 5000);

    QCOMPARE(cell(list, 0, 0), ConverterListDialog::nothingFoundText());
    QCOMPARE(rowCount(list), 1 + 2);
    QCOMPARE(label(window, "converterCountLabel"),
             QStringLiteral("3 converters found; 2 rows match the filter"));

    // A filter that hides the selected converter takes the selection away
    // from it, so that no command acts on a row the user cannot see.
    select(list, 2);
    QCOMPARE(window.selectedRecord()->macAddress[5], std::uint8_t{2});
    filter->setText(QStringLiteral("line 1"));
    QCOMPARE(rowCount(list), 1 + 1);
    QVERIFY(window.selectedRecord().has_value());
    QCOMPARE(window.selectedRecord()->macAddress[5], std::uint8_t{1});
}

void TestConverterListDialog::rowShortcutsAndContextMenuActOnTheSelectedRow()
{
    ConverterListDialog window;
    window.show();
    ConverterListDialog& list = window;
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(list), 3, 5000);
    select(list, 1);

    // Ctrl+C in the list: the selected row as tab-separated text.
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.list()->setFocus();
    QTest::keyClick(window.list(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("198.51.100.22\t02:51:c5:03:00:02\tPacking line 2\tql5 core module\n"));

    // The context menu holds the buttons' commands; its entries and a
    // double click open the dialogs on the selected row.
    std::unique_ptr<QMenu> menu(window.createContextMenu());
    QStringList entries;
    for (QAction* action : menu->actions())
        entries.append(action->text());
    QCOMPARE(entries, (QStringList{"&Open Web Interface", "&Configure IP Settings",
                                   "Converter &Info", "Re&boot Converter", "", "&Copy",
                                   "&Export List...", QStringLiteral("Add addresses…")}));
    QStringList opened;
    ModalWatcher watcher([&](QDialog* dialog) {
        opened.append(QString::fromLatin1(dialog->metaObject()->className()));
        dialog->reject();
    });
    // The offscreen platform turns no synthetic click pair into a double
    // click, so the list's own signal stands for it.
    emit window.list()->doubleClicked(window.proxy()->index(1, 2));
    QTRY_COMPARE(opened, QStringList{"ql5config::ConverterInfoDialog"});
    menu->actions().at(3)->trigger();
    QTRY_COMPARE(opened,
                 (QStringList{"ql5config::ConverterInfoDialog", "ql5config::RebootDialog"}));

    // The keyboard opens the row's menu too: the Menu key and Shift+F10.
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
        window.list()->setFocus();
        QTest::keyClick(window.list(), key, modifiers);
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
        QApplication::activePopupWidget()->close();
    }
}

void TestConverterListDialog::refreshListSearchesAgain()
{
    ConverterListDialog window;
    window.show();
    ConverterListDialog& list = window;
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(list), 3, 5000);
    sim.ClearReceived();

    button(window, QStringLiteral("refreshListButton"))->click();

    QCOMPARE(rowCount(list), 1);
    QCOMPARE(cell(list, 0, 0), QStringLiteral("Searching..."));
    QCOMPARE(label(window, "converterCountLabel"), QStringLiteral("No converters found"));
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(list), 3, 5000);
    QCOMPARE(cell(list, 0, 0), QStringLiteral("198.51.100.21"));
    // A new sweep went out: a discovery request for every converter.
    const auto requests = LoggedRequests(sim, 1);
    QVERIFY(!requests.empty());
    QCOMPARE(requests.front(), Request(1, {0xff, 0xff, 0xff, 0xff, 0xff, 0xff}));
}

void TestConverterListDialog::enterOutsideTheButtonsEndsTheWindow()
{
    ConverterListDialog window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.list()->setFocus();
    QTest::keyClick(window.list(), Qt::Key_Return);
    QVERIFY(!window.isVisible());
}

void TestConverterListDialog::closingDuringTheSweepLeavesNoThread()
{
    const int threadsBefore = ThreadCount();
    auto window = std::make_unique<ConverterListDialog>();
    window->show();
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(*window), 3, 5000);
    // The sweep goes on listening until the window ends.
    QCOMPARE(ThreadCount(), threadsBefore + 1);

    // A notification still on its way must not reach a window that is gone.
    notify(*window, 1);
    window->close();
    QVERIFY(!window->isVisible());
    window.reset();
    QCoreApplication::processEvents();

    QCOMPARE(ThreadCount(), threadsBefore);
}

void TestConverterListDialog::exportWritesTheShapeOfQl5ctlList()
{
    ConverterListDialog window;
    window.show();
    ConverterListDialog& list = window;
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(list), 3, 5000);

    // Ctrl+S, the JSON filter, and a name without suffix.
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    ModalWatcher watcher([&](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        QVERIFY(files != nullptr);
        files->selectNameFilter(QStringLiteral("JSON files (*.json)"));
        emit files->filterSelected(QStringLiteral("JSON files (*.json)"));
        // The name is typed into the name field: selectFile leaves that field
        // alone once it has the focus, which it gets when the dialog becomes
        // active, and on a loaded machine that can happen before this runs.
        auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name != nullptr);
        name->setText(directory.filePath(QStringLiteral("plant")));
        dialog->accept();  // QFileDialog::accept, which checks the name
    });
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    QFile saved(directory.filePath(QStringLiteral("plant.json")));
    QTRY_VERIFY(saved.exists());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray written = saved.readAll();

    // Exactly what ql5ctl's writer makes of the same records.
    std::vector<ql5common::ConverterView> views;
    for (int row = 0; row < 3; ++row) {
        views.push_back(
            ql5common::MakeConverterView(*recordAt(list, row), ql5::lab::WorkstationInterface(1)));
    }
    std::ostringstream expected;
    ql5common::WriteListJson(expected, views);
    QCOMPARE(written, QByteArray::fromStdString(expected.str()));
    const QJsonArray converters =
        QJsonDocument::fromJson(written).object().value(QStringLiteral("converters")).toArray();
    QCOMPARE(converters.size(), 3);
    QCOMPARE(converters.at(2).toObject().value(QStringLiteral("mac")).toString(),
             QStringLiteral("02:51:c5:03:00:03"));
}

void TestConverterListDialog::controlsAndStatusLineTalkToAScreenReader()
{
    ConverterListDialog window;
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(rowCount(window), 3, 5000);

    const auto name = [](QObject* object) {
        return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
    };
    auto* filter = window.findChild<QLineEdit*>(QStringLiteral("filterEdit"));
    QCOMPARE(name(window.list()), QStringLiteral("List of Converters"));
    QCOMPARE(name(filter), QStringLiteral("Filter"));
    const auto clearButtons = filter->findChildren<QToolButton*>();
    QVERIFY(!clearButtons.isEmpty());
    QCOMPARE(name(clearButtons.front()), QStringLiteral("Clear the filter"));
    // The status line is read by its text; its changes are announced
    // through QAccessible::updateAccessibility, which the offscreen platform,
    // having no accessibility bridge, does not deliver.
    QCOMPARE(name(window.findChild<QLabel*>(QStringLiteral("converterCountLabel"))),
             QStringLiteral("3 converters found"));
}

QTEST_MAIN(TestConverterListDialog)
#include "tst_converterlistdialog.moc"
