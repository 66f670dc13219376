// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_CONVERTERLISTMODEL_H
#define QL5CONFIG_CONVERTERLISTMODEL_H

#include <ql5/discovery.h>
#include <ql5common/conflicts.h>
#include <ql5common/converter_key.h>

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <deque>
#include <span>
#include <vector>

class QTimer;

namespace ql5common {

// Found by argument-dependent lookup, so that QHash takes the key too.
inline std::size_t qHash(const ConverterKey& key, std::size_t seed = 0) noexcept
{
    return ConverterKeyHash{}(key) ^ seed;
}

}  // namespace ql5common

namespace ql5config {

// The rows of the main window's list. A device row is one converter as heard
// on one local address from one source address (a ql5common::ConverterKey)
// and holds the record of its newest reply and the address it came from; the stand-in rows
// (searching, nothing found, cannot search) say what the list as a whole is doing and hold none.
//
// The conflict rules look at every row, so the rows' warnings are checked
// once a burst of replies has been taken in, not after each notification.
class ConverterListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { kIpAddressColumn, kMacAddressColumn, kNameColumn, kConverterColumn, kColumns };

    // The most device rows the list holds: as many records as the client
    // queues at most. A flood of forged replies, each from another MAC,
    // would otherwise grow the list, and the window's memory, without end.
    static constexpr int kDefaultRowLimit = static_cast<int>(QL5_MAX_PENDING_RECORDS);

    explicit ConverterListModel(QObject* parent = nullptr);
    ~ConverterListModel() override;

    // The stand-in rows' texts.
    static QString searchingText();
    static QString nothingFoundText();

    // Empties the list and counts, then shows the searching row.
    void showSearching();
    // Empties the list and shows why the search could not start.
    void showSearchFailed(const QString& reason);
    // Takes one slice of records: a new row for a converter not listed yet
    // (while the limit allows), the newest record for one that is.
    // sources[i] is the address records[i] came from; without sources (or
    // with 0) it is unknown.
    void addRecords(std::span<const DeviceRecordExchange> records,
                    std::span<const std::uint32_t> sources = {});
    // Ends a notification's records: the nothing-found row for a list that is
    // still empty, and a warnings check soon.
    void finishNotification(qint64 droppedByClient);
    // Updates the row of the record's converter heard from sourceAddress, if
    // listed, and its warnings at once; returns whether it was listed. With
    // `newSource` (not 0) the row is from now on the one heard from there,
    // unless another row already is: a converter that took a new address
    // answers from it.
    bool updateRecord(const DeviceRecordExchange& record, std::uint32_t sourceAddress = 0,
                      std::uint32_t newSource = 0);

    void setRowLimit(int rows) { rowLimit_ = rows; }
    void setLocalNetworks(std::vector<ql5common::LocalNetwork> networks);
    void setWarningIcon(const QIcon& icon) { warningIcon_ = icon; }
    // Brings the warnings up to date now if a check is due.
    void finishWarnings();

    // Distinct MACs among the device rows: a converter heard on two networks
    // has two rows but counts once.
    int converterCount() const { return static_cast<int>(macs_.size()); }
    // Replies left out because the list was full, and those that the client
    // dropped.
    qint64 notListedCount() const { return leftOut_ + droppedByClient_; }

    bool isDeviceRow(int row) const;
    // The record of a device row; null for a stand-in row.
    const DeviceRecordExchange* record(int row) const;
    // The address the device row's reply came from, where a unicast command
    // goes (never the address the converter reports about itself); 0 when
    // unknown or for a stand-in row.
    std::uint32_t sourceAddress(int row) const;
    QString text(int row, int column) const;
    QStringList warningTexts(int row) const;
    QStringList warningKeys(int row) const;
    // Every device row's addressing, for the conflict check of a change.
    std::vector<ql5common::ConverterAddressing> addressing() const;
    // Whether any column of the device row contains the text, ignoring case.
    bool rowContains(int row, const QString& text) const;
    // The order of two device rows by a column: addresses by value, so that
    // 10.0.0.9 comes before 10.0.0.10, texts alphabetically, and equal texts
    // by address, so that the order does not depend on arrival.
    bool lessThan(int left, int right, int column) const;
    // The four columns, separated by tabs, as a spreadsheet takes them.
    QString tabSeparatedText(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // Only what the filter, the sort and the warnings read often is kept
    // beside the record; the addresses and the warnings' sentences are
    // worded when a row is shown. Ten thousand rows then cost little more
    // than their records.
    struct Row {
        Row() = default;
        // A device row is made from its record at once: a row is a
        // kilobyte, written once.
        Row(const DeviceRecordExchange& received, std::uint32_t source)
            : record(received),
              sourceAddress(source)
        {
        }

        DeviceRecordExchange record{};
        std::uint32_t sourceAddress = 0;
        bool device = false;
        // A name of printable ASCII, as most are, is shown as the record
        // holds it, without a copy: its length, or -1 when `name` holds it.
        std::int16_t plainNameLength = -1;
        // The shown name when it is not plain; for a stand-in row, its
        // sentence.
        QString name;
        // The shown product, one copy shared by the rows of a product.
        QString product;
        // What the conflict rules found, without their English sentences.
        std::vector<ql5common::Conflict> warnings;
    };

    void clearRows();
    void removeSearchingRow();
    void setRecord(Row& row, const DeviceRecordExchange& record, std::uint32_t sourceAddress);
    void setTexts(Row& row);
    static ql5common::ConverterAddressing addressingOf(const Row& row);
    static QString shownText(const Row& row, int column);
    // A plain name as the record holds it; empty for any other.
    static QLatin1String plainName(const Row& row);
    // Two device rows' names, ignoring case, however each is kept.
    static int compareNames(const Row& a, const Row& b);
    void updateWarnings();

    // A deque grows without moving what it holds, so a long list never
    // needs room for itself twice.
    std::deque<Row> rows_;
    QHash<ql5common::ConverterKey, int> rowOfKey_;
    QSet<std::uint64_t> macs_;
    int rowLimit_ = kDefaultRowLimit;
    qint64 leftOut_ = 0;
    qint64 droppedByClient_ = 0;
    std::vector<ql5common::LocalNetwork> localNetworks_;
    // Shared by every row with a warning: an icon of its own per row would
    // hold its own pixmaps, kilobytes a row in a long list.
    QIcon warningIcon_;
    // The product name of the row made last, shared with the next row of
    // the same product, and the record's bytes it was worded from.
    QString lastProduct_;
    std::array<char, sizeof DeviceRecordExchange::productName> lastProductBytes_{};
    QTimer* warningsTimer_ = nullptr;
};

}  // namespace ql5config

#endif
