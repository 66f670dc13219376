#ifndef QL5CONFIG_REBOOTDIALOG_H
#define QL5CONFIG_REBOOTDIALOG_H

#include <ql5/discovery.h>

#include <QDialog>
#include <QList>
#include <QString>

#include <chrono>
#include <memory>

namespace Ui {
class RebootDialog;
}

// How the reboot dialog waits for a converter to come back: the pause before
// each further query and the most further queries after the first one.
struct RebootPolling {
    std::chrono::milliseconds pause{500};
    int furtherPolls = 40;
};

// Reboots the selected converter and waits until it answers queries again.
// It borrows the selected row's record and opens a context of its own for
// each reboot.
class RebootDialog : public QDialog
{
    Q_OBJECT

public:
    // The program uses the default polling; tests pass shorter ones.
    RebootDialog(DeviceRecordExchange* record, QWidget* parent = nullptr,
                 RebootPolling polling = RebootPolling());
    ~RebootDialog() override;

    DeviceRecordExchange* record() const { return record_; }
    // True while a reboot or the wait after it runs.
    bool isBusy() const { return busy; }

public slots:
    // "Close" ends the dialog, except while the dialog waits for the converter.
    void accept() override;
    // Escape and the close box likewise.
    void reject() override;

private:
    void RebootAndWait();
    void ShowRebootResult(DiscoveryHandle context, std::int32_t result);

    void TransferToControls();
    void TransferFromControls();
    QList<QWidget*> Inputs() const;

    std::unique_ptr<Ui::RebootDialog> ui;
    DeviceRecordExchange* record_;
    RebootPolling polling;
    QString nameText;
    QString macText;
    QString password;
    QString statusLine;
    bool busy = false;
};

#endif
