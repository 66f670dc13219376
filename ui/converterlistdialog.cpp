// SPDX-License-Identifier: Apache-2.0
#include "converterlistdialog.h"

#include "commandtexts.h"
#include "converterinfodialog.h"
#include "converterwarnings.h"
#include "hostaddressesdialog.h"
#include "inventoryexport.h"
#include "ipsettingsdialog.h"
#include "messagebox.h"
#include "rebootdialog.h"
#include "recordtext.h"
#include "searchstatus.h"
#include "stringtable.h"
#include "sweephosts.h"
#include "sweepnotifier.h"
#include "ui_converterlistdialog.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QSet>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <array>
#include <vector>

using namespace ql5;

namespace {

// Widths of the four columns in pixels, at the font the list was designed for.
constexpr std::array<int, 4> kColumnWidths = {129, 110, 110, 127};

// How many records one read takes from the reply queue. The queue can hold
// tens of thousands; reading them in slices keeps the buffer small.
constexpr int kRecordsPerRead = 256;

// The average width of the 52 Latin letters, rounded to the nearest pixel:
// the measure by which dialog layouts scale with their font.
int averageLetterWidth(const QFontMetrics& metrics)
{
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return (letters / 26 + 1) / 2;
}

// A converter as heard on one local address: its MAC and that address.
constexpr qsizetype kMacBytes = 6;

QByteArray converterKey(const DeviceRecordExchange& record)
{
    QByteArray key(reinterpret_cast<const char*>(record.macAddress), kMacBytes);
    key.append(reinterpret_cast<const char*>(&record.localAddress), sizeof record.localAddress);
    return key;
}

// The local addresses that the running sweep listens on: those whose
// socket the client could open.
QList<std::uint32_t> sweepAddresses(DiscoveryHandle context)
{
    const std::int32_t count = GetSweepAddresses(context, nullptr, 0);
    if (count <= 0)
        return {};
    QList<std::uint32_t> addresses(count);
    const std::int32_t copied =
        GetSweepAddresses(context, addresses.data(), static_cast<std::uint32_t>(count));
    addresses.resize(std::clamp(copied, 0, count));
    return addresses;
}

}  // namespace

ConverterListDialog::ConverterListDialog(QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::ConverterListDialog>()),
      notifier_(new SweepNotifier(this)),
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

    // The widths are pixels at an 8-point font whose letters average 6
    // pixels; they grow with the font in use, so that a MAC address still
    // fits its column on a desktop with a larger font.
    QTreeWidget* list = ui_->listControl;
    list->setColumnCount(4);
    list->setHeaderLabels({stringTableText(kIpAddressHeading), stringTableText(kMacAddressHeading),
                           stringTableText(kNameHeading), stringTableText(kConverterHeading)});
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
    warningIcon_ = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    // A tenth of a second lets a burst of replies in before the check, and
    // still marks a row before the eye settles on it.
    warningsTimer_ = new QTimer(this);
    warningsTimer_->setSingleShot(true);
    warningsTimer_->setInterval(100);
    connect(warningsTimer_, &QTimer::timeout, this, &ConverterListDialog::updateWarnings);
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
    connect(notifier_, &SweepNotifier::repliesWaiting, this, &ConverterListDialog::readReplies);
    createActions();
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QTreeWidget::itemSelectionChanged, this, &ConverterListDialog::updateActions);
    connect(list, &QTreeWidget::customContextMenuRequested, this,
            &ConverterListDialog::showContextMenu);
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* row) {
        if (static_cast<ConverterItem*>(row)->isDeviceRow())
            showConverterInfo();
    });
    connect(ui_->filterEdit, &QLineEdit::textChanged, this, &ConverterListDialog::applyFilter);
    ui_->filterEdit->installEventFilter(this);
    auto* findShortcut = new QShortcut(QKeySequence::Find, this);
    connect(findShortcut, &QShortcut::activated, this, [this] {
        ui_->filterEdit->setFocus(Qt::ShortcutFocusReason);
        ui_->filterEdit->selectAll();
    });
    // No button is the window's default button.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setDefault(false);

    context_ = OpenContext(QL5_PROTOCOL_MAGIC);
    if (context_ == nullptr) {
        showConverterCount();
        showSearchedNetworks({});
        showMessage(this, stringTableText(kInternalErrorText));
        // The window keeps the focus itself, so no control receives it.
        setFocus(Qt::OtherFocusReason);
        return;
    }
    refreshList();
}

ConverterListDialog::~ConverterListDialog()
{
    // The sweep has ended when StopDiscovery returns, so nothing is posted to
    // the notifier any more when it goes with the window's children.
    StopDiscovery(context_);
    CloseContext(context_);
}

QString ConverterListDialog::nothingFoundText()
{
    return QStringLiteral(u"Nie znaleziono urządzeń");
}

void ConverterListDialog::setUrlOpener(UrlOpener opener)
{
    urlOpener_ = std::move(opener);
}

QTreeWidget* ConverterListDialog::list() const
{
    return ui_->listControl;
}

std::optional<DeviceRecordExchange> ConverterListDialog::selectedRecord() const
{
    const ConverterItem* row = selectedRow();
    if (row == nullptr)
        return std::nullopt;
    return row->record();
}

ConverterItem* ConverterListDialog::selectedRow() const
{
    const QList<QTreeWidgetItem*> selected = ui_->listControl->selectedItems();
    if (selected.isEmpty())
        return nullptr;
    return static_cast<ConverterItem*>(selected.first());
}

void ConverterListDialog::setRowLimit(int rows)
{
    rowLimit_ = rows;
}

void ConverterListDialog::clearRows()
{
    rowsByConverter_.clear();
    macs_.clear();
    leftOut_ = 0;
    droppedByClient_ = 0;
    ui_->listControl->clear();
}

void ConverterListDialog::refreshList()
{
    if (context_ == nullptr) {
        showMessage(this, stringTableText(kInternalErrorText));
        return;
    }
    StopDiscovery(context_);
    // From here on, notifications of the sweep just stopped are ignored,
    // also those already on their way.
    const int sweep = ++sweep_;

    QTreeWidget* list = ui_->listControl;
    list->setUpdatesEnabled(false);
    clearRows();
    auto* searching = new ConverterItem(list);
    searching->setText(0, stringTableText(kSearchingText));
    list->setUpdatesEnabled(true);
    showConverterCount();

    // The sweep starts once the searching row is on the screen. A second
    // refresh before that supersedes this start.
    QTimer::singleShot(0, this, [this, sweep] { startSweep(sweep); });
}

void ConverterListDialog::startSweep(int sweep)
{
    if (sweep != sweep_)
        return;
    // A list the client refuses (memory running out) leaves the sweep to the
    // multicast search alone.
    static_cast<void>(applySavedHosts(context_));
    if (StartDiscovery(context_, notifier_->window(), SweepNotifier::kRepliesWaitingMessage,
                       sweep) == 0) {
        showSearchedNetworks(networksOf(sweepAddresses(context_)));
        localNetworks_ = localNetworks();
        return;
    }
    // A search that cannot start says why, instead of a searching row that
    // would never go away.
    char reason[256] = {};
    GetStatusText(context_, reason, sizeof reason);
    QString text = shownConverterText(reason);
    if (text.isEmpty() || text == QLatin1String(QL5_STATUS_TEXT_SUCCESS))
        text = QStringLiteral("The search for converters could not start.");
    else
        text = QStringLiteral("Cannot search: %1").arg(text);
    QTreeWidget* list = ui_->listControl;
    clearRows();
    auto* row = new ConverterItem(list);
    row->setText(0, text);
    row->setFirstColumnSpanned(true);
    showConverterCount();
    showSearchedNetworks({});
}

void ConverterListDialog::readReplies(int sweep)
{
    if (sweep != sweep_)
        return;
    QTreeWidget* list = ui_->listControl;
    if (list->topLevelItemCount() > 0 &&
        list->topLevelItem(0)->text(0) == stringTableText(kSearchingText)) {
        delete list->takeTopLevelItem(0);
    }

    // Only what waits now is read: under a flood of replies the sweep keeps
    // filling the queue, and it notifies again for whatever comes later.
    std::vector<DeviceRecordExchange> records(kRecordsPerRead);
    for (int waiting = GetDeviceCount(context_); waiting > 0;) {
        const auto wanted = static_cast<std::uint32_t>(std::min(waiting, kRecordsPerRead));
        const int read = ReadDevices(context_, records.data(), wanted);
        if (read <= 0)
            break;
        for (int i = 0; i < read; ++i)
            showRecord(records[static_cast<std::size_t>(i)]);
        waiting -= read;
    }
    droppedByClient_ = std::max<qint64>(0, GetDroppedCount(context_));

    if (list->topLevelItemCount() == 0) {
        auto* nothingFound = new ConverterItem(list);
        nothingFound->setText(0, nothingFoundText());
    } else if (list->selectedItems().isEmpty()) {
        // Only a list without a selection gets one: moving the user's
        // selection would let a late reply change which converter a command
        // acts on just before the click.
        selectFirstVisibleRow(false);
    }
    scheduleWarnings();
    showConverterCount();
}

void ConverterListDialog::showRecord(const DeviceRecordExchange& record)
{
    const QByteArray key = converterKey(record);
    ConverterItem* row = rowsByConverter_.value(key);
    if (row == nullptr) {
        // A full list still updates its rows, but takes no new converter.
        if (rowsByConverter_.size() >= rowLimit_) {
            ++leftOut_;
            return;
        }
        row = new ConverterItem(ui_->listControl);
        rowsByConverter_.insert(key, row);
        macs_.insert(key.first(kMacBytes));
    }
    row->setRecord(record);
    row->setHidden(!row->matchesFilter(ui_->filterEdit->text()));
}

void ConverterListDialog::showConverterCount()
{
    QString text = converterCountText(static_cast<int>(macs_.size()), leftOut_ + droppedByClient_);
    if (!ui_->filterEdit->text().isEmpty()) {
        int shown = 0;
        for (ConverterItem* row : std::as_const(rowsByConverter_))
            shown += row->isHidden() ? 0 : 1;
        text += shown == 1 ? QStringLiteral("; 1 row matches the filter")
                           : QStringLiteral("; %1 rows match the filter").arg(shown);
    }
    ui_->converterCountLabel->setText(text);
}

void ConverterListDialog::showSearchedNetworks(const QList<SearchedNetwork>& networks)
{
    ui_->searchedNetworksLabel->setText(searchedNetworksText(networks));
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
    IpSettingsDialog dialog(*record, this);
    std::vector<ql5common::ConverterAddressing> listed;
    for (const ConverterItem* row : std::as_const(rowsByConverter_))
        listed.push_back(row->addressing());
    dialog.setConflictCheck(std::move(listed), localNetworks_);
    dialog.exec();

    // The row shows what the converter answered after the change, as a
    // refresh would, but without emptying the list.
    std::optional<DeviceRecordExchange> changed = dialog.lastHeard();
    if (changed && rowsByConverter_.contains(converterKey(*record))) {
        changed->localAddress = record->localAddress;
        showRecord(*changed);
        updateWarnings();
        showConverterCount();
    }
    if (dialog.rebootRequested()) {
        RebootDialog reboot(changed.value_or(*record), this);
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
    dialog.exec();
}

void ConverterListDialog::showConverterInfo()
{
    const auto record = selectedRecord();
    if (!record) {
        showMessage(this, stringTableText(kNoSelectionText));
        return;
    }
    finishWarnings();
    ConverterInfoDialog dialog(*record, this);
    dialog.setWarnings(selectedRow()->warningTexts());
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
    copyAction_ = new QAction(QStringLiteral("&Copy"), this);
    copyAction_->setShortcut(QKeySequence::Copy);
    copyAction_->setShortcutContext(Qt::WidgetShortcut);
    connect(copyAction_, &QAction::triggered, this, &ConverterListDialog::copySelectedRows);
    ui_->listControl->addAction(copyAction_);

    exportAction_ = new QAction(QStringLiteral("&Export List..."), this);
    exportAction_->setShortcut(QKeySequence::Save);
    connect(exportAction_, &QAction::triggered, this, &ConverterListDialog::exportList);
    addAction(exportAction_);
    // Converters behind a router are asked by unicast at addresses the user
    // names; the entry sits in the context menu, outside the window's own
    // controls.
    addAddressesAction_ = new QAction(QStringLiteral("Add addresses…"), this);
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
    const QString filter = ui_->filterEdit->text();
    QTreeWidget* list = ui_->listControl;
    for (int index = 0; index < list->topLevelItemCount(); ++index) {
        auto* row = static_cast<ConverterItem*>(list->topLevelItem(index));
        row->setHidden(!row->matchesFilter(filter));
    }
    // A command must not act on a converter that the filter hides.
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    if (!selected.isEmpty() && selected.first()->isHidden())
        list->clearSelection();
    if (list->selectedItems().isEmpty())
        selectFirstVisibleRow(true);
    showConverterCount();
}

void ConverterListDialog::selectFirstVisibleRow(bool deviceRowsOnly)
{
    QTreeWidget* list = ui_->listControl;
    for (int index = 0; index < list->topLevelItemCount(); ++index) {
        auto* row = static_cast<ConverterItem*>(list->topLevelItem(index));
        if (!row->isHidden() && (row->isDeviceRow() || !deviceRowsOnly)) {
            list->setCurrentItem(row);
            return;
        }
    }
}

void ConverterListDialog::copySelectedRows()
{
    QStringList lines;
    QTreeWidget* list = ui_->listControl;
    for (int index = 0; index < list->topLevelItemCount(); ++index) {
        auto* row = static_cast<ConverterItem*>(list->topLevelItem(index));
        if (row->isSelected() && !row->isHidden() && row->isDeviceRow())
            lines.append(row->tabSeparatedText());
    }
    if (!lines.isEmpty())
        QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

bool ConverterListDialog::eventFilter(QObject* watched, QEvent* event)
{
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

void ConverterListDialog::scheduleWarnings()
{
    if (!warningsTimer_->isActive())
        warningsTimer_->start();
}

void ConverterListDialog::finishWarnings()
{
    if (warningsTimer_->isActive()) {
        warningsTimer_->stop();
        updateWarnings();
    }
}

void ConverterListDialog::updateWarnings()
{
    warningsTimer_->stop();
    std::vector<ConverterItem*> rows;
    std::vector<ql5common::ConverterAddressing> addressing;
    rows.reserve(static_cast<std::size_t>(rowsByConverter_.size()));
    addressing.reserve(rows.capacity());
    for (ConverterItem* row : std::as_const(rowsByConverter_)) {
        rows.push_back(row);
        addressing.push_back(row->addressing());
    }
    const auto conflicts = ql5common::FindConflicts(addressing, localNetworks_);
    for (std::size_t index = 0; index < rows.size(); ++index)
        rows[index]->setWarnings(conflictTexts(conflicts[index]), conflictKeys(conflicts[index]),
                                 warningIcon_);
}

void ConverterListDialog::exportList()
{
    const QString csvFilter = QStringLiteral("CSV files (*.csv)");
    const QString jsonFilter = QStringLiteral("JSON files (*.json)");
    QFileDialog dialog(this, QStringLiteral("Export List"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({csvFilter, jsonFilter});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    // The chosen filter chooses the format, and the name's suffix follows.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        dialog.setDefaultSuffix(filter == jsonFilter ? QStringLiteral("json")
                                                     : QStringLiteral("csv"));
    });
    dialog.selectFile(QStringLiteral("converters.csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    saveList(dialog.selectedFiles().constFirst(), dialog.selectedNameFilter() == jsonFilter
                                                      ? InventoryFormat::kJson
                                                      : InventoryFormat::kCsv);
}

bool ConverterListDialog::saveList(const QString& fileName, InventoryFormat format)
{
    finishWarnings();
    QList<ListedConverter> converters;
    QTreeWidget* list = ui_->listControl;
    for (int index = 0; index < list->topLevelItemCount(); ++index) {
        const auto* row = static_cast<const ConverterItem*>(list->topLevelItem(index));
        if (row->isHidden() || !row->isDeviceRow())
            continue;
        converters.append({*row->record(), row->warningKeys()});
    }
    // The file appears whole or not at all.
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly) && file.write(inventoryText(converters, format)) >= 0 &&
        file.commit()) {
        return true;
    }
    showMessage(this, QStringLiteral("The list could not be saved to %1:\n%2\n")
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
