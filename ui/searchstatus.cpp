// SPDX-License-Identifier: Apache-2.0
#include "searchstatus.h"

#include "recordtext.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <climits>

namespace ql5config {

namespace {

// More networks than this would not fit beneath the list.
constexpr int kNetworksNamed = 3;

QString networkText(const SearchedNetwork& network)
{
    QString address = formatDottedDecimal(network.address);
    if (network.interfaceName.isEmpty())
        return address;
    return QStringLiteral("%1 (%2)").arg(network.interfaceName, address);
}

}  // namespace

QString converterCountText(int converters, qint64 notListed)
{
    QString text;
    if (converters == 0)
        text = QCoreApplication::translate("ql5config", "No converters found");
    else if (converters == 1)
        text = QCoreApplication::translate("ql5config", "1 converter found");
    else
        text = QCoreApplication::translate("ql5config", "%n converters found", nullptr, converters);
    // A count beyond an int chooses its plural form by its last two digits,
    // which is all that any language's rule looks at past the first few.
    const int pluralCount = notListed <= INT_MAX ? static_cast<int>(notListed)
                                                 : 1000000 + static_cast<int>(notListed % 100);
    if (notListed == 1)
        text += QCoreApplication::translate("ql5config", "; 1 more reply not listed");
    else if (notListed > 1)
        text += QCoreApplication::translate("ql5config", "; %1 more replies not listed", nullptr,
                                            pluralCount)
                    .arg(notListed);
    return text;
}

QString searchedNetworksText(const QList<SearchedNetwork>& networks)
{
    if (networks.isEmpty())
        return QCoreApplication::translate("ql5config", "Not searching");
    QStringList named;
    for (const SearchedNetwork& network :
         networks.first(std::min<qsizetype>(networks.size(), kNetworksNamed)))
        named.append(networkText(network));
    const int rest = static_cast<int>(networks.size() - named.size());
    QString list;
    if (rest > 0)
        list = QCoreApplication::translate("ql5config", "%1 and %n more", nullptr, rest)
                   .arg(named.join(QStringLiteral(", ")));
    else if (named.size() == 1)
        list = named.first();
    else
        list = QCoreApplication::translate("ql5config", "%1 and %2")
                   .arg(named.sliced(0, named.size() - 1).join(QStringLiteral(", ")), named.last());
    return QCoreApplication::translate("ql5config", "Searching on %1").arg(list);
}

QString searchedNetworksList(const QList<SearchedNetwork>& networks)
{
    QStringList lines;
    for (const SearchedNetwork& network : networks)
        lines.append(networkText(network));
    return lines.join(QLatin1Char('\n'));
}

QList<SearchedNetwork> networksOf(const QList<std::uint32_t>& addresses)
{
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    QList<SearchedNetwork> networks;
    for (const std::uint32_t address : addresses) {
        SearchedNetwork network{QString(), address};
        const QHostAddress host(qFromBigEndian(address));
        for (const QNetworkInterface& interface : interfaces) {
            for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
                if (entry.ip() == host)
                    network.interfaceName = interface.humanReadableName();
            }
        }
        networks.append(network);
    }
    return networks;
}

}  // namespace ql5config
