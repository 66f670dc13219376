// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_TRANSLATIONS_H
#define QL5CONFIG_TRANSLATIONS_H

#include <QLocale>

class QCoreApplication;

namespace ql5config {

// Installs the utility's translation and Qt's own (for the standard buttons
// and dialogs) for the first of the locale's languages that has one. The
// default locale is the system's, which follows LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG; where no translation fits, the texts stay English.
// Returns whether the utility's own translation was found.
bool installTranslations(QCoreApplication& application, const QLocale& locale = QLocale());

}  // namespace ql5config

#endif
