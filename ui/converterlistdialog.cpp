#include "converterlistdialog.h"

#include "converterinfodialog.h"
#include "ipsettingsdialog.h"
#include "messagebox.h"
#include "rebootdialog.h"
#include "recordtext.h"
#include "stringtable.h"
#include "ui_converterlistdialog.h"

#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>
#include <QUrl>

#include <algorithm>

using namespace ql5;

namespace {

// Widths of the four columns in pixels, at the font the list was designed for.
constexpr int kColumnWidths[4] = {129, 110, 110, 127};

// The average width of the 52 Latin letters, rounded to the nearest pixel:
// the measure by which dialog layouts scale with their font.
int AverageLetterWidth(const QFontMetrics& metrics)
{
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return (letters / 26 + 1) / 2;
}

}  // namespace

ConverterRow::ConverterRow(std::unique_ptr<DeviceRecordExchange> record)
    : record_(std::move(record))
{
}

ConverterListDialog::ConverterListDialog(QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::ConverterListDialog>()),
      messageWindow(this),
      urlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); })
{
    // A caption with system menu, minimise and close boxes, shown in the task
    // bar as an application window.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    // Initialisation, step 1: bind the list.
    ui->setupUi(this);
    listControl = ui->listControl;

    // Step 2: the window's icon, in both sizes.
    icon.addFile(QStringLiteral(":/icons/ql5config-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/ql5config-32.png"), QSize(32, 32));
    setWindowIcon(icon);

    // Step 3: four left-aligned columns with their headings and widths. The
    // widths are pixels at an 8-point font whose letters average 6 pixels;
    // they grow with the font in use, so that a MAC address still fits its
    // column on a desktop with a larger font.
    listControl->setColumnCount(4);
    listControl->setHeaderLabels({StringTableText(IpAddressHeading),
                                  StringTableText(MacAddressHeading), StringTableText(NameHeading),
                                  StringTableText(ConverterHeading)});
    const int averageCharWidth = AverageLetterWidth(listControl->fontMetrics());
    int listWidth = 0;
    for (int column = 0; column < 4; ++column) {
        const int width =
            std::max(kColumnWidths[column], kColumnWidths[column] * averageCharWidth / 6);
        listControl->setColumnWidth(column, width);
        listWidth += width;
    }
    listControl->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    listControl->setMinimumWidth(listWidth + 2 * listControl->frameWidth() +
                                 style()->pixelMetric(QStyle::PM_ScrollBarExtent));

    // Step 4: a click anywhere in a row selects the whole row; the .ui file
    // sets full-row, single selection.

    connect(ui->openWebInterfaceButton, &QPushButton::clicked, this,
            &ConverterListDialog::OnOpenWebInterface);
    connect(ui->configureIpSettingsButton, &QPushButton::clicked, this,
            &ConverterListDialog::OnConfigureIpSettings);
    connect(ui->converterInfoButton, &QPushButton::clicked, this,
            &ConverterListDialog::OnConverterInfo);
    connect(ui->rebootConverterButton, &QPushButton::clicked, this,
            &ConverterListDialog::OnRebootConverter);
    connect(ui->refreshListButton, &QPushButton::clicked, this,
            &ConverterListDialog::OnRefreshList);
    connect(ui->closeButton, &QPushButton::clicked, this, &ConverterListDialog::reject);
    // No button is the window's default button.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setDefault(false);

    // Steps 6 to 8.
    context = OpenContext(QL5_PROTOCOL_MAGIC);
    if (context == nullptr) {
        ShowMessage(this, StringTableText(InternalErrorText));
        // The window keeps the focus itself, so no control receives it.
        setFocus(Qt::OtherFocusReason);
        return;
    }
    RefreshList();
}

ConverterListDialog::~ConverterListDialog()
{
    // The sweep has ended when StopDiscovery returns, so nothing is posted to
    // this window any more when the message window goes with the members.
    StopDiscovery(context);
    CloseContext(context);
    ClearRows();
}

QString ConverterListDialog::NothingFoundText()
{
    return QStringLiteral(u"Nie znaleziono urządzeń");
}

void ConverterListDialog::setUrlOpener(UrlOpener opener)
{
    urlOpener = std::move(opener);
}

DeviceRecordExchange* ConverterListDialog::SelectedRecord() const
{
    const QList<QTreeWidgetItem*> selected = listControl->selectedItems();
    const int index = selected.isEmpty() ? -1 : listControl->indexOfTopLevelItem(selected.first());
    if (index < 0 || index >= listControl->topLevelItemCount())
        return nullptr;
    return static_cast<ConverterRow*>(listControl->topLevelItem(index))->record();
}

void ConverterListDialog::ClearRows()
{
    while (listControl->topLevelItemCount() > 0)
        delete listControl->takeTopLevelItem(0);
}

void ConverterListDialog::RefreshList()
{
    if (context == nullptr) {
        ShowMessage(this, StringTableText(InternalErrorText));
        return;
    }
    StopDiscovery(context);

    listControl->setUpdatesEnabled(false);
    ClearRows();
    auto* searching = new ConverterRow;
    searching->setText(0, StringTableText(SearchingText));
    listControl->insertTopLevelItem(0, searching);
    listControl->setUpdatesEnabled(true);
    listControl->viewport()->repaint();

    // The sweep starts once this handler has returned and the searching row
    // is on the screen.
    messageWindow.post(WM_APP_START_SWEEP);
}

void ConverterListDialog::OnStartSweep()
{
    if (context == nullptr) {
        ShowMessage(this, StringTableText(InternalErrorText));
        return;
    }
    StartDiscovery(context, messageWindow.handle(), WM_APP_REPLIES_WAITING, 0);
}

void ConverterListDialog::OnRepliesWaiting()
{
    if (listControl->topLevelItemCount() > 0 &&
        listControl->topLevelItem(0)->text(0) == StringTableText(SearchingText)) {
        delete listControl->takeTopLevelItem(0);
    }

    while (GetDeviceCount(context) > 0) {
        DeviceRecordExchange local{};
        // This window is the queue's only reader, so a positive count always
        // yields a record; stopping on anything else keeps a faulty count
        // from turning into an endless loop.
        if (ReadDevices(context, &local, 1) != 1)
            break;
        auto copy = std::make_unique<DeviceRecordExchange>(local);
        const QString macText = FormatMac(local.macAddress);
        // The row's copy keeps the name as received; only the shown text is
        // substituted.
        SubstituteProductName(local);

        auto* row = new ConverterRow(std::move(copy));
        row->setText(0, FormatDottedDecimal(local.ipAddress));
        row->setText(1, macText);
        row->setText(2, DecodeConverterText(local.code4Text));
        row->setText(3, DecodeConverterText(local.productName));
        listControl->insertTopLevelItem(listControl->topLevelItemCount(), row);
    }

    if (listControl->topLevelItemCount() == 0) {
        auto* nothingFound = new ConverterRow;
        nothingFound->setText(0, NothingFoundText());
        listControl->insertTopLevelItem(0, nothingFound);
    } else {
        listControl->setCurrentItem(listControl->topLevelItem(0));
    }
}

void ConverterListDialog::customEvent(QEvent* event)
{
    if (event->type() != WindowMessageEvent::EventType()) {
        QDialog::customEvent(event);
        return;
    }
    switch (static_cast<WindowMessageEvent*>(event)->message()) {
    case WM_APP_START_SWEEP:
        OnStartSweep();
        break;
    case WM_APP_REPLIES_WAITING:
        OnRepliesWaiting();
        break;
    default:
        break;
    }
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

void ConverterListDialog::OnRefreshList()
{
    RefreshList();
}

void ConverterListDialog::OnOpenWebInterface()
{
    DeviceRecordExchange* record = SelectedRecord();
    if (record == nullptr) {
        ShowMessage(this, StringTableText(NoSelectionText));
        return;
    }
    // The outcome is ignored: nothing is shown when the desktop fails.
    urlOpener(QUrl(QStringLiteral("http://%1").arg(FormatDottedDecimal(record->ipAddress))));
}

void ConverterListDialog::OnConfigureIpSettings()
{
    DeviceRecordExchange* record = SelectedRecord();
    if (record == nullptr) {
        ShowMessage(this, StringTableText(NoSelectionText));
        return;
    }
    IpSettingsDialog dialog(record, this);
    dialog.exec();
}

void ConverterListDialog::OnRebootConverter()
{
    DeviceRecordExchange* record = SelectedRecord();
    if (record == nullptr) {
        ShowMessage(this, StringTableText(NoSelectionText));
        return;
    }
    RebootDialog dialog(record, this);
    dialog.exec();
}

void ConverterListDialog::OnConverterInfo()
{
    DeviceRecordExchange* record = SelectedRecord();
    if (record == nullptr) {
        ShowMessage(this, StringTableText(NoSelectionText));
        return;
    }
    ConverterInfoDialog dialog(record, this);
    dialog.exec();
}
