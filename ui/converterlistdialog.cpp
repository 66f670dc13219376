// SPDX-License-Identifier: Apache-2.0
#include "converterlistdialog.h"

#include "commandtexts.h"
#include "converterinfodialog.h"
#include "converterlistmodel.h"
#include "converterlistproxy.h"
#include "discoverysession.h"
#include "hostaddressesdialog.h"
#include "inventoryexport.h"
#include "ipsettingsdialog.h"
#include "messagebox.h"
#include "rebootdialog.h"
#include "recordtext.h"
#include "searchstatus.h"
#include "stringtable.h"
#include "sweephosts.h"
#include "ui_converterlistdialog.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <array>
#include <vector>

namespace ql5config {

namespace {

// Widths of the four columns in pixels, at the font the list was designed for.
constexpr std::array<int, 4> kColumnWidths = {129, 110, 110, 127};

// The average width of the 52 Latin letters, rounded to the nearest pixel:
// the measure by which dialog layouts scale with their font.
int averageLetterWidth(const QFontMetrics& metrics)
{
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return (letters / 26 + 1) / 2;
}

// The status line tells a screen reader of each change, not only the eye:
// how many converters, which networks, why nothing is found.
void setStatusText(QLabel* label, const QString& text)
{
    if (label->text() == text)
        return;
    label->setText(text);
    QAccessibleEvent changed(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

}  // namespace

ConverterListDialog::ConverterListDialog(QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::ConverterListDialog>()),
      session_(new DiscoverySession(this)),
      model_(new ConverterListModel(this)),
      proxy_(new ConverterListProxy(model_, this)),
      urlOpener_([](const QUrl& url) { return QDesktopServices::openUrl(url); })
{
    // A caption with system menu, minimise and close boxes, shown in the task
    // bar as an application window.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    ui_->setupUi(this);

    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/ql5config-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/ql5config-32.png"), QSize(32, 32));
    setWindowIcon(icon);

    QTreeView* list = ui_->listControl;
    model_->setWarningIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    list->setModel(proxy_);
    // The widths are pixels at an 8-point font whose letters average 6
    // pixels; they grow with the font in use, so that a MAC address still
    // fits its column on a desktop with a larger font.
    const int letterWidth = averageLetterWidth(list->fontMetrics());
    int listWidth = 0;
    for (int column = 0; column < 4; ++column) {
        const int width = std::max(kColumnWidths[column], kColumnWidths[column] * letterWidth / 6);
        list->setColumnWidth(column, width);
        listWidth += width;
    }
    list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The rows come in the order the replies arrived until the user clicks a
    // heading; from then on every new row takes its place in that order.
    list->header()->setSortIndicator(-1, Qt::AscendingOrder);
    list->setSortingEnabled(true);
    list->setMinimumWidth(listWidth + 2 * list->frameWidth() +
                          style()->pixelMetric(QStyle::PM_ScrollBarExtent));

    connect(ui_->openWebInterfaceButton, &QPushButton::clicked, this,
            &ConverterListDialog::openWebInterface);
    connect(ui_->configureIpSettingsButton, &QPushButton::clicked, this,
            &ConverterListDialog::configureIpSettings);
    connect(ui_->converterInfoButton, &QPushButton::clicked, this,
            &ConverterListDialog::showConverterInfo);
    connect(ui_->rebootConverterButton, &QPushButton::clicked, this,
            &ConverterListDialog::rebootConverter);
    connect(ui_->refreshListButton, &QPushButton::clicked, this, &ConverterListDialog::refreshList);
    connect(ui_->closeButton, &QPushButton::clicked, this, &ConverterListDialog::reject);

    connect(session_, &DiscoverySession::searchStarted, this, [this](const auto& networks) {
        showSearchedNetworks(networks);
        model_->setLocalNetworks(session_->localNetworks());
    });
    connect(session_, &DiscoverySession::searchFailed, this, &ConverterListDialog::searchFailed);
    connect(session_, &DiscoverySession::recordsArrived, model_, &ConverterListModel::addRecords);
    connect(session_, &DiscoverySession::notificationHandled, this,
            &ConverterListDialog::notificationHandled);

    createActions();
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ConverterListDialog::updateActions);
    connect(list, &QTreeView::customContextMenuRequested, this,
            &ConverterListDialog::showContextMenu);
    connect(list, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (model_->isDeviceRow(proxy_->mapToSource(index).row()))
            showConverterInfo();
    });
    connect(ui_->filterEdit, &QLineEdit::textChanged, this, &ConverterListDialog::applyFilter);
    ui_->filterEdit->installEventFilter(this);
    // The filter box's clear button is a tool button of the box's own.
    for (QToolButton* clear : ui_->filterEdit->findChildren<QToolButton*>())
        clear->setAccessibleName(tr("Clear the filter"));
    list->installEventFilter(this);
    auto* findShortcut = new QShortcut(QKeySequence::Find, this);
    connect(findShortcut, &QShortcut::activated, this, [this] {
        ui_->filterEdit->setFocus(Qt::ShortcutFocusReason);
        ui_->filterEdit->selectAll();
    });
    // No button is the window's default button.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setDefault(false);

    if (!session_->isOpen()) {
        showConverterCount();
        showSearchedNetworks({});
        showMessage(this, stringTableText(kInternalErrorText));
        // The window keeps the focus itself, so no control receives it.
        setFocus(Qt::OtherFocusReason);
        return;
    }
    refreshList();
}

ConverterListDialog::~ConverterListDialog() = default;

QString ConverterListDialog::nothingFoundText()
{
    return ConverterListModel::nothingFoundText();
}

void ConverterListDialog::setUrlOpener(UrlOpener opener)
{
    urlOpener_ = std::move(opener);
}

QTreeView* ConverterListDialog::list() const
{
    return ui_->listControl;
}

int ConverterListDialog::selectedSourceRow() const
{
    const QModelIndexList selected = ui_->listControl->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return -1;
    return proxy_->mapToSource(selected.first()).row();
}

std::optional<DeviceRecordExchange> ConverterListDialog::selectedRecord() const
{
    const DeviceRecordExchange* record = model_->record(selectedSourceRow());
    if (record == nullptr)
        return std::nullopt;
    return *record;
}

void ConverterListDialog::setRowLimit(int rows)
{
    model_->setRowLimit(rows);
}

void ConverterListDialog::refreshList()
{
    if (!session_->isOpen()) {
        showMessage(this, stringTableText(kInternalErrorText));
        return;
    }
    // The sweep starts once the searching row is on the screen.
    session_->refresh();
    model_->showSearching();
    showConverterCount();
}

void ConverterListDialog::searchFailed(const QString& reason)
{
    model_->showSearchFailed(reason);
    ui_->listControl->setFirstColumnSpanned(0, {}, true);
    showConverterCount();
    showSearchedNetworks({});
}

void ConverterListDialog::notificationHandled()
{
    model_->finishNotification(session_->droppedCount());
    // Only a list without a selection gets one: moving the user's selection
    // would let a late reply change which converter a command acts on just
    // before the click.
    if (!ui_->listControl->selectionModel()->hasSelection())
        selectFirstVisibleRow(false);
    showConverterCount();
}

void ConverterListDialog::showConverterCount()
{
    QString text = converterCountText(model_->converterCount(), model_->notListedCount());
    if (!proxy_->filterText().isEmpty()) {
        const int shown = proxy_->shownDeviceRows();
        text += shown == 1 ? tr("; 1 row matches the filter")
                           : tr("; %n rows match the filter", nullptr, shown);
    }
    setStatusText(ui_->converterCountLabel, text);
}

void ConverterListDialog::showSearchedNetworks(const QList<SearchedNetwork>& networks)
{
    setStatusText(ui_->searchedNetworksLabel, searchedNetworksText(networks));
    ui_->searchedNetworksLabel->setToolTip(searchedNetworksList(networks));
}

void ConverterListDialog::keyPressEvent(QKeyEvent* event)
{
    // A focused button takes Enter itself; anywhere else Enter ends the
    // window, as Escape does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ConverterListDialog::openWebInterface()
{
    const auto record = selectedRecord();
    if (!record) {
        showMessage(this, stringTableText(kNoSelectionText));
        return;
    }
    // Where no browser can be started, the user gets the address to open
    // elsewhere, instead of a click that seems to do nothing.
    const QString address = QStringLiteral("http://%1").arg(formatDottedDecimal(record->ipAddress));
    if (!urlOpener_(QUrl(address)))
        showSelectableMessage(this, browserFailedMessage(address));
}

void ConverterListDialog::configureIpSettings()
{
    const auto record = selectedRecord();
    if (!record) {
        showMessage(this, stringTableText(kNoSelectionText));
        return;
    }
    const std::uint32_t source = model_->sourceAddress(selectedSourceRow());
    IpSettingsDialog dialog(*record, this);
    dialog.setSourceAddress(source);
    dialog.setConflictCheck(model_->addressing(), session_->localNetworks());
    dialog.exec();

    // The row shows what the converter answered after the change, as a
    // refresh would, but without emptying the list. A converter that took a
    // new address answers from it now, as the confirming answer showed: the
    // row's commands go there.
    std::optional<DeviceRecordExchange> changed = dialog.lastHeard();
    const std::uint32_t now = dialog.confirmedSource() != 0 ? dialog.confirmedSource() : source;
    if (changed) {
        changed->localAddress = record->localAddress;
        if (model_->updateRecord(*changed, source, now))
            showConverterCount();
    }
    if (dialog.rebootRequested()) {
        RebootDialog reboot(changed.value_or(*record), this);
        reboot.setSourceAddress(now);
        reboot.exec();
    }
}

void ConverterListDialog::rebootConverter()
{
    const auto record = selectedRecord();
    if (!record) {
        showMessage(this, stringTableText(kNoSelectionText));
        return;
    }
    RebootDialog dialog(*record, this);
    dialog.setSourceAddress(model_->sourceAddress(selectedSourceRow()));
    dialog.exec();
}

void ConverterListDialog::showConverterInfo()
{
    const auto record = selectedRecord();
    if (!record) {
        showMessage(this, stringTableText(kNoSelectionText));
        return;
    }
    model_->finishWarnings();
    ConverterInfoDialog dialog(*record, this);
    dialog.setWarnings(model_->warningTexts(selectedSourceRow()));
    dialog.exec();
}

void ConverterListDialog::createActions()
{
    // The row's commands do what the buttons do; the texts are the buttons'.
    const auto rowAction = [this](QPushButton* button, void (ConverterListDialog::*command)()) {
        auto* action = new QAction(button->text(), this);
        connect(action, &QAction::triggered, this, command);
        return action;
    };
    openWebInterfaceAction_ =
        rowAction(ui_->openWebInterfaceButton, &ConverterListDialog::openWebInterface);
    configureIpSettingsAction_ =
        rowAction(ui_->configureIpSettingsButton, &ConverterListDialog::configureIpSettings);
    converterInfoAction_ =
        rowAction(ui_->converterInfoButton, &ConverterListDialog::showConverterInfo);
    rebootConverterAction_ =
        rowAction(ui_->rebootConverterButton, &ConverterListDialog::rebootConverter);

    // Ctrl+C copies rows only while the list has the focus; in the filter
    // box it copies the typed text as usual.
    copyAction_ = new QAction(tr("&Copy"), this);
    copyAction_->setShortcut(QKeySequence::Copy);
    copyAction_->setShortcutContext(Qt::WidgetShortcut);
    connect(copyAction_, &QAction::triggered, this, &ConverterListDialog::copySelectedRows);
    ui_->listControl->addAction(copyAction_);

    exportAction_ = new QAction(tr("&Export List..."), this);
    exportAction_->setShortcut(QKeySequence::Save);
    connect(exportAction_, &QAction::triggered, this, &ConverterListDialog::exportList);
    addAction(exportAction_);
    // Converters behind a router are asked by unicast at addresses the user
    // names; the entry sits in the context menu, outside the window's own
    // controls.
    addAddressesAction_ = new QAction(tr("Add addresses…"), this);
    connect(addAddressesAction_, &QAction::triggered, this, &ConverterListDialog::addHostAddresses);
    updateActions();
}

QMenu* ConverterListDialog::createContextMenu()
{
    auto* menu = new QMenu(this);
    menu->addAction(openWebInterfaceAction_);
    menu->addAction(configureIpSettingsAction_);
    menu->addAction(converterInfoAction_);
    menu->addAction(rebootConverterAction_);
    menu->addSeparator();
    menu->addAction(copyAction_);
    menu->addAction(exportAction_);
    menu->addAction(addAddressesAction_);
    return menu;
}

void ConverterListDialog::showContextMenu(const QPoint& position)
{
    // A right click has already selected the row beneath it.
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(ui_->listControl->viewport()->mapToGlobal(position));
}

void ConverterListDialog::updateActions()
{
    const bool converterSelected = selectedRecord().has_value();
    for (QAction* action : {openWebInterfaceAction_, configureIpSettingsAction_,
                            converterInfoAction_, rebootConverterAction_, copyAction_})
        action->setEnabled(converterSelected);
}

void ConverterListDialog::applyFilter()
{
    proxy_->setFilterText(ui_->filterEdit->text());
    // A command must not act on a converter that the filter hides: the
    // proxy drops a hidden row from the selection, and the first converter
    // shown takes its place.
    if (!ui_->listControl->selectionModel()->hasSelection())
        selectFirstVisibleRow(true);
    showConverterCount();
}

void ConverterListDialog::selectFirstVisibleRow(bool deviceRowsOnly)
{
    for (int row = 0; row < proxy_->rowCount(); ++row) {
        const QModelIndex index = proxy_->index(row, 0);
        if (!deviceRowsOnly || model_->isDeviceRow(proxy_->mapToSource(index).row())) {
            ui_->listControl->setCurrentIndex(index);
            return;
        }
    }
}

void ConverterListDialog::copySelectedRows()
{
    QStringList lines;
    for (const QModelIndex& index : ui_->listControl->selectionModel()->selectedRows()) {
        const int row = proxy_->mapToSource(index).row();
        if (model_->isDeviceRow(row))
            lines.append(model_->tabSeparatedText(row));
    }
    if (!lines.isEmpty())
        QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

bool ConverterListDialog::eventFilter(QObject* watched, QEvent* event)
{
    // The Menu key and Shift+F10 open the row's menu beside the current row,
    // where a keyboard user's eye is, rather than where the mouse rests.
    if (watched == ui_->listControl && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Menu ||
            (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
            QTreeView* list = ui_->listControl;
            const QRect row = list->visualRect(list->currentIndex());
            showContextMenu(row.isValid() ? row.bottomLeft() : QPoint(0, 0));
            return true;
        }
    }
    // In the filter box, Enter moves on to the list instead of ending the
    // window, and Escape empties a filled box first.
    if (watched == ui_->filterEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            ui_->listControl->setFocus(Qt::OtherFocusReason);
            return true;
        }
        if (key->key() == Qt::Key_Escape && !ui_->filterEdit->text().isEmpty()) {
            ui_->filterEdit->clear();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ConverterListDialog::exportList()
{
    const QString csvFilter = tr("CSV files (*.csv)");
    const QString jsonFilter = tr("JSON files (*.json)");
    QFileDialog dialog(this, tr("Export List"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({csvFilter, jsonFilter});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    // The chosen filter chooses the format, and the name's suffix follows.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        dialog.setDefaultSuffix(filter == jsonFilter ? QStringLiteral("json")
                                                     : QStringLiteral("csv"));
    });
    dialog.selectFile(QStringLiteral("converters.csv"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return;
    saveList(files.constFirst(), dialog.selectedNameFilter() == jsonFilter ? InventoryFormat::kJson
                                                                           : InventoryFormat::kCsv);
}

bool ConverterListDialog::saveList(const QString& fileName, InventoryFormat format)
{
    model_->finishWarnings();
    QList<ListedConverter> converters;
    for (int shown = 0; shown < proxy_->rowCount(); ++shown) {
        const int row = proxy_->mapToSource(proxy_->index(shown, 0)).row();
        if (model_->isDeviceRow(row))
            converters.append({*model_->record(row), model_->warningKeys(row)});
    }
    // The file appears whole or not at all.
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly) && file.write(inventoryText(converters, format)) >= 0 &&
        file.commit()) {
        return true;
    }
    showMessage(this, tr("The list could not be saved to %1:\n%2\n")
                          .arg(QDir::toNativeSeparators(fileName), file.errorString()));
    return false;
}

void ConverterListDialog::addHostAddresses()
{
    HostAddressesDialog dialog(savedHostEntries(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    saveHostEntries(dialog.entries());
    refreshList();
}

}  // namespace ql5config
