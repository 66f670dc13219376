// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_CONVERTERLISTDIALOG_H
#define QL5CONFIG_CONVERTERLISTDIALOG_H

#include <ql5/discovery.h>

#include <QDialog>
#include <QList>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QModelIndex;
class QPoint;
class QTreeView;
class QUrl;

namespace Ui {
class ConverterListDialog;
}

namespace ql5config {

enum class InventoryFormat;
struct SearchedNetwork;
class ConverterListModel;
class ConverterListProxy;
class DiscoverySession;

// The main window: the list of the converters that the discovery session
// finds on every attached network, and the commands on the selected one.
// The session searches, the model holds the rows, the proxy sorts and
// filters them; the window keeps the buttons, the menu, the commands and
// the export.
class ConverterListDialog : public QDialog
{
    Q_OBJECT

public:
    // Opens a web address; returns whether the desktop accepted it.
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit ConverterListDialog(QWidget* parent = nullptr);
    ~ConverterListDialog() override;

    // The row that tells that a notification found no converter.
    static QString nothingFoundText();

    // Replaces the desktop's default action for web addresses (for tests).
    void setUrlOpener(UrlOpener opener);

    // Changes the most device rows the list holds (for tests); rows already
    // listed stay.
    void setRowLimit(int rows);

    // The record of the selected device row, or none when no device row is
    // selected.
    std::optional<DeviceRecordExchange> selectedRecord() const;

    QTreeView* list() const;
    ConverterListModel* model() const { return model_; }
    ConverterListProxy* proxy() const { return proxy_; }
    DiscoverySession* session() const { return session_; }

    // The menu of the list: the selected row's commands, then what acts on
    // the whole list. Every entry is one of the window's actions, so that
    // its shortcut works without the menu too. The caller owns the menu.
    QMenu* createContextMenu();

    // Writes the rows that the filter shows, in their order, as
    // `ql5ctl list` writes its CSV or JSON. Tells the user and returns false
    // when the file cannot be written.
    bool saveList(const QString& fileName, ql5config::InventoryFormat format);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshList();
    void searchFailed(const QString& reason);
    void notificationHandled();
    void showConverterCount();
    void showSearchedNetworks(const QList<ql5config::SearchedNetwork>& networks);
    void createActions();
    void showContextMenu(const QPoint& position);
    void applyFilter();
    // Selects the first row that the filter shows; with deviceRowsOnly, the
    // first such converter.
    void selectFirstVisibleRow(bool deviceRowsOnly);
    void copySelectedRows();
    void exportList();
    // The model's row of the selected row, or -1.
    int selectedSourceRow() const;
    void updateActions();

    void openWebInterface();
    void configureIpSettings();
    void rebootConverter();
    void showConverterInfo();
    void addHostAddresses();

    std::unique_ptr<Ui::ConverterListDialog> ui_;
    DiscoverySession* session_ = nullptr;
    ConverterListModel* model_ = nullptr;
    ConverterListProxy* proxy_ = nullptr;
    UrlOpener urlOpener_;
    QAction* openWebInterfaceAction_ = nullptr;
    QAction* configureIpSettingsAction_ = nullptr;
    QAction* converterInfoAction_ = nullptr;
    QAction* rebootConverterAction_ = nullptr;
    QAction* copyAction_ = nullptr;
    QAction* exportAction_ = nullptr;
    QAction* addAddressesAction_ = nullptr;
};

}  // namespace ql5config

#endif
