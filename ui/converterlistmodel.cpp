// SPDX-License-Identifier: Apache-2.0
#include "converterlistmodel.h"

#include "converterwarnings.h"
#include "recordtext.h"
#include "stringtable.h"

#include <ql5common/address_text.h>

#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>

namespace ql5config {

namespace {

// Two findings of the conflict rules say the same.
bool sameWarnings(const std::vector<ql5common::Conflict>& a,
                  const std::vector<ql5common::Conflict>& b)
{
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(),
        [](const ql5common::Conflict& x, const ql5common::Conflict& y) {
            return std::tie(x.kind, x.address, x.subnet, x.subnetMask, x.otherMac, x.others) ==
                   std::tie(y.kind, y.address, y.subnet, y.subnetMask, y.otherMac, y.others);
        });
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
    lastProduct_ = QString();
    warningsTimer_->stop();
}

void ConverterListModel::showSearching()
{
    beginResetModel();
    clearRows();
    rows_.emplace_back().name = searchingText();
    endResetModel();
}

void ConverterListModel::showSearchFailed(const QString& reason)
{
    beginResetModel();
    clearRows();
    rows_.emplace_back().name = reason;
    endResetModel();
}

void ConverterListModel::setRecord(Row& row, const DeviceRecordExchange& record,
                                   std::uint32_t sourceAddress)
{
    row.record = record;
    row.sourceAddress = sourceAddress;
    setTexts(row);
}

void ConverterListModel::setTexts(Row& row)
{
    // The row keeps the record as received; only the shown name is
    // substituted.
    const DeviceRecordExchange& record = row.record;
    row.device = true;
    if (const auto plain = plainConverterText(record.code4Text)) {
        row.plainNameLength = static_cast<std::int16_t>(plain->size());
        row.name = QString();
    } else {
        row.plainNameLength = -1;
        row.name = shownConverterText(record.code4Text);
    }
    // Most converters of a plant share their product name: one copy of it
    // serves them all, worded once.
    if (lastProduct_.isNull() ||
        std::memcmp(record.productName, lastProductBytes_.data(), lastProductBytes_.size()) != 0) {
        lastProduct_ = shownProductName(record);
        std::memcpy(lastProductBytes_.data(), record.productName, lastProductBytes_.size());
    }
    row.product = lastProduct_;
}

void ConverterListModel::removeSearchingRow()
{
    // The first notification ends the searching row; it is then the only row.
    if (rows_.size() == 1 && !rows_.front().device && rows_.front().name == searchingText()) {
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
        const auto found = rowOfKey_.constFind(key);
        if (found != rowOfKey_.cend()) {
            if (*found < first) {
                setRecord(rows_[static_cast<std::size_t>(*found)], record, sourceOf(i));
                emit dataChanged(index(*found, 0), index(*found, kColumns - 1));
            } else {
                added[static_cast<std::size_t>(*found - first)] = i;
            }
            continue;
        }
        // A full list still updates its rows, but takes no new converter.
        if (static_cast<int>(rowOfKey_.size()) >= rowLimit_) {
            ++leftOut_;
            continue;
        }
        rowOfKey_.insert(key, first + static_cast<int>(added.size()));
        macs_.insert(key.mac);
        added.push_back(i);
    }
    if (added.empty())
        return;
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    for (const std::size_t i : added)
        setTexts(rows_.emplace_back(records[i], sourceOf(i)));
    endInsertRows();
}

void ConverterListModel::finishNotification(qint64 droppedByClient)
{
    droppedByClient_ = droppedByClient;
    removeSearchingRow();
    if (rows_.empty()) {
        beginInsertRows({}, 0, 0);
        rows_.emplace_back().name = nothingFoundText();
        endInsertRows();
    }
    if (!warningsTimer_->isActive())
        warningsTimer_->start();
}

bool ConverterListModel::updateRecord(const DeviceRecordExchange& record,
                                      std::uint32_t sourceAddress, std::uint32_t newSource)
{
    const auto key = ql5common::ConverterKey::Of(record, sourceAddress);
    const auto found = rowOfKey_.constFind(key);
    if (found == rowOfKey_.cend())
        return false;
    const auto moved = ql5common::ConverterKey::Of(record, newSource);
    if (newSource != 0 && newSource != sourceAddress && !rowOfKey_.contains(moved)) {
        const int row = *found;
        rowOfKey_.remove(key);
        rowOfKey_.insert(moved, row);
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
    auto conflicts = ql5common::FindConflicts(listed, localNetworks_);
    // Only a change touches a row: each change of a sorted row may move it.
    int firstChanged = -1;
    int lastChanged = -1;
    for (std::size_t i = 0; i < deviceRows.size(); ++i) {
        Row& row = rows_[static_cast<std::size_t>(deviceRows[i])];
        if (sameWarnings(conflicts[i], row.warnings))
            continue;
        row.warnings = std::move(conflicts[i]);
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

QString ConverterListModel::shownText(const Row& row, int column)
{
    if (!row.device)
        return column == kIpAddressColumn ? row.name : QString();
    switch (column) {
    case kIpAddressColumn:
        return formatDottedDecimal(row.record.ipAddress);
    case kMacAddressColumn:
        return formatMac(row.record.macAddress);
    case kNameColumn:
        return row.plainNameLength >= 0 ? QString(plainName(row)) : row.name;
    default:
        return row.product;
    }
}

QLatin1String ConverterListModel::plainName(const Row& row)
{
    return QLatin1String(row.record.code4Text, std::max<qsizetype>(row.plainNameLength, 0));
}

int ConverterListModel::compareNames(const Row& a, const Row& b)
{
    const bool aPlain = a.plainNameLength >= 0;
    const bool bPlain = b.plainNameLength >= 0;
    if (aPlain && bPlain)
        return plainName(a).compare(plainName(b), Qt::CaseInsensitive);
    if (aPlain)
        return plainName(a).compare(QStringView(b.name), Qt::CaseInsensitive);
    if (bPlain)
        return -plainName(b).compare(QStringView(a.name), Qt::CaseInsensitive);
    return a.name.compare(b.name, Qt::CaseInsensitive);
}

QString ConverterListModel::text(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns)
        return {};
    return shownText(rows_[static_cast<std::size_t>(row)], column);
}

QStringList ConverterListModel::warningTexts(int row) const
{
    return isDeviceRow(row) ? conflictTexts(rows_[static_cast<std::size_t>(row)].warnings)
                            : QStringList();
}

QStringList ConverterListModel::warningKeys(int row) const
{
    return isDeviceRow(row) ? conflictKeys(rows_[static_cast<std::size_t>(row)].warnings)
                            : QStringList();
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

bool ConverterListModel::rowContains(int row, const QString& text) const
{
    const Row& shown = rows_[static_cast<std::size_t>(row)];
    // The address and the MAC are worded here, as they are shown, rather
    // than kept with every row.
    const std::string ip = ql5common::FormatDottedDecimal(shown.record.ipAddress);
    const std::string mac = ql5common::FormatMac(shown.record.macAddress);
    return QLatin1String(ip.data(), static_cast<qsizetype>(ip.size()))
               .contains(text, Qt::CaseInsensitive) ||
           QLatin1String(mac.data(), static_cast<qsizetype>(mac.size()))
               .contains(text, Qt::CaseInsensitive) ||
           (shown.plainNameLength >= 0 ? plainName(shown).contains(text, Qt::CaseInsensitive)
                                       : shown.name.contains(text, Qt::CaseInsensitive)) ||
           shown.product.contains(text, Qt::CaseInsensitive);
}

bool ConverterListModel::lessThan(int left, int right, int column) const
{
    const Row& a = rows_[static_cast<std::size_t>(left)];
    const Row& b = rows_[static_cast<std::size_t>(right)];
    const auto macOf = [](const Row& row) { return ql5common::ConverterKey::Of(row.record).mac; };
    // The MAC, the local address and the source only break ties, so that the
    // order never depends on arrival.
    const auto byAddress = [&] {
        const auto aIp = qFromBigEndian(a.record.ipAddress);
        const auto bIp = qFromBigEndian(b.record.ipAddress);
        if (aIp != bIp)
            return aIp < bIp;
        return std::tuple(macOf(a), a.record.localAddress, a.sourceAddress) <
               std::tuple(macOf(b), b.record.localAddress, b.sourceAddress);
    };
    int byText = 0;
    switch (column) {
    case kIpAddressColumn:
        return byAddress();
    case kMacAddressColumn:
        // Two lower-case hexadecimal digits per byte sort as the number does.
        if (macOf(a) != macOf(b))
            return macOf(a) < macOf(b);
        return byAddress();
    case kNameColumn:
        byText = compareNames(a, b);
        break;
    default:
        byText = a.product.compare(b.product, Qt::CaseInsensitive);
        break;
    }
    return byText != 0 ? byText < 0 : byAddress();
}

QString ConverterListModel::tabSeparatedText(int row) const
{
    QStringList columns;
    for (int column = 0; column < kColumns; ++column)
        columns.append(shownText(rows_[static_cast<std::size_t>(row)], column));
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
        return shownText(row, index.column());
    case Qt::DecorationRole:
        if (index.column() == 0 && !row.warnings.empty())
            return warningIcon_;
        return {};
    // The warning is told as well as drawn: a screen reader reads the
    // description, a mouse user the tooltip.
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (!row.warnings.empty())
            return conflictTexts(row.warnings).join(QLatin1Char('\n'));
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
