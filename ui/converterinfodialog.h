// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_CONVERTERINFODIALOG_H
#define QL5CONFIG_CONVERTERINFODIALOG_H

#include <ql5/discovery.h>

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class ConverterInfoDialog;
}

namespace ql5config {

// Shows, as nine lines of text, what the last sweep learnt about one
// converter. It sends nothing.
class ConverterInfoDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ConverterInfoDialog(const DeviceRecordExchange& record, QWidget* parent = nullptr);
    ~ConverterInfoDialog() override;

    // The nine lines as shown.
    QString details() const;

    // Shows the sentences of the converter's conflicts beneath the nine
    // lines; none hides them.
    void setWarnings(const QStringList& warnings);
    QString warnings() const;

private:
    std::unique_ptr<Ui::ConverterInfoDialog> ui_;
};

}  // namespace ql5config

#endif
