// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_HOSTADDRESSESDIALOG_H
#define QL5CONFIG_HOSTADDRESSESDIALOG_H

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

namespace ql5config {

// "Add addresses…": the addresses and ranges that every search also asks by
// unicast, one per line, for converters that the multicast search does not
// reach. OK accepts only a list that names at most a /16 in all; the caller
// stores it.
class HostAddressesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit HostAddressesDialog(const QStringList& entries, QWidget* parent = nullptr);

    // The non-blank lines, trimmed.
    QStringList entries() const;

    void accept() override;

private:
    QPlainTextEdit* edit_;
};

}  // namespace ql5config

#endif
