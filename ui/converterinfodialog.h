#ifndef QL5CONFIG_CONVERTERINFODIALOG_H
#define QL5CONFIG_CONVERTERINFODIALOG_H

#include <ql5/discovery.h>

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class ConverterInfoDialog;
}

// Shows, as nine lines of text, what the last sweep learnt about one
// converter. It borrows the selected row's record and sends nothing.
class ConverterInfoDialog : public QDialog
{
    Q_OBJECT

public:
    ConverterInfoDialog(DeviceRecordExchange* record, QWidget* parent = nullptr);
    ~ConverterInfoDialog() override;

    DeviceRecordExchange* record() const { return record_; }
    const QString& details() const { return detailsText; }

public slots:
    void accept() override;

private:
    void BuildDetailsText();
    void TransferToControls();
    void TransferFromControls();

    std::unique_ptr<Ui::ConverterInfoDialog> ui;
    DeviceRecordExchange* record_;
    QString detailsText;
};

#endif
