// SPDX-License-Identifier: Apache-2.0
#include "searchstatus.h"

#include "recordtext.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QStringList>
#include <QtEndian>

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
        text = QStringLiteral("No converters found");
    else if (converters == 1)
        text = QStringLiteral("1 converter found");
    else
        text = QStringLiteral("%1 converters found").arg(converters);
    if (notListed == 1)
        text += QStringLiteral("; 1 more reply not listed");
    else if (notListed > 1)
        text += QStringLiteral("; %1 more replies not listed").arg(notListed);
    return text;
}

QString searchedNetworksText(const QList<SearchedNetwork>& networks)
{
    if (networks.isEmpty())
        return QStringLiteral("Not searching");
    QStringList named;
    for (const SearchedNetwork& network :
         networks.first(std::min<qsizetype>(networks.size(), kNetworksNamed)))
        named.append(networkText(network));
    const qsizetype rest = networks.size() - named.size();
    QString list;
    if (rest > 0)
        list = QStringLiteral("%1 and %2 more").arg(named.join(QStringLiteral(", "))).arg(rest);
    else if (named.size() == 1)
        list = named.first();
    else
        list = QStringLiteral("%1 and %2")
                   .arg(named.sliced(0, named.size() - 1).join(QStringLiteral(", ")), named.last());
    return QStringLiteral("Searching on %1").arg(list);
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
