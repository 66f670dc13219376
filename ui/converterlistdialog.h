#ifndef QL5CONFIG_CONVERTERLISTDIALOG_H
#define QL5CONFIG_CONVERTERLISTDIALOG_H

#include "windowmessages.h"

#include <ql5/discovery.h>

#include <QDialog>
#include <QIcon>
#include <QTreeWidgetItem>

#include <functional>
#include <memory>

class QTreeWidget;
class QUrl;

namespace Ui {
class ConverterListDialog;
}

// One row of the converter list. A device row owns a copy of the record as
// the sweep delivered it; the searching and nothing-found rows own none. Rows
// are only ever appended while a command dialog runs, and the copy lives on
// the heap, so the pointer that a dialog borrows stays valid.
class ConverterRow : public QTreeWidgetItem
{
public:
    explicit ConverterRow(std::unique_ptr<DeviceRecordExchange> record = nullptr);

    DeviceRecordExchange* record() const { return record_.get(); }

private:
    std::unique_ptr<DeviceRecordExchange> record_;
};

// The main window: finds the converters on every attached network, lists
// them, and runs the commands on the selected one. It owns one discovery
// context from its creation to its destruction.
class ConverterListDialog : public QDialog
{
    Q_OBJECT

public:
    // Opens a web address; returns whether the desktop accepted it.
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit ConverterListDialog(QWidget* parent = nullptr);
    ~ConverterListDialog() override;

    // The row that tells that a notification found no converter.
    static QString NothingFoundText();

    // Replaces the desktop's default action for web addresses (for tests).
    void setUrlOpener(UrlOpener opener);

    // The record copy of the selected row, or null when no device row is
    // selected.
    DeviceRecordExchange* SelectedRecord() const;

    QTreeWidget* list() const { return listControl; }

protected:
    void customEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void RefreshList();
    void OnStartSweep();
    void OnRepliesWaiting();
    void ClearRows();

    void OnOpenWebInterface();
    void OnConfigureIpSettings();
    void OnRebootConverter();
    void OnConverterInfo();
    void OnRefreshList();

    std::unique_ptr<Ui::ConverterListDialog> ui;
    QTreeWidget* listControl = nullptr;
    QIcon icon;
    DiscoveryHandle context = nullptr;
    ql5::MessageWindowBridge messageWindow;
    UrlOpener urlOpener;
};

#endif
