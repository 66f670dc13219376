// SPDX-License-Identifier: Apache-2.0
// QL5Config: finds QL5 serial-to-network converters on the local networks and
// configures them.

#include "converterlistdialog.h"
#include "translations.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("1.1.5.0"));
    ql5config::installTranslations(application);

    // The program ends when the main window closes, whatever its result. The
    // window runs in the application's own event loop rather than a loop of
    // its own, so that a request to quit (the desktop session ending) closes
    // the open dialog and then the window, unless a dialog is waiting for a
    // converter and refuses to close.
    ql5config::ConverterListDialog window;
    QObject::connect(&window, &QDialog::finished, &application, &QCoreApplication::quit);
    window.show();
    return QApplication::exec();
}
