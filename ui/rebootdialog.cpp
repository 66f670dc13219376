#include "rebootdialog.h"

#include "blockingcall.h"
#include "commandtexts.h"
#include "dialogframe.h"
#include "messagebox.h"
#include "recordtext.h"
#include "ui_rebootdialog.h"

#include <ql5common/context_owner.h>

#include <QPushButton>

#include <array>

using namespace ql5;

RebootDialog::RebootDialog(DeviceRecordExchange* record, QWidget* parent, RebootPolling polling)
    : QDialog(parent),
      ui(std::make_unique<Ui::RebootDialog>()),
      record_(record),
      polling(polling)
{
    ui->setupUi(this);
    setWindowFlags(ql5::DialogWindowFlags());
    connect(ui->rebootButton, &QPushButton::clicked, this, &RebootDialog::RebootAndWait);
    connect(ui->closeButton, &QPushButton::clicked, this, &RebootDialog::accept);

    // Initialisation: the template's placeholder status is never seen.
    TransferToControls();
    // The row's copy holds the substituted name from now on.
    SubstituteProductName(*record_);
    macText = FormatMac(record_->macAddress);
    nameText = DecodeConverterText(record_->productName);
    TransferToControls();
}

RebootDialog::~RebootDialog() = default;

void RebootDialog::accept()
{
    if (busy)
        return;
    TransferFromControls();
    QDialog::accept();
}

void RebootDialog::reject()
{
    if (busy)
        return;
    QDialog::reject();
}

void RebootDialog::RebootAndWait()
{
    // Step 1: a context of its own, closed on every way out; not tested, since
    // with a null handle every later call fails in the client.
    const ql5common::ContextOwner context;
    // Step 2.
    TransferFromControls();

    const QByteArray passwordBytes = PasswordBytes(password);
    if (RefuseOverlongPassword(this, passwordBytes))
        return;

    const auto mac = std::to_array(record_->macAddress);

    // Step 3.
    std::int32_t result = -1;
    bool completed = false;
    {
        BusyScope busyScope(busy, Inputs());
        completed = CallOffInterfaceThread(
            [&] { return RebootDevice(context.Handle(), mac.data(), passwordBytes.constData()); },
            result);
    }
    if (!completed) {
        // The application is quitting: nothing more is sent or shown.
        return;
    }
    // Step 4: a reboot that was not carried out leaves the status line alone.
    if (result != 0) {
        ShowRebootResult(context.Handle(), result);
        return;
    }

    // Step 5.
    statusLine = QStringLiteral("Status: Rebooting");
    TransferToControls();
    {
        BusyScope busyScope(busy, Inputs());
        // The queries only tell whether the converter answers; what they
        // return is thrown away.
        DeviceRecordExchange scratch{};
        std::int32_t answer = -1;
        auto query = [&] { return QueryDevice(context.Handle(), mac.data(), &scratch); };

        // Step 6: a converter that has not gone down yet answers at once.
        completed = CallOffInterfaceThread(query, answer);
        // Step 7: otherwise poll, with a pause before each further query.
        for (int counter = 0; completed && answer != 0 && counter < polling.furtherPolls;) {
            completed = PauseInterfaceThread(polling.pause);
            ++counter;
            if (completed)
                completed = CallOffInterfaceThread(query, answer);
        }
        if (!completed)
            return;
        // Step 8.
        statusLine =
            answer == 0 ? QStringLiteral("Status: Ready") : QStringLiteral("Status: Timed out");
        TransferToControls();
        // Step 9: the busy cursor goes with busyScope.
    }
    // Step 10: the owner closes the context.
}

void RebootDialog::ShowRebootResult(DiscoveryHandle context, std::int32_t result)
{
    const std::int32_t code = GetStatusCode(context);
    char text[255] = {};
    GetStatusText(context, text, sizeof text);
    ShowMessage(this, RebootResultMessage(result, code, DecodeConverterText(text)));
}

void RebootDialog::TransferToControls()
{
    ui->nameLabel->setText(nameText);
    ui->macLabel->setText(macText);
    ui->passwordEdit->setText(password);
    ui->statusLabel->setText(statusLine);
}

void RebootDialog::TransferFromControls()
{
    nameText = ui->nameLabel->text();
    macText = ui->macLabel->text();
    password = ui->passwordEdit->text();
    statusLine = ui->statusLabel->text();
}

QList<QWidget*> RebootDialog::Inputs() const
{
    return {ui->passwordEdit, ui->rebootButton, ui->closeButton};
}
