// The main window in the lab: the refresh road from the searching row to the
// listed converters, the commands on the selected row, and its end during a
// running sweep.
#include "converterinfodialog.h"
#include "converterlistdialog.h"
#include "ipsettingsdialog.h"
#include "rebootdialog.h"
#include "uitestsupport.h"
#include "windowmessages.h"

#include "support/simulator_process.h"

#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include <memory>

using namespace ql5::uitest;

namespace {

// Three converters whose answers are spread over 900 ms, so that they reach
// the window over several notifications: the module's own product name, one
// that differs only in case, and one with markup in its name.
const char* const kFleet = R"({"replySpreadMs": 900, "converters": [
  {"mac": "02:51:c5:03:00:01", "ip": "198.51.100.21", "name": "Packing line 1",
   "productName": "Digi Connect ME", "dhcp": 1},
  {"mac": "02:51:c5:03:00:02", "ip": "198.51.100.22", "name": "Packing line 2",
   "productName": "digi connect me"},
  {"mac": "02:51:c5:03:00:03", "ip": "198.51.100.23", "name": "<b>Bold</b><img src=x>",
   "productName": "Digi Connect ME2"}
]})";

// Counts the sweep's notifications that reach a window.
class NotificationCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == ql5::WindowMessageEvent::EventType() &&
            static_cast<ql5::WindowMessageEvent*>(event)->message() == ql5::WM_APP_REPLIES_WAITING)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

QPushButton* Button(const QWidget& window, const QString& name)
{
    auto* button = window.findChild<QPushButton*>(name);
    Q_ASSERT(button != nullptr);
    return button;
}

void Notify(ConverterListDialog& window)
{
    ql5::WindowMessageEvent event(ql5::WM_APP_REPLIES_WAITING, 0, 0);
    QCoreApplication::sendEvent(&window, &event);
}

}  // namespace

class TestConverterListDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void RefreshRoadListsConvertersOverSeveralNotifications();
    void NotificationWithEmptyQueueSelectsRowZeroAgain();
    void NothingFoundRowStaysAboveLaterRows();
    void CommandsWithoutSelectedConverterShowStringSeven_data();
    void CommandsWithoutSelectedConverterShowStringSeven();
    void CommandsOpenTheirDialogOnTheSelectedRecord_data();
    void CommandsOpenTheirDialogOnTheSelectedRecord();
    void OpenWebInterfaceOpensTheDottedAddress();
    void RefreshListSearchesAgain();
    void EnterOutsideTheButtonsEndsTheWindow();
    void ClosingDuringTheSweepLeavesNoThread();

private:
    ql5::lab::SimulatorProcess sim;
};

void TestConverterListDialog::initTestCase()
{
    QVERIFY(StartSimulator(sim, kFleet));
}

void TestConverterListDialog::RefreshRoadListsConvertersOverSeveralNotifications()
{
    ConverterListDialog window;
    NotificationCounter notifications;
    window.installEventFilter(&notifications);
    QTreeWidget* list = window.list();

    // Right after initialisation only the searching row is there, with no
    // record; the sweep starts once the event loop runs.
    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Searching..."));
    QCOMPARE(static_cast<ConverterRow*>(list->topLevelItem(0))->record(), nullptr);

    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(list->topLevelItemCount(), 3, 5000);
    QVERIFY2(notifications.count >= 2, qPrintable(QString::number(notifications.count)));

    QCOMPARE(list->columnCount(), 4);
    const QStringList headings{"IP Address", "MAC Address", "Name", "Converter"};
    const int widths[] = {129, 110, 110, 127};
    for (int column = 0; column < 4; ++column) {
        QCOMPARE(list->headerItem()->text(column), headings.at(column));
        QVERIFY(list->columnWidth(column) >= widths[column]);
    }

    const QStringList expected[3] = {
        {"198.51.100.21", "02:51:c5:03:00:01", "Packing line 1", "QL5 Converter"},
        {"198.51.100.22", "02:51:c5:03:00:02", "Packing line 2", "digi connect me"},
        {"198.51.100.23", "02:51:c5:03:00:03", "<b>Bold</b><img src=x>", "Digi Connect ME2"},
    };
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column)
            QCOMPARE(list->topLevelItem(row)->text(column), expected[row].at(column));
    }
    // The row's copy keeps the name as received; only the list shows the
    // substitute.
    const DeviceRecordExchange* first = static_cast<ConverterRow*>(list->topLevelItem(0))->record();
    QVERIFY(first != nullptr);
    QCOMPARE(QByteArray(first->productName), QByteArray("Digi Connect ME"));
    QCOMPARE(first->dhcpMode, std::uint8_t{1});

    QCOMPARE(list->currentItem(), list->topLevelItem(0));
    QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem*>{list->topLevelItem(0)});
    QCOMPARE(window.SelectedRecord(), first);
}

void TestConverterListDialog::NotificationWithEmptyQueueSelectsRowZeroAgain()
{
    ConverterListDialog window;
    window.show();
    QTreeWidget* list = window.list();
    QTRY_COMPARE_WITH_TIMEOUT(list->topLevelItemCount(), 3, 5000);
    // Let the last notification of the sweep pass before choosing a row.
    QTest::qWait(400);
    list->setCurrentItem(list->topLevelItem(2));

    Notify(window);

    QCOMPARE(list->topLevelItemCount(), 3);
    QCOMPARE(list->currentItem(), list->topLevelItem(0));
}

void TestConverterListDialog::NothingFoundRowStaysAboveLaterRows()
{
    ConverterListDialog window;
    QTreeWidget* list = window.list();
    // A notification that finds the queue empty while the searching row is
    // shown; the sweep has not even started yet.
    Notify(window);
    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral(u"Nie znaleziono urządzeń"));
    QCOMPARE(static_cast<ConverterRow*>(list->topLevelItem(0))->record(), nullptr);

    // The converters that answer later are appended below it, and row 0, the
    // nothing-found row, is selected: no converter is.
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(list->topLevelItemCount(), 4, 5000);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral(u"Nie znaleziono urządzeń"));
    QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("198.51.100.21"));
    QCOMPARE(list->currentItem(), list->topLevelItem(0));
    QCOMPARE(window.SelectedRecord(), nullptr);

    ModalWatcher watcher;
    Button(window, QStringLiteral("converterInfoButton"))->click();
    QCOMPARE(watcher.messages().size(), 1);
    QCOMPARE(watcher.messages().front().text, QStringLiteral("No QL5 was selected on list !"));
}

void TestConverterListDialog::CommandsWithoutSelectedConverterShowStringSeven_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("searchingRowSelected");
    for (const char* button : {"openWebInterfaceButton", "configureIpSettingsButton",
                               "converterInfoButton", "rebootConverterButton"}) {
        QTest::addRow("%s, nothing selected", button) << QString::fromLatin1(button) << false;
        QTest::addRow("%s, searching row selected", button) << QString::fromLatin1(button) << true;
    }
}

void TestConverterListDialog::CommandsWithoutSelectedConverterShowStringSeven()
{
    QFETCH(QString, button);
    QFETCH(bool, searchingRowSelected);
    ConverterListDialog window;
    QTreeWidget* list = window.list();
    if (searchingRowSelected)
        list->setCurrentItem(list->topLevelItem(0));
    else
        list->clearSelection();
    bool opened = false;
    window.setUrlOpener([&](const QUrl&) { return opened = true; });

    ModalWatcher watcher([](QDialog* dialog) {
        QFAIL("no dialog may open");
        dialog->reject();
    });
    // The click comes before the event loop has run, so the sweep cannot
    // have delivered a converter yet.
    Button(window, button)->click();

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

void TestConverterListDialog::CommandsOpenTheirDialogOnTheSelectedRecord_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("dialogClass");
    QTest::newRow("ip settings") << "configureIpSettingsButton"
                                 << "IpSettingsDialog";
    QTest::newRow("reboot") << "rebootConverterButton"
                            << "RebootDialog";
    QTest::newRow("information") << "converterInfoButton"
                                 << "ConverterInfoDialog";
}

void TestConverterListDialog::CommandsOpenTheirDialogOnTheSelectedRecord()
{
    QFETCH(QString, button);
    QFETCH(QString, dialogClass);
    ConverterListDialog window;
    window.show();
    QTreeWidget* list = window.list();
    QTRY_COMPARE_WITH_TIMEOUT(list->topLevelItemCount(), 3, 5000);
    list->setCurrentItem(list->topLevelItem(1));
    DeviceRecordExchange* selected = window.SelectedRecord();
    QVERIFY(selected != nullptr);

    QString opened;
    DeviceRecordExchange* borrowed = nullptr;
    QWidget* parent = nullptr;
    ModalWatcher watcher([&](QDialog* dialog) {
        opened = QString::fromLatin1(dialog->metaObject()->className());
        parent = dialog->parentWidget();
        if (auto* settings = qobject_cast<IpSettingsDialog*>(dialog))
            borrowed = settings->record();
        else if (auto* reboot = qobject_cast<RebootDialog*>(dialog))
            borrowed = reboot->record();
        else if (auto* info = qobject_cast<ConverterInfoDialog*>(dialog))
            borrowed = info->record();
        dialog->reject();
    });
    Button(window, button)->click();

    QCOMPARE(opened, dialogClass);
    QCOMPARE(borrowed, selected);
    QCOMPARE(parent, &window);
    QCOMPARE(watcher.messages().size(), 0);
    // The list is not refreshed afterwards.
    QCOMPARE(list->topLevelItemCount(), 3);
}

void TestConverterListDialog::OpenWebInterfaceOpensTheDottedAddress()
{
    ConverterListDialog window;
    QList<QUrl> opened;
    window.setUrlOpener([&](const QUrl& url) {
        opened.append(url);
        return false;  // a failure of the desktop is not reported
    });
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(window.list()->topLevelItemCount(), 3, 5000);

    ModalWatcher watcher;
    Button(window, QStringLiteral("openWebInterfaceButton"))->click();

    QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("http://198.51.100.21"))});
    QCOMPARE(opened.front().toString(), QStringLiteral("http://198.51.100.21"));
    QCOMPARE(watcher.messages().size(), 0);
}

void TestConverterListDialog::RefreshListSearchesAgain()
{
    ConverterListDialog window;
    window.show();
    QTreeWidget* list = window.list();
    QTRY_COMPARE_WITH_TIMEOUT(list->topLevelItemCount(), 3, 5000);
    sim.ClearReceived();

    Button(window, QStringLiteral("refreshListButton"))->click();

    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Searching..."));
    QTRY_COMPARE_WITH_TIMEOUT(list->topLevelItemCount(), 3, 5000);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("198.51.100.21"));
    // A new sweep went out: a discovery request for every converter.
    const auto requests = LoggedRequests(sim, 1);
    QVERIFY(!requests.empty());
    QCOMPARE(requests.front(), Request(1, {0xff, 0xff, 0xff, 0xff, 0xff, 0xff}));
}

void TestConverterListDialog::EnterOutsideTheButtonsEndsTheWindow()
{
    ConverterListDialog window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.list()->setFocus();
    QTest::keyClick(window.list(), Qt::Key_Return);
    QVERIFY(!window.isVisible());
}

void TestConverterListDialog::ClosingDuringTheSweepLeavesNoThread()
{
    const int threadsBefore = ThreadCount();
    auto window = std::make_unique<ConverterListDialog>();
    window->show();
    QTRY_COMPARE_WITH_TIMEOUT(window->list()->topLevelItemCount(), 3, 5000);
    // The sweep goes on listening until the window ends.
    QCOMPARE(ThreadCount(), threadsBefore + 1);

    // A notification still in the queue must not reach a window that is gone.
    QCoreApplication::postEvent(window.get(),
                                new ql5::WindowMessageEvent(ql5::WM_APP_REPLIES_WAITING, 0, 0));
    window->close();
    QVERIFY(!window->isVisible());
    window.reset();
    QCoreApplication::processEvents();

    QCOMPARE(ThreadCount(), threadsBefore);
}

QTEST_MAIN(TestConverterListDialog)
#include "tst_converterlistdialog.moc"
