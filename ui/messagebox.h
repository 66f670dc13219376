#ifndef QL5CONFIG_MESSAGEBOX_H
#define QL5CONFIG_MESSAGEBOX_H

#include <QString>

class QWidget;

namespace ql5 {

// Shows a message box owned by owner and waits until the user closes it: an
// OK button only, no icon, titled with the program file's name. The text is
// always shown as plain text, because it may carry a converter's message.
void ShowMessage(QWidget* owner, const QString& text);

}  // namespace ql5

#endif
