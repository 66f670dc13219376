// SPDX-License-Identifier: Apache-2.0
#include "converterlistproxy.h"

#include "converterlistmodel.h"

namespace ql5config {

ConverterListProxy::ConverterListProxy(ConverterListModel* source, QObject* parent)
    : QSortFilterProxyModel(parent),
      source_(source)
{
    setSourceModel(source);
}

void ConverterListProxy::setFilterText(const QString& text)
{
    if (text == filterText_)
        return;
    filterText_ = text;
    invalidateRowsFilter();
}

int ConverterListProxy::shownDeviceRows() const
{
    int shown = 0;
    for (int row = 0; row < rowCount(); ++row)
        shown += source_->isDeviceRow(mapToSource(index(row, 0)).row()) ? 1 : 0;
    return shown;
}

bool ConverterListProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    return filterText_.isEmpty() || !source_->isDeviceRow(sourceRow) ||
           source_->rowContains(sourceRow, filterText_);
}

bool ConverterListProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const bool leftDevice = source_->isDeviceRow(left.row());
    const bool rightDevice = source_->isDeviceRow(right.row());
    if (leftDevice != rightDevice) {
        // A descending sort puts the greater rows first, so the stand-in row
        // must then be the greater one.
        return sortOrder() == Qt::DescendingOrder ? leftDevice : rightDevice;
    }
    // Stand-in rows keep their order among themselves; the sort is stable.
    if (!leftDevice)
        return false;
    return source_->lessThan(left.row(), right.row(), left.column());
}

}  // namespace ql5config
