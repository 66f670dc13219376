// SPDX-License-Identifier: Apache-2.0
#include "converterlistmodel.h"

#include "converterwarnings.h"
#include "recordtext.h"
#include "stringtable.h"

#include <QTimer>
#include <QtEndian>

#include <tuple>

namespace ql5config {

namespace {

std::uint64_t macOf(const ql5common::ConverterKey& key)
{
    return key.mac;
}

}  // namespace

ConverterListModel::ConverterListModel(QObject* parent)
    : QAbstractTableModel(parent),
      warningsTimer_(new QTimer(this))
{
    // A tenth of a second lets a burst of replies in before the check, and
    // still marks a row before the eye settles on it.
    warningsTimer_->setSingleShot(true);
    warningsTimer_->setInterval(100);
    connect(warningsTimer_, &QTimer::timeout, this, &ConverterListModel::updateWarnings);
}

ConverterListModel::~ConverterListModel() = default;

QString ConverterListModel::searchingText()
{
    return stringTableText(kSearchingText);
}

QString ConverterListModel::nothingFoundText()
{
    return tr("Nie znaleziono urządzeń");
}

void ConverterListModel::clearRows()
{
    rows_.clear();
    rowOfKey_.clear();
    macs_.clear();
    leftOut_ = 0;
    droppedByClient_ = 0;
    warningsTimer_->stop();
}

void ConverterListModel::showSearching()
{
    beginResetModel();
    clearRows();
    rows_.emplace_back().texts[0] = searchingText();
    endResetModel();
}

void ConverterListModel::showSearchFailed(const QString& reason)
{
    beginResetModel();
    clearRows();
    rows_.emplace_back().texts[0] = reason;
    endResetModel();
}

void ConverterListModel::setRecord(Row& row, const DeviceRecordExchange& record,
                                   std::uint32_t sourceAddress)
{
    // The row keeps the record as received; only the shown name is
    // substituted.
    row.record = record;
    row.sourceAddress = sourceAddress;
    row.device = true;
    row.hostOrderAddress = qFromBigEndian(record.ipAddress);
    row.texts = {formatDottedDecimal(record.ipAddress), formatMac(record.macAddress),
                 shownConverterText(record.code4Text), shownProductName(record)};
    const auto folded = [](const QString& text) {
        QString folded = text.toCaseFolded();
        return folded == text ? text : folded;
    };
    row.foldedName = folded(row.texts[kNameColumn]);
    // Most converters of a plant share their product name: one copy of it
    // serves them all.
    if (row.texts[kConverterColumn] == lastProduct_) {
        row.texts[kConverterColumn] = lastProduct_;
        row.foldedProduct = lastFoldedProduct_;
    } else {
        row.foldedProduct = folded(row.texts[kConverterColumn]);
        lastProduct_ = row.texts[kConverterColumn];
        lastFoldedProduct_ = row.foldedProduct;
    }
}

void ConverterListModel::removeSearchingRow()
{
    // The first notification ends the searching row; it is then the only row.
    if (rows_.size() == 1 && !rows_.front().device && rows_.front().texts[0] == searchingText()) {
        beginRemoveRows({}, 0, 0);
        rows_.pop_front();
        endRemoveRows();
    }
}

void ConverterListModel::addRecords(std::span<const DeviceRecordExchange> records,
                                    std::span<const std::uint32_t> sources)
{
    removeSearchingRow();
    // Known converters are updated in place; the new ones are appended in
    // one insertion, so that the view and the proxy see one change per slice.
    std::vector<std::size_t> added;
    const int first = static_cast<int>(rows_.size());
    const auto sourceOf = [&](std::size_t i) { return i < sources.size() ? sources[i] : 0u; };
    for (std::size_t i = 0; i < records.size(); ++i) {
        const DeviceRecordExchange& record = records[i];
        const auto key = ql5common::ConverterKey::Of(record, sourceOf(i));
        const auto found = rowOfKey_.find(key);
        if (found != rowOfKey_.end()) {
            if (found->second < first) {
                setRecord(rows_[static_cast<std::size_t>(found->second)], record, sourceOf(i));
                emit dataChanged(index(found->second, 0), index(found->second, kColumns - 1));
            } else {
                added[static_cast<std::size_t>(found->second - first)] = i;
            }
            continue;
        }
        // A full list still updates its rows, but takes no new converter.
        if (static_cast<int>(rowOfKey_.size()) >= rowLimit_) {
            ++leftOut_;
            continue;
        }
        rowOfKey_.emplace(key, first + static_cast<int>(added.size()));
        macs_.insert(macOf(key));
        added.push_back(i);
    }
    if (added.empty())
        return;
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    for (const std::size_t i : added)
        setRecord(rows_.emplace_back(), records[i], sourceOf(i));
    endInsertRows();
}

void ConverterListModel::finishNotification(qint64 droppedByClient)
{
    droppedByClient_ = droppedByClient;
    removeSearchingRow();
    if (rows_.empty()) {
        beginInsertRows({}, 0, 0);
        rows_.emplace_back().texts[0] = nothingFoundText();
        endInsertRows();
    }
    if (!warningsTimer_->isActive())
        warningsTimer_->start();
}

bool ConverterListModel::updateRecord(const DeviceRecordExchange& record,
                                      std::uint32_t sourceAddress, std::uint32_t newSource)
{
    auto found = rowOfKey_.find(ql5common::ConverterKey::Of(record, sourceAddress));
    if (found == rowOfKey_.end())
        return false;
    const auto moved = ql5common::ConverterKey::Of(record, newSource);
    if (newSource != 0 && newSource != sourceAddress && !rowOfKey_.contains(moved)) {
        const int row = found->second;
        rowOfKey_.erase(found);
        rowOfKey_.emplace(moved, row);
        sourceAddress = newSource;
    }
    addRecords(std::span(&record, 1), std::span(&sourceAddress, 1));
    updateWarnings();
    return true;
}

void ConverterListModel::setLocalNetworks(std::vector<ql5common::LocalNetwork> networks)
{
    localNetworks_ = std::move(networks);
}

void ConverterListModel::finishWarnings()
{
    if (warningsTimer_->isActive())
        updateWarnings();
}

void ConverterListModel::updateWarnings()
{
    warningsTimer_->stop();
    std::vector<int> deviceRows;
    std::vector<ql5common::ConverterAddressing> listed;
    deviceRows.reserve(rowOfKey_.size());
    listed.reserve(rowOfKey_.size());
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (rows_[row].device) {
            deviceRows.push_back(static_cast<int>(row));
            listed.push_back(addressingOf(rows_[row]));
        }
    }
    const auto conflicts = ql5common::FindConflicts(listed, localNetworks_);
    // Only a change touches a row: each change of a sorted row may move it.
    int firstChanged = -1;
    int lastChanged = -1;
    // Rows with the same kinds of warning share one list of their keys.
    QStringList lastKeys;
    for (std::size_t i = 0; i < deviceRows.size(); ++i) {
        Row& row = rows_[static_cast<std::size_t>(deviceRows[i])];
        QString texts = conflictTexts(conflicts[i]).join(QLatin1Char('\n'));
        if (texts == row.warnings)
            continue;
        row.warnings = std::move(texts);
        QStringList keys = conflictKeys(conflicts[i]);
        if (keys != lastKeys)
            lastKeys = std::move(keys);
        row.warningKeys = lastKeys;
        if (firstChanged < 0)
            firstChanged = deviceRows[i];
        lastChanged = deviceRows[i];
    }
    if (firstChanged >= 0)
        emit dataChanged(index(firstChanged, 0), index(lastChanged, kColumns - 1),
                         {Qt::DecorationRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
}

ql5common::ConverterAddressing ConverterListModel::addressingOf(const Row& row)
{
    // The source lets the rules find a MAC that answers from two addresses.
    ql5common::ConverterAddressing addressing = ql5config::addressingOf(row.record);
    addressing.sourceAddress = row.sourceAddress;
    return addressing;
}

bool ConverterListModel::isDeviceRow(int row) const
{
    return row >= 0 && row < rowCount() && rows_[static_cast<std::size_t>(row)].device;
}

const DeviceRecordExchange* ConverterListModel::record(int row) const
{
    return isDeviceRow(row) ? &rows_[static_cast<std::size_t>(row)].record : nullptr;
}

std::uint32_t ConverterListModel::sourceAddress(int row) const
{
    return isDeviceRow(row) ? rows_[static_cast<std::size_t>(row)].sourceAddress : 0;
}

QString ConverterListModel::text(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns)
        return {};
    return rows_[static_cast<std::size_t>(row)].texts[static_cast<std::size_t>(column)];
}

QStringList ConverterListModel::warningTexts(int row) const
{
    if (!isDeviceRow(row) || rows_[static_cast<std::size_t>(row)].warnings.isEmpty())
        return {};
    return rows_[static_cast<std::size_t>(row)].warnings.split(QLatin1Char('\n'));
}

QStringList ConverterListModel::warningKeys(int row) const
{
    return isDeviceRow(row) ? rows_[static_cast<std::size_t>(row)].warningKeys : QStringList();
}

std::vector<ql5common::ConverterAddressing> ConverterListModel::addressing() const
{
    std::vector<ql5common::ConverterAddressing> listed;
    for (const Row& row : rows_) {
        if (row.device)
            listed.push_back(addressingOf(row));
    }
    return listed;
}

bool ConverterListModel::rowContains(int row, const QString& foldedText) const
{
    // The address and the MAC have no letters that folding would change.
    const Row& shown = rows_[static_cast<std::size_t>(row)];
    return shown.texts[kIpAddressColumn].contains(foldedText) ||
           shown.texts[kMacAddressColumn].contains(foldedText) ||
           shown.foldedName.contains(foldedText) || shown.foldedProduct.contains(foldedText);
}

bool ConverterListModel::lessThan(int left, int right, int column) const
{
    const Row& a = rows_[static_cast<std::size_t>(left)];
    const Row& b = rows_[static_cast<std::size_t>(right)];
    const auto aMac = ql5common::ConverterKey::Of(a.record).mac;
    const auto bMac = ql5common::ConverterKey::Of(b.record).mac;
    const auto byAddress = [&] {
        return std::tuple(a.hostOrderAddress, aMac, a.record.localAddress, a.sourceAddress) <
               std::tuple(b.hostOrderAddress, bMac, b.record.localAddress, b.sourceAddress);
    };
    int byText = 0;
    switch (column) {
    case kIpAddressColumn:
        return byAddress();
    case kMacAddressColumn:
        // Two lower-case hexadecimal digits per byte sort as the number does.
        if (aMac != bMac)
            return aMac < bMac;
        return byAddress();
    case kNameColumn:
        byText = a.foldedName.compare(b.foldedName);
        break;
    default:
        byText = a.foldedProduct.compare(b.foldedProduct);
        break;
    }
    return byText != 0 ? byText < 0 : byAddress();
}

QString ConverterListModel::tabSeparatedText(int row) const
{
    QStringList columns;
    for (const QString& column : rows_[static_cast<std::size_t>(row)].texts)
        columns.append(column);
    return columns.join(QLatin1Char('\t'));
}

int ConverterListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ConverterListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant ConverterListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return row.texts[static_cast<std::size_t>(index.column())];
    case Qt::DecorationRole:
        if (index.column() == 0 && !row.warnings.isEmpty())
            return warningIcon_;
        return {};
    // The warning is told as well as drawn: a screen reader reads the
    // description, a mouse user the tooltip.
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (!row.warnings.isEmpty())
            return row.warnings;
        return {};
    default:
        return {};
    }
}

QVariant ConverterListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static constexpr std::array<StringId, kColumns> kHeadings = {
        kIpAddressHeading, kMacAddressHeading, kNameHeading, kConverterHeading};
    if (section < 0 || section >= kColumns)
        return {};
    return stringTableText(kHeadings[static_cast<std::size_t>(section)]);
}

}  // namespace ql5config
