// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_SWEEPHOSTS_H
#define QL5CONFIG_SWEEPHOSTS_H

#include <ql5/discovery.h>

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The addresses and ranges that the user named in "Add addresses…", which
// every search also asks by unicast, for converters behind a router. They
// are remembered between runs with QSettings; no widget is needed here.
namespace ql5config {

// The entries as the user wrote them, one address or range (10.1.5.0/28)
// each.
QStringList savedHostEntries();
void saveHostEntries(const QStringList& entries);

// The addresses (network order) that the entries name, or, in `problem`, why
// one of them names none ("Line 2 (10.1.5.0/33): not an IPv4 address …"),
// with `addresses` then empty. Blank entries are skipped.
struct HostList {
    std::vector<std::uint32_t> addresses;
    QString problem;
};
HostList parseHostEntries(const QStringList& entries);

// Hands the saved addresses to the context for its next sweeps. Returns
// false when the client refused them.
bool applySavedHosts(DiscoveryHandle context);

// Whether the address (network order) is one that the saved entries name: a
// converter there is sent its commands by unicast.
bool isSavedHost(std::uint32_t address);

}  // namespace ql5config

// The request path still lives in the namespace it began in, and asks this
// by its plain name.
namespace ql5 {
using ql5config::isSavedHost;
}  // namespace ql5

#endif
