// SPDX-License-Identifier: Apache-2.0
// The texts that need no converter: the message for every kind of outcome
// (the lab tests of the dialogs produce the real ones), the refusal of
// settings that would make a converter unreachable, and the status line.
#include "commandtexts.h"
#include "converterwarnings.h"
#include "searchstatus.h"
#include "translations.h"

#include <ql5common/address_text.h>

#include <QTest>
#include <QtEndian>

using namespace ql5config;

class TestCommandTexts : public QObject
{
    Q_OBJECT

private slots:
    void outcomeMessages_data();
    void outcomeMessages();
    void staticSettingsProblems_data();
    void staticSettingsProblems();
    void searchStatusTexts();
    void warningTextsInEnglishAndGerman();
};

void TestCommandTexts::outcomeMessages_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("reboot");
    QTest::newRow("carried out") << 0 << 0 << "Settings saved"
                                 << ""
                                 << "";
    QTest::newRow("no context") << -1 << -1 << ""
                                << "An Error occured while setting the converter.\n"
                                   "Error Number: -1\nError Message: \n"
                                << "An Error occured while rebooting the converter.\n"
                                   "Error Number: -1\nError Message: \n";
    QTest::newRow("places stay text") << 1 << 7 << "%1 %2"
                                      << "An Error occured while setting the converter.\n"
                                         "Error Number: 7\nError Message: %1 %2\n"
                                      << "An Error occured while rebooting the converter.\n"
                                         "Error Number: 7\nError Message: %1 %2\n";
    // The converter's own message stands alone, and stays text.
    QTest::newRow("refused with a message") << 1 << 0 << "Locked %1 <b>"
                                            << "Locked %1 <b>\n"
                                            << "Locked %1 <b>\n";
    QTest::newRow("refused without a message") << 1 << 0 << ""
                                               << "The converter refused the settings.\n"
                                               << "The converter refused to reboot.\n";
    QTest::newRow("no reply") << -1 << 0 << "Operation Successful" << noReplyMessage()
                              << noReplyMessage();
    QTest::newRow("failure on this computer")
        << -1 << 0 << "cannot bind a socket to 198.51.100.1: Cannot assign requested address"
        << "The command could not be completed.\nReason: cannot bind a socket "
           "to 198.51.100.1: Cannot assign requested address\n"
        << "The command could not be completed.\nReason: cannot bind a socket "
           "to 198.51.100.1: Cannot assign requested address\n";
}

void TestCommandTexts::outcomeMessages()
{
    QFETCH(int, result);
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(QString, setting);
    QFETCH(QString, reboot);
    const CommandOutcome outcome{result, code, text};
    QCOMPARE(settingOutcomeMessage(outcome), setting);
    QCOMPARE(rebootOutcomeMessage(outcome), reboot);
}

void TestCommandTexts::staticSettingsProblems_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("problem");  // the message's start, or empty
    QTest::newRow("usual") << "192.168.1.10"
                           << "255.255.255.0"
                           << "";
    QTest::newRow("host route mask") << "192.168.1.10"
                                     << "255.255.255.255"
                                     << "";
    QTest::newRow("short mask") << "10.0.0.5"
                                << "128.0.0.0"
                                << "";
    QTest::newRow("blank address") << "0.0.0.0"
                                   << "255.255.255.0"
                                   << "The IP address 0.0.0.0 cannot";
    QTest::newRow("blank mask") << "10.0.0.5"
                                << "0.0.0.0"
                                << "The subnet mask 0.0.0.0 is not";
    QTest::newRow("gap in the mask") << "10.0.0.5"
                                     << "255.0.255.0"
                                     << "The subnet mask 255.0.255.0 is not";
    QTest::newRow("mask from the right") << "10.0.0.5"
                                         << "0.0.0.255"
                                         << "The subnet mask 0.0.0.255 is not";
}

void TestCommandTexts::staticSettingsProblems()
{
    QFETCH(QString, address);
    QFETCH(QString, mask);
    QFETCH(QString, problem);
    auto value = [](const QString& dotted) {
        std::uint32_t number = 0;
        for (const QString& octet : dotted.split(QLatin1Char('.')))
            number = (number << 8) | octet.toUInt();
        return number;
    };
    const QString message = staticSettingsProblem(value(address), value(mask));
    if (problem.isEmpty())
        QCOMPARE(message, QString());
    else
        QVERIFY2(message.startsWith(problem) && message.endsWith("Nothing was sent.\n"),
                 qPrintable(message));
}

void TestCommandTexts::searchStatusTexts()
{
    QCOMPARE(converterCountText(0), QStringLiteral("No converters found"));
    QCOMPARE(converterCountText(1), QStringLiteral("1 converter found"));
    QCOMPARE(converterCountText(12), QStringLiteral("12 converters found"));
    QCOMPARE(converterCountText(32768, 1),
             QStringLiteral("32768 converters found; 1 more reply not listed"));
    QCOMPARE(converterCountText(32768, 5000000000),
             QStringLiteral("32768 converters found; 5000000000 more replies not listed"));

    auto network = [](const char* name, std::uint32_t hostOrder) {
        return SearchedNetwork{QString::fromLatin1(name), qToBigEndian(hostOrder)};
    };
    QCOMPARE(searchedNetworksText({}), QStringLiteral("Not searching"));
    QCOMPARE(searchedNetworksText({network("eth0", 0xc6336401)}),
             QStringLiteral("Searching on eth0 (198.51.100.1)"));
    QCOMPARE(searchedNetworksText({network("eth0", 0xc6336401), network("", 0xcb007101)}),
             QStringLiteral("Searching on eth0 (198.51.100.1) and 203.0.113.1"));
    QList<SearchedNetwork> many;
    for (std::uint32_t i = 1; i <= 70; ++i)
        many.append(network(qPrintable(QStringLiteral("dummy%1").arg(i)), 0x0a000000 + i));
    QCOMPARE(searchedNetworksText(many),
             QStringLiteral("Searching on dummy1 (10.0.0.1), dummy2 (10.0.0.2), dummy3 "
                            "(10.0.0.3) and 67 more"));
    QCOMPARE(searchedNetworksList(many).count(QLatin1Char('\n')), 69);
}

// Every form of every warning: the window's English is ql5ctl's word for
// word, and German replaces all of it but the addresses.
void TestCommandTexts::warningTextsInEnglishAndGerman()
{
    const auto converter = [](std::uint8_t last, std::uint32_t ip, std::uint32_t source = 0) {
        ql5common::ConverterAddressing c;
        c.mac = {0x02, 0x51, 0xc5, 0x00, 0x00, last};
        c.localAddress = qToBigEndian(0xc6336401u);  // 198.51.100.1
        c.sourceAddress = source;
        c.ip = qToBigEndian(ip);
        c.mask = qToBigEndian(0xffffff00u);
        return c;
    };
    std::vector<ql5common::ConverterAddressing> fleet = {
        converter(1, 0xc6336401),  // this computer's address
        converter(2, 0xc633640a),
        converter(3, 0xc633640a),  // two share one
        converter(4, 0xc6336414),
        converter(5, 0xc6336414),
        converter(6, 0xc6336414),
        converter(7, 0xc0000207),                             // another network
        converter(8, 0xc633641e, qToBigEndian(0xc633641eu)),  // heard from two sources
        converter(8, 0xc633641e, qToBigEndian(0xc633641fu))};
    fleet[3].gateway = qToBigEndian(0xc0000301u);
    // A mask that is no run of leading ones is written out in full.
    const std::vector<ql5common::LocalNetwork> networks = {
        {qToBigEndian(0xc6336401u), qToBigEndian(0xffffff00u)},
        {qToBigEndian(0xc6336401u), qToBigEndian(0xff00ff00u)}};
    std::vector<ql5common::Conflict> all;
    for (const auto& conflicts : ql5common::FindConflicts(fleet, networks))
        all.insert(all.end(), conflicts.begin(), conflicts.end());
    QCOMPARE(all.size(), std::size_t{10});
    const QStringList english = conflictTexts(all);
    for (std::size_t i = 0; i < all.size(); ++i)
        QCOMPARE(english[static_cast<qsizetype>(i)],
                 QString::fromStdString(ql5common::ConflictText(all[i])));
    QVERIFY(english.join('\n').contains(" mask 255.0.255.0"));

    QVERIFY(installTranslations(*QCoreApplication::instance(),
                                QLocale(QLocale::German, QLocale::Germany)));
    const QStringList german = conflictTexts(all);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const QString& text = german[static_cast<qsizetype>(i)];
        const auto address = ql5common::FormatDottedDecimal(all[i].address);
        QVERIFY2(text != english[static_cast<qsizetype>(i)] &&
                     text.contains(QString::fromStdString(address)),
                 qPrintable(text));
    }
}

QTEST_GUILESS_MAIN(TestCommandTexts)
#include "tst_commandtexts.moc"
