// SPDX-License-Identifier: Apache-2.0
#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace ql5config {

bool installTranslations(QCoreApplication& application, const QLocale& locale)
{
    // Owned by the application, so that they live as long as its texts.
    auto* qt = new QTranslator(&application);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    auto* own = new QTranslator(&application);
    if (!own->load(locale, QStringLiteral("ql5config"), QStringLiteral("_"),
                   QStringLiteral(":/i18n")))
        return false;
    QCoreApplication::installTranslator(own);
    return true;
}

}  // namespace ql5config
