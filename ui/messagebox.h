// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_MESSAGEBOX_H
#define QL5CONFIG_MESSAGEBOX_H

#include <QByteArray>
#include <QString>

class QWidget;

namespace ql5config {

// Shows a message box owned by owner and waits until the user closes it: an
// OK button only, no icon, titled with the program file's name. The text is
// always shown as plain text, because it may carry a converter's message.
void showMessage(QWidget* owner, const QString& text);

// The same, with a text that the user can select and copy, for a message
// that carries something to use elsewhere, such as a web address.
void showSelectableMessage(QWidget* owner, const QString& text);

// A password the client cannot carry (over 255 bytes) is refused before
// anything is sent, rather than mistaken for a converter that does not answer.
// Returns true, after telling the user, when the password is too long.
bool refuseOverlongPassword(QWidget* owner, const QByteArray& passwordBytes);

}  // namespace ql5config

#endif
