// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_CONVERTERLISTDIALOG_H
#define QL5CONFIG_CONVERTERLISTDIALOG_H

#include "converteritem.h"

#include <ql5/discovery.h>

#include <QByteArray>
#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QSet>

#include <ql5common/conflicts.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPoint;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

namespace Ui {
class ConverterListDialog;
}

namespace ql5 {
enum class InventoryFormat;
class SweepNotifier;
struct SearchedNetwork;
}  // namespace ql5

// The main window: finds the converters on every attached network, lists
// them, and runs the commands on the selected one. It owns one discovery
// context from its creation to its destruction.
//
// Each row of the list is one converter as heard on one local address. A
// device row holds the record of the newest reply as its data; the
// searching, nothing-found and cannot-search rows hold none.
class ConverterListDialog : public QDialog
{
    Q_OBJECT

public:
    // Opens a web address; returns whether the desktop accepted it.
    using UrlOpener = std::function<bool(const QUrl&)>;

    // The item data role under which a device row holds its record.
    static constexpr int kRecordRole = ConverterItem::kRecordRole;

    // The most device rows the list holds: as many records as the client
    // queues at most. A flood of forged replies, each from another MAC,
    // would otherwise grow the list, and the window's memory, without end.
    static constexpr int kDefaultRowLimit = static_cast<int>(QL5_MAX_PENDING_RECORDS);

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

    QTreeWidget* list() const;

    // The menu of the list: the selected row's commands, then what acts on
    // the whole list. Every entry is one of the window's actions, so that
    // its shortcut works without the menu too. The caller owns the menu.
    QMenu* createContextMenu();

    // Writes the rows that the filter shows, in their order, as
    // `ql5ctl list` writes its CSV or JSON. Tells the user and returns false
    // when the file cannot be written.
    bool saveList(const QString& fileName, ql5::InventoryFormat format);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshList();
    void startSweep(int sweep);
    void readReplies(int sweep);
    void showRecord(const DeviceRecordExchange& record);
    void clearRows();
    void showConverterCount();
    void showSearchedNetworks(const QList<ql5::SearchedNetwork>& networks);
    void createActions();
    void showContextMenu(const QPoint& position);
    void applyFilter();
    // Selects the first row that the filter shows; with deviceRowsOnly, the
    // first such converter.
    void selectFirstVisibleRow(bool deviceRowsOnly);
    void copySelectedRows();
    void exportList();
    void updateWarnings();
    // Checks the warnings of the whole list once the replies that are coming
    // have been shown, and not after each read: the check looks at every row.
    void scheduleWarnings();
    // Brings the rows' warnings up to date now if a check is due.
    void finishWarnings();
    ConverterItem* selectedRow() const;
    void updateActions();

    void openWebInterface();
    void configureIpSettings();
    void rebootConverter();
    void showConverterInfo();
    void addHostAddresses();

    std::unique_ptr<Ui::ConverterListDialog> ui_;
    DiscoveryHandle context_ = nullptr;
    ql5::SweepNotifier* notifier_ = nullptr;
    // The number of the current sweep; notifications of earlier ones are
    // ignored.
    int sweep_ = 0;
    // The device rows by MAC and local address, so that a newer reply finds
    // its row at once even in a list of thousands.
    QHash<QByteArray, ConverterItem*> rowsByConverter_;
    // The MACs of the device rows: a converter heard on two networks has two
    // rows but counts once.
    QSet<QByteArray> macs_;
    int rowLimit_ = kDefaultRowLimit;
    // Replies of converters without a row that the full list left out, and
    // those that the client dropped because its queue was full.
    qint64 leftOut_ = 0;
    qint64 droppedByClient_ = 0;
    UrlOpener urlOpener_;
    QAction* openWebInterfaceAction_ = nullptr;
    QAction* configureIpSettingsAction_ = nullptr;
    QAction* converterInfoAction_ = nullptr;
    QAction* rebootConverterAction_ = nullptr;
    QAction* copyAction_ = nullptr;
    QAction* exportAction_ = nullptr;
    QAction* addAddressesAction_ = nullptr;
    // This workstation's networks, as the conflict rules need them; read
    // when a sweep starts.
    std::vector<ql5common::LocalNetwork> localNetworks_;
    // Made once and shared by every row with a warning: an icon of its own
    // per row would hold its own pixmaps, kilobytes a row in a long list.
    QIcon warningIcon_;
    QTimer* warningsTimer_ = nullptr;
};

Q_DECLARE_METATYPE(DeviceRecordExchange)

#endif
