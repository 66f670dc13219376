// SPDX-License-Identifier: Apache-2.0
// The main window's list without a network: the model takes records as the
// discovery session hands them on, and the proxy sorts and filters them.
#include "converterlistmodel.h"
#include "converterlistproxy.h"
#include "uitestsupport.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QtEndian>

#include <algorithm>
#include <vector>

using namespace ql5::uitest;
using namespace ql5config;

namespace {

// This workstation's two networks: 198.51.100.1/24 and 203.0.113.1/24.
const std::uint32_t kFirstLink = qToBigEndian(0xc6336401u);
const std::uint32_t kSecondLink = qToBigEndian(0xcb007101u);

DeviceRecordExchange record(const char* mac, const char* ip, const char* name,
                            std::uint32_t localAddress = kFirstLink)
{
    DeviceRecordExchange made =
        MakeRecord({.mac = mac, .ip = ip, .gateway = "0.0.0.0", .name = name});
    made.localAddress = localAddress;
    return made;
}

// The model as the session feeds it: one slice, then the end of the
// notification.
void deliver(ConverterListModel& model, const std::vector<DeviceRecordExchange>& records)
{
    model.addRecords(records);
    model.finishNotification(0);
}

QStringList column(const QAbstractItemModel& model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.index(row, column).data().toString());
    return texts;
}

}  // namespace

class TestConverterListModel : public QObject
{
    Q_OBJECT

private slots:
    void searchingRowGivesWayToTheFirstRecords();
    void nothingFoundRowStaysAboveLaterRows();
    void oneRowPerConverterAndNetwork();
    void fullListTakesNoNewConverterButCountsIt();
    void headingSortsAddressesByValueBelowTheStandInRows_data();
    void headingSortsAddressesByValueBelowTheStandInRows();
    void filterHidesOtherConvertersButNotTheStandInRows();
    void conflictingRowsCarryTheirWarningsAfterTheBurst();
    void twoSourcesOfOneMacAreTwoWarnedRows();
    void warningIsToldToAScreenReaderInTheView();
};

void TestConverterListModel::searchingRowGivesWayToTheFirstRecords()
{
    ConverterListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.showSearching();
    QCOMPARE(column(model, 0), QStringList{"Searching..."});
    QVERIFY(!model.isDeviceRow(0));

    deliver(model, {record("02:51:c5:04:00:01", "198.51.100.21", "Packing line 1")});
    QCOMPARE(column(model, 0), QStringList{"198.51.100.21"});
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("02:51:c5:04:00:01"));
    QCOMPARE(model.index(0, 3).data().toString(), QStringLiteral("QL5 Converter"));
    QCOMPARE(model.record(0)->productName, std::string_view("QL5 Core Module"));
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("IP Address"));
}

void TestConverterListModel::nothingFoundRowStaysAboveLaterRows()
{
    ConverterListModel model;
    model.showSearching();
    deliver(model, {});
    QCOMPARE(column(model, 0), QStringList{ConverterListModel::nothingFoundText()});
    QCOMPARE(ConverterListModel::nothingFoundText(), QStringLiteral(u"Nie znaleziono urządzeń"));

    deliver(model, {record("02:51:c5:04:00:01", "198.51.100.21", "Packing line 1")});
    QCOMPARE(column(model, 0),
             (QStringList{ConverterListModel::nothingFoundText(), "198.51.100.21"}));
    QCOMPARE(model.converterCount(), 1);
}

void TestConverterListModel::oneRowPerConverterAndNetwork()
{
    ConverterListModel model;
    model.showSearching();
    // The same converter twice on one network, and once on another: the
    // newer reply updates its row, the other network has a row of its own,
    // and the converter counts once.
    deliver(model, {record("02:51:c5:04:00:01", "198.51.100.21", "Old name"),
                    record("02:51:c5:04:00:01", "198.51.100.21", "New name"),
                    record("02:51:c5:04:00:01", "203.0.113.21", "Other", kSecondLink)});
    deliver(model, {record("02:51:c5:04:00:01", "198.51.100.21", "Newest name")});
    QCOMPARE(column(model, 2), (QStringList{"Newest name", "Other"}));
    QCOMPARE(model.converterCount(), 1);
}

void TestConverterListModel::fullListTakesNoNewConverterButCountsIt()
{
    ConverterListModel model;
    model.setRowLimit(2);
    model.showSearching();
    deliver(model, {record("02:51:c5:04:00:01", "198.51.100.21", "A"),
                    record("02:51:c5:04:00:02", "198.51.100.22", "B"),
                    record("02:51:c5:04:00:03", "198.51.100.23", "C")});
    model.addRecords(std::vector{record("02:51:c5:04:00:01", "198.51.100.21", "A again")});
    model.finishNotification(5);
    QCOMPARE(column(model, 2), (QStringList{"A again", "B"}));
    QCOMPARE(model.notListedCount(), 1 + 5);

    // A new search starts from an empty list and clean counts.
    model.showSearching();
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.converterCount(), 0);
    QCOMPARE(model.notListedCount(), 0);
}

void TestConverterListModel::headingSortsAddressesByValueBelowTheStandInRows_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<Qt::SortOrder>("order");
    QTest::addColumn<QStringList>("addresses");
    const QStringList byValue{"198.51.100.21", "203.0.113.9", "203.0.113.10", "203.0.113.11",
                              "203.0.113.100"};
    QStringList reversed = byValue;
    std::reverse(reversed.begin(), reversed.end());
    QTest::newRow("address ascending") << 0 << Qt::AscendingOrder << byValue;
    QTest::newRow("address descending") << 0 << Qt::DescendingOrder << reversed;
    // Equal names sort by address; a name beyond ASCII sorts among the
    // others by its letters.
    QTest::newRow("name ascending") << 2 << Qt::AscendingOrder
                                    << QStringList{"203.0.113.9", "203.0.113.100", "198.51.100.21",
                                                   "203.0.113.10", "203.0.113.11"};
    QTest::newRow("name descending") << 2 << Qt::DescendingOrder
                                     << QStringList{"203.0.113.11", "203.0.113.10", "198.51.100.21",
                                                    "203.0.113.100", "203.0.113.9"};
}

void TestConverterListModel::headingSortsAddressesByValueBelowTheStandInRows()
{
    QFETCH(int, column);
    QFETCH(Qt::SortOrder, order);
    QFETCH(QStringList, addresses);
    ConverterListModel model;
    ConverterListProxy proxy(&model);
    QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.showSearching();
    deliver(model, {});
    deliver(model, {record("02:51:c5:04:01:01", "203.0.113.10", "Mixer"),
                    record("02:51:c5:04:01:02", "203.0.113.9", "boiler"),
                    record("02:51:c5:04:01:03", "203.0.113.100", "Boiler"),
                    record("02:51:c5:04:01:04", "198.51.100.21", "Kiln"),
                    record("02:51:c5:04:01:05", "203.0.113.11", "\xc3\x96lpumpe")});
    proxy.sort(column, order);
    QCOMPARE(::column(proxy, 0), QStringList{ConverterListModel::nothingFoundText()} + addresses);
}

void TestConverterListModel::filterHidesOtherConvertersButNotTheStandInRows()
{
    ConverterListModel model;
    ConverterListProxy proxy(&model);
    model.showSearching();
    deliver(model, {});
    // A filter set before the replies come applies to them too; it ignores
    // case and looks at every column.
    proxy.setFilterText(QStringLiteral("PACKING"));
    deliver(model, {record("02:51:c5:04:00:01", "198.51.100.21", "Packing line 1"),
                    record("02:51:c5:04:00:02", "198.51.100.22", "Packing line 2"),
                    record("02:51:c5:04:00:03", "198.51.100.23", "Kiln")});
    QCOMPARE(::column(proxy, 0), (QStringList{ConverterListModel::nothingFoundText(),
                                              "198.51.100.21", "198.51.100.22"}));
    QCOMPARE(proxy.shownDeviceRows(), 2);
    for (const char* text : {"04:00:03", "C5:04:00:03", "100.23"}) {
        proxy.setFilterText(QString::fromLatin1(text));
        QCOMPARE(::column(proxy, 0),
                 (QStringList{ConverterListModel::nothingFoundText(), "198.51.100.23"}));
    }
}

void TestConverterListModel::conflictingRowsCarryTheirWarningsAfterTheBurst()
{
    ConverterListModel model;
    model.setLocalNetworks({{kSecondLink, qToBigEndian(0xffffff00u)}});
    model.setWarningIcon(QIcon(QPixmap(16, 16)));
    model.showSearching();
    deliver(model, {record("02:51:c5:04:02:01", "203.0.113.50", "One", kSecondLink),
                    record("02:51:c5:04:02:02", "203.0.113.50", "Two", kSecondLink),
                    record("02:51:c5:04:02:03", "192.0.2.7", "Outside", kSecondLink),
                    record("02:51:c5:04:02:04", "203.0.113.60", "Fine", kSecondLink)});

    // The check waits for the burst to end.
    QVERIFY(model.index(0, 2).data(Qt::ToolTipRole).isNull());
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QTRY_COMPARE(changed.size(), 1);
    const QString duplicate = QStringLiteral(
        "Converter 02:51:c5:04:02:02 reports the same IP address 203.0.113.50 on this network.");
    QCOMPARE(model.index(0, 2).data(Qt::ToolTipRole).toString(), duplicate);
    // A screen reader is told what the icon shows.
    QCOMPARE(model.index(0, 0).data(Qt::AccessibleDescriptionRole).toString(), duplicate);
    QVERIFY(!model.index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    QVERIFY(
        model.index(2, 0).data(Qt::ToolTipRole).toString().contains("outside the local network"));
    QVERIFY(model.index(3, 0).data(Qt::DecorationRole).isNull());
    QCOMPARE(model.warningKeys(0).size(), 1);
    QCOMPARE(model.warningTexts(0), QStringList{duplicate});
}

void TestConverterListModel::twoSourcesOfOneMacAreTwoWarnedRows()
{
    // The converter at .21 and another host answering for its MAC from .99:
    // each source keeps a row of its own, which remembers where its reply
    // came from, and both rows warn.
    ConverterListModel model;
    model.showSearching();
    const std::vector records{record("02:51:c5:04:04:01", "198.51.100.21", "Real"),
                              record("02:51:c5:04:04:01", "198.51.100.21", "Impostor")};
    const std::vector<std::uint32_t> sources{qToBigEndian(0xc6336415u), qToBigEndian(0xc6336463u)};
    model.addRecords(records, sources);
    model.finishNotification(0);
    model.finishWarnings();
    QCOMPARE(column(model, 2), (QStringList{"Real", "Impostor"}));
    QCOMPARE(model.converterCount(), 1);
    for (int row = 0; row < 2; ++row) {
        QCOMPARE(model.sourceAddress(row), sources[static_cast<std::size_t>(row)]);
        QCOMPARE(model.warningKeys(row), QStringList{"several-sources"});
    }
    QVERIFY(
        model.updateRecord(record("02:51:c5:04:04:01", "198.51.100.21", "Real again"), sources[0]));
    QCOMPARE(column(model, 2), (QStringList{"Real again", "Impostor"}));
    // A row does not take another row's source; a converter that took a new
    // address keeps its row, which now names the new source.
    const auto moved = record("02:51:c5:04:04:01", "198.51.100.22", "Moved");
    QVERIFY(model.updateRecord(moved, sources[0], sources[1]));
    QCOMPARE(model.sourceAddress(0), sources[0]);
    const std::uint32_t newSource = qToBigEndian(0xc6336416u);
    QVERIFY(model.updateRecord(moved, sources[0], newSource));
    QVERIFY(model.updateRecord(moved, newSource));
    QCOMPARE(model.sourceAddress(0), newSource);
    QCOMPARE(model.rowCount(), 2);
}

void TestConverterListModel::warningIsToldToAScreenReaderInTheView()
{
    ConverterListModel model;
    ConverterListProxy proxy(&model);
    QTreeView view;
    view.setModel(&proxy);
    view.show();
    model.setLocalNetworks({{kSecondLink, qToBigEndian(0xffffff00u)}});
    model.showSearching();
    deliver(model, {record("02:51:c5:04:03:01", "192.0.2.7", "Outside", kSecondLink),
                    record("02:51:c5:04:03:02", "203.0.113.60", "Fine", kSecondLink)});
    model.finishWarnings();
    // The view lays its rows out once the event loop runs.
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCoreApplication::processEvents();

    // The view's table: the header row, then each row's cells.
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&view);
    QVERIFY(table != nullptr && table->tableInterface() != nullptr);
    const auto description = [&](int row, int column) {
        return table->tableInterface()->cellAt(row, column)->text(QAccessible::Description);
    };
    QVERIFY2(description(0, 2).contains(QLatin1String("outside the local network")),
             qPrintable(description(0, 2)));
    QCOMPARE(description(1, 0), QString());
    QCOMPARE(table->tableInterface()->cellAt(0, 1)->text(QAccessible::Name),
             QStringLiteral("02:51:c5:04:03:01"));
}

QTEST_MAIN(TestConverterListModel)
#include "tst_converterlistmodel.moc"
