#include "converterinfodialog.h"

#include "dialogframe.h"
#include "recordtext.h"
#include "ui_converterinfodialog.h"

#include <QPushButton>

using namespace ql5;

ConverterInfoDialog::ConverterInfoDialog(DeviceRecordExchange* record, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::ConverterInfoDialog>()),
      record_(record)
{
    ui->setupUi(this);
    setWindowFlags(ql5::DialogWindowFlags());
    connect(ui->okButton, &QPushButton::clicked, this, &ConverterInfoDialog::accept);
    BuildDetailsText();
}

ConverterInfoDialog::~ConverterInfoDialog() = default;

void ConverterInfoDialog::BuildDetailsText()
{
    TransferToControls();
    // The row's copy holds the substituted name from now on.
    SubstituteProductName(*record_);
    detailsText = ComposeDetailsText(*record_);
    TransferToControls();
}

void ConverterInfoDialog::TransferToControls()
{
    ui->detailsLabel->setText(detailsText);
}

void ConverterInfoDialog::TransferFromControls()
{
    detailsText = ui->detailsLabel->text();
}

void ConverterInfoDialog::accept()
{
    TransferFromControls();
    QDialog::accept();
}
