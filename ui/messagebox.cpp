// SPDX-License-Identifier: Apache-2.0
#include "messagebox.h"

#include "commandtexts.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace ql5config {

namespace {

void showMessageBox(QWidget* owner, const QString& text, bool selectable)
{
    // The application name defaults to the program file's base name, which is
    // "QL5Config" for the shipped program.
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), QString(),
                    QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    if (selectable)
        box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

}  // namespace

void showMessage(QWidget* owner, const QString& text)
{
    showMessageBox(owner, text, false);
}

void showSelectableMessage(QWidget* owner, const QString& text)
{
    showMessageBox(owner, text, true);
}

bool refuseOverlongPassword(QWidget* owner, const QByteArray& passwordBytes)
{
    if (passwordBytes.size() <= kMaxPasswordBytes)
        return false;
    showMessage(owner, passwordTooLongMessage());
    return true;
}

}  // namespace ql5config
