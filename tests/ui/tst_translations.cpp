// SPDX-License-Identifier: Apache-2.0
// QL5Config in German: its own translation and Qt's, as a German desktop
// gets them. In the lab, since the main window starts a search.
#include "converterlistdialog.h"
#include "converterlistproxy.h"
#include "translations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>

using namespace ql5config;

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void germanTranslatesTheCommandsAndQtsOwnButtons();
};

void TestTranslations::germanTranslatesTheCommandsAndQtsOwnButtons()
{
    QVERIFY(installTranslations(*qApp, QLocale(QLocale::German, QLocale::Germany)));
    ConverterListDialog window;
    const std::pair<const char*, QString> buttons[] = {
        {"openWebInterfaceButton", QStringLiteral(u"&Weboberfläche öffnen")},
        {"configureIpSettingsButton", QStringLiteral("&IP-Einstellungen konfigurieren")},
        {"converterInfoButton", QStringLiteral("Konverter&details")},
        {"rebootConverterButton", QStringLiteral("Konverter &neu starten")},
        {"refreshListButton", QStringLiteral("Liste &aktualisieren")},
        {"closeButton", QStringLiteral(u"Schließen")},
    };
    for (const auto& [name, text] : buttons)
        QCOMPARE(window.findChild<QPushButton*>(QString::fromLatin1(name))->text(), text);
    QCOMPARE(window.proxy()->index(0, 0).data().toString(), QStringLiteral(u"Suche läuft..."));
    QCOMPARE(window.proxy()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("IP-Adresse"));
    // Qt's own buttons come from Qt's translation.
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
