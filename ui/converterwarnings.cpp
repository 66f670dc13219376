// SPDX-License-Identifier: Apache-2.0
#include "converterwarnings.h"

#include <QHash>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QtEndian>

#include <algorithm>

namespace ql5config {

std::vector<ql5common::LocalNetwork> localNetworks()
{
    std::vector<ql5common::LocalNetwork> networks;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            networks.push_back({qToBigEndian(entry.ip().toIPv4Address()),
                                qToBigEndian(entry.netmask().toIPv4Address())});
        }
    }
    return networks;
}

ql5common::ConverterAddressing addressingOf(const DeviceRecordExchange& record)
{
    ql5common::ConverterAddressing addressing;
    std::copy(std::begin(record.macAddress), std::end(record.macAddress), addressing.mac.begin());
    addressing.localAddress = record.localAddress;
    addressing.ip = record.ipAddress;
    addressing.mask = record.subnetMask;
    addressing.gateway = record.gatewayAddress;
    addressing.dhcp = record.dhcpMode == 1;
    return addressing;
}

QStringList conflictTexts(const std::vector<ql5common::Conflict>& conflicts)
{
    QStringList texts;
    for (const ql5common::Conflict& conflict : conflicts)
        texts.append(QString::fromStdString(conflict.text));
    return texts;
}

QStringList conflictKeys(const std::vector<ql5common::Conflict>& conflicts)
{
    // The keys are few and fixed: every row shares one copy of each.
    static QHash<int, QString> shared;
    QStringList keys;
    for (const ql5common::Conflict& conflict : conflicts) {
        QString& key = shared[static_cast<int>(conflict.kind)];
        if (key.isEmpty()) {
            const std::string_view text = ql5common::ConflictKey(conflict.kind);
            key = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
        }
        keys.append(key);
    }
    return keys;
}

}  // namespace ql5config
