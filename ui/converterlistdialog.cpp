// SPDX-License-Identifier: Apache-2.0
#include "converterlistdialog.h"

#include "converterinfodialog.h"
#include "hostaddressesdialog.h"
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
#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QSet>
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
    // Converters behind a router are asked by unicast at addresses the user
    // names; the entry sits in the list's context menu, outside the window's
    // own controls.
    auto* addAddresses = new QAction(QStringLiteral("Add addresses…"), list);
    connect(addAddresses, &QAction::triggered, this, &ConverterListDialog::addHostAddresses);
    list->addAction(addAddresses);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
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
    const QList<QTreeWidgetItem*> selected = ui_->listControl->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    const QVariant data = selected.first()->data(0, kRecordRole);
    if (!data.isValid())
        return std::nullopt;
    return data.value<DeviceRecordExchange>();
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
    auto* searching = new QTreeWidgetItem(list);
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
        return;
    }
    // A search that cannot start says why, instead of a searching row that
    // would never go away.
    char reason[256] = {};
    GetStatusText(context_, reason, sizeof reason);
    QString text = shownConverterText(reason);
    if (text.isEmpty() || text == QLatin1String("Operation Successful"))
        text = QStringLiteral("The search for converters could not start.");
    else
        text = QStringLiteral("Cannot search: %1").arg(text);
    QTreeWidget* list = ui_->listControl;
    clearRows();
    auto* row = new QTreeWidgetItem(list);
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
        auto* nothingFound = new QTreeWidgetItem(list);
        nothingFound->setText(0, nothingFoundText());
    } else if (list->selectedItems().isEmpty()) {
        // Only a list without a selection gets one: moving the user's
        // selection would let a late reply change which converter a command
        // acts on just before the click.
        list->setCurrentItem(list->topLevelItem(0));
    }
    showConverterCount();
}

void ConverterListDialog::showRecord(const DeviceRecordExchange& record)
{
    const QByteArray key = converterKey(record);
    QTreeWidgetItem* row = rowsByConverter_.value(key);
    if (row == nullptr) {
        // A full list still updates its rows, but takes no new converter.
        if (rowsByConverter_.size() >= rowLimit_) {
            ++leftOut_;
            return;
        }
        row = new QTreeWidgetItem(ui_->listControl);
        rowsByConverter_.insert(key, row);
        macs_.insert(key.first(kMacBytes));
    }
    // The row's data keeps the record as received; only the shown name is
    // substituted.
    row->setData(0, kRecordRole, QVariant::fromValue(record));
    row->setText(0, formatDottedDecimal(record.ipAddress));
    row->setText(1, formatMac(record.macAddress));
    row->setText(2, shownConverterText(record.code4Text));
    row->setText(3, shownProductName(record));
}

void ConverterListDialog::showConverterCount()
{
    ui_->converterCountLabel->setText(
        converterCountText(static_cast<int>(macs_.size()), leftOut_ + droppedByClient_));
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
    // The outcome is ignored: nothing is shown when the desktop fails.
    urlOpener_(QUrl(QStringLiteral("http://%1").arg(formatDottedDecimal(record->ipAddress))));
}

void ConverterListDialog::configureIpSettings()
{
    const auto record = selectedRecord();
    if (!record) {
        showMessage(this, stringTableText(kNoSelectionText));
        return;
    }
    IpSettingsDialog dialog(*record, this);
    dialog.exec();
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
    ConverterInfoDialog dialog(*record, this);
    dialog.exec();
}

void ConverterListDialog::addHostAddresses()
{
    HostAddressesDialog dialog(savedHostEntries(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    saveHostEntries(dialog.entries());
    refreshList();
}
