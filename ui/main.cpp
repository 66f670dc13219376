// QL5Config: finds QL5 serial-to-network converters on the local networks and
// configures them.

#include "converterlistdialog.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("1.1.5.0"));

    // The main window runs modally, and the program ends when it closes; its
    // result does not matter.
    ConverterListDialog window;
    window.exec();
    return 0;
}
