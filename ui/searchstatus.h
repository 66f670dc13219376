// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_SEARCHSTATUS_H
#define QL5CONFIG_SEARCHSTATUS_H

#include <QList>
#include <QString>

#include <cstdint>

// The status line beneath the converter list: how many converters answered
// and on which networks the sweep listens, so that an empty list can be told
// apart from a search on the wrong network.
namespace ql5config {

struct SearchedNetwork {
    QString interfaceName;      // empty when no interface holds the address any more
    std::uint32_t address = 0;  // network order
};

// "No converters found", "1 converter found", "3 converters found"; with
// "; 250 more replies not listed" when replies of further converters were
// left out because the list was full.
QString converterCountText(int converters, qint64 notListed = 0);

// "Searching on eth0 (198.51.100.1) and eth1 (203.0.113.1)". A long list
// names the first few and counts the rest; "Not searching" when the sweep
// listens nowhere.
QString searchedNetworksText(const QList<SearchedNetwork>& networks);

// Every network, one per line, for the tooltip of a shortened list.
QString searchedNetworksList(const QList<SearchedNetwork>& networks);

// The networks of the given local addresses (network order), each with the
// name of the interface that holds it.
QList<SearchedNetwork> networksOf(const QList<std::uint32_t>& addresses);

}  // namespace ql5config

#endif
