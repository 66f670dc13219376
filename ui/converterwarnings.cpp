// SPDX-License-Identifier: Apache-2.0
#include "converterwarnings.h"

#include <ql5common/address_text.h>

#include <QCoreApplication>
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

namespace {

// The common library words its warnings in English for ql5ctl; the windows
// word them from the warning's data in the user's language, with the same
// English sentences as the source texts.
QString translated(const char* text, int count = -1)
{
    return QCoreApplication::translate("ConverterWarnings", text, nullptr, count);
}

QString addressText(std::uint32_t networkOrder)
{
    return QString::fromStdString(ql5common::FormatDottedDecimal(networkOrder));
}

// "198.51.100.0/24", or the mask in full when it is not a run of leading ones.
QString subnetText(std::uint32_t subnet, std::uint32_t mask)
{
    const int prefix = ql5common::PrefixLength(mask);
    if (prefix >= 0)
        return addressText(subnet) + QLatin1Char('/') + QString::number(prefix);
    return translated(QT_TRANSLATE_NOOP("ConverterWarnings", "%1 mask %2"))
        .arg(addressText(subnet), addressText(mask));
}

QString duplicateText(const ql5common::Conflict& conflict)
{
    const QString ip = addressText(conflict.address);
    if (conflict.others == 0) {
        return translated(
                   QT_TRANSLATE_NOOP("ConverterWarnings",
                                     "This computer uses the same IP address %1 on this network."))
            .arg(ip);
    }
    const QString mac = QString::fromStdString(ql5common::FormatMac(conflict.otherMac.data()));
    if (conflict.others == 1) {
        return translated(QT_TRANSLATE_NOOP(
                              "ConverterWarnings",
                              "Converter %1 reports the same IP address %2 on this network."))
            .arg(mac, ip);
    }
    return translated(QT_TRANSLATE_N_NOOP("ConverterWarnings",
                                          "Converter %1 and %n more report the same IP "
                                          "address %2 on this network."),
                      static_cast<int>(conflict.others - 1))
        .arg(mac, ip);
}

QString conflictText(const ql5common::Conflict& conflict)
{
    switch (conflict.kind) {
    case ql5common::ConflictKind::kDuplicateIp:
        return duplicateText(conflict);
    case ql5common::ConflictKind::kUnreachableSubnet:
        return translated(QT_TRANSLATE_NOOP("ConverterWarnings",
                                            "IP address %1 is outside the local network %2, so "
                                            "its web interface cannot open from here."))
            .arg(addressText(conflict.address), subnetText(conflict.subnet, conflict.subnetMask));
    case ql5common::ConflictKind::kGatewayOutsideSubnet:
        return translated(QT_TRANSLATE_NOOP("ConverterWarnings",
                                            "Gateway %1 is outside the converter's own subnet %2."))
            .arg(addressText(conflict.address), subnetText(conflict.subnet, conflict.subnetMask));
    case ql5common::ConflictKind::kSeveralSources:
        return translated(QT_TRANSLATE_NOOP("ConverterWarnings",
                                            "This MAC also answered from %1: another host may be "
                                            "answering for it, so commands to it are refused."))
            .arg(addressText(conflict.address));
    }
    return QString::fromStdString(ql5common::ConflictText(conflict));
}

}  // namespace

QStringList conflictTexts(const std::vector<ql5common::Conflict>& conflicts)
{
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(conflicts.size()));
    for (const ql5common::Conflict& conflict : conflicts)
        texts.append(conflictText(conflict));
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
