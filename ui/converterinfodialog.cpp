// SPDX-License-Identifier: Apache-2.0
#include "converterinfodialog.h"

#include "dialogframe.h"
#include "recordtext.h"
#include "ui_converterinfodialog.h"

#include <QPushButton>

namespace ql5config {

ConverterInfoDialog::ConverterInfoDialog(const DeviceRecordExchange& record, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::ConverterInfoDialog>())
{
    ui_->setupUi(this);
    setWindowFlags(ql5config::dialogWindowFlags());
    connect(ui_->okButton, &QPushButton::clicked, this, &ConverterInfoDialog::accept);
    ui_->detailsLabel->setText(ql5config::detailsText(record));
}

ConverterInfoDialog::~ConverterInfoDialog() = default;

QString ConverterInfoDialog::details() const
{
    return ui_->detailsLabel->text();
}

void ConverterInfoDialog::setWarnings(const QStringList& warnings)
{
    QStringList lines;
    for (const QString& warning : warnings)
        lines.append(tr("Warning: %1").arg(warning));
    ui_->warningsLabel->setText(lines.join(QLatin1Char('\n')));
    ui_->warningsLabel->setVisible(!lines.isEmpty());
}

QString ConverterInfoDialog::warnings() const
{
    return ui_->warningsLabel->text();
}

}  // namespace ql5config
