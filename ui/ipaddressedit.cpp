// SPDX-License-Identifier: Apache-2.0
#include "ipaddressedit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace ql5config {

IpAddressEdit::IpAddressEdit(QWidget* parent)
    : QWidget(parent)
{
    // The fields sit inside one framed box, drawn like a single edit box.
    auto* box = new QLineEdit(this);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(box);

    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(0);

    // Up to three digits whose value is at most 255, leading zeros allowed;
    // an empty field is valid.
    static const QRegularExpression kOctet(
        QStringLiteral("^([01]?[0-9]{0,2}|2[0-4][0-9]|25[0-5])$"));
    const int digitWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000"));
    for (int index = 0; index < kFieldCount; ++index) {
        if (index > 0) {
            auto* dot = new QLabel(QStringLiteral("."), box);
            dot->setTextFormat(Qt::PlainText);
            row->addWidget(dot);
        }
        auto* field = new QLineEdit(box);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(3);
        field->setValidator(new QRegularExpressionValidator(kOctet, field));
        field->setFixedWidth(digitWidth);
        field->setAccessibleName(tr("Octet %1 of %2").arg(index + 1).arg(kFieldCount));
        // Only the first field is a tab stop; the others are reached by
        // typing, by the arrow keys or by the mouse.
        field->setFocusPolicy(index == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, index] { onFieldEdited(index); });
        row->addWidget(field);
        fields_[index] = field;
    }
    setFocusProxy(fields_[0]);
    setFocusPolicy(Qt::StrongFocus);
    box->setMinimumHeight(fields_[0]->sizeHint().height() + 4);
}

void IpAddressEdit::setAddressBytes(const std::array<std::uint8_t, kFieldCount>& bytes)
{
    for (int index = 0; index < kFieldCount; ++index)
        fields_[index]->setText(QString::number(bytes[index]));
}

std::array<std::uint8_t, IpAddressEdit::kFieldCount> IpAddressEdit::addressBytes() const
{
    std::array<std::uint8_t, kFieldCount> bytes{};
    for (int index = 0; index < kFieldCount; ++index) {
        // The validator keeps every field blank or within 0 to 255.
        bytes[index] = static_cast<std::uint8_t>(fields_[index]->text().toUInt());
    }
    return bytes;
}

std::uint32_t IpAddressEdit::address() const
{
    const auto bytes = addressBytes();
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

bool IpAddressEdit::isPartlyBlank() const
{
    const auto blank = std::count_if(fields_.begin(), fields_.end(), [](const QLineEdit* field) {
        return field->text().isEmpty();
    });
    return blank > 0 && blank < kFieldCount;
}

void IpAddressEdit::setAccessibleAddressName(const QString& name)
{
    setAccessibleName(name);
    for (int index = 0; index < kFieldCount; ++index) {
        fields_[index]->setAccessibleName(
            tr("%1, octet %2 of %3").arg(name).arg(index + 1).arg(kFieldCount));
    }
}

void IpAddressEdit::clear()
{
    for (QLineEdit* field : fields_)
        field->clear();
}

QLineEdit* IpAddressEdit::field(int index) const
{
    return fields_.at(static_cast<std::size_t>(index));
}

void IpAddressEdit::onFieldEdited(int index)
{
    QLineEdit* field = fields_[index];
    if (field->text().size() == 3 && field->cursorPosition() == 3 && index + 1 < kFieldCount)
        moveToField(index + 1, true);
}

void IpAddressEdit::moveToField(int index, bool atStart)
{
    QLineEdit* field = fields_[index];
    field->setFocus(Qt::OtherFocusReason);
    if (atStart)
        field->selectAll();
    else
        field->setCursorPosition(static_cast<int>(field->text().size()));
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto found = std::find(fields_.begin(), fields_.end(), watched);
    if (found == fields_.end())
        return QWidget::eventFilter(watched, event);
    const int index = static_cast<int>(found - fields_.begin());
    QLineEdit* field = *found;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool atStart = field->cursorPosition() == 0 && !field->hasSelectedText();
    const bool atEnd = field->cursorPosition() == field->text().size() && !field->hasSelectedText();

    switch (key->key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        if (index + 1 < kFieldCount && !field->text().isEmpty())
            moveToField(index + 1, true);
        return true;
    case Qt::Key_Right:
        if (atEnd && index + 1 < kFieldCount) {
            moveToField(index + 1, true);
            fields_[index + 1]->setCursorPosition(0);
            return true;
        }
        break;
    case Qt::Key_Left:
    case Qt::Key_Backspace:
        if (atStart && index > 0) {
            moveToField(index - 1, false);
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ql5config
