// SPDX-License-Identifier: Apache-2.0
#include "sweephosts.h"

#include <ql5common/host_ranges.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace ql5config {

namespace {

const char kHostsKey[] = "search/hostAddresses";

QSettings settings()
{
    return QSettings(QStringLiteral("QL5Config"), QStringLiteral("QL5Config"));
}

}  // namespace

QStringList savedHostEntries()
{
    return settings().value(QLatin1String(kHostsKey)).toStringList();
}

void saveHostEntries(const QStringList& entries)
{
    QSettings store = settings();
    if (entries.isEmpty())
        store.remove(QLatin1String(kHostsKey));
    else
        store.setValue(QLatin1String(kHostsKey), entries);
    store.sync();
    // The list names the sites' addresses: the file (where the settings are
    // one; on Windows they live in the user's own registry hive) is its
    // owner's alone.
    if (store.format() == QSettings::IniFormat || QFileInfo::exists(store.fileName()))
        QFile::setPermissions(store.fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

HostList parseHostEntries(const QStringList& entries)
{
    HostList list;
    for (qsizetype line = 0; line < entries.size(); ++line) {
        const QString entry = entries[line].trimmed();
        if (entry.isEmpty())
            continue;
        const std::string text = entry.toStdString();
        if (const auto reason = ql5common::AddHosts(text, list.addresses)) {
            list.problem = QCoreApplication::translate("ql5config", "Line %1 (%2): %3")
                               .arg(line + 1)
                               .arg(entry, QString::fromStdString(*reason));
            list.addresses.clear();
            return list;
        }
    }
    return list;
}

bool applySavedHosts(DiscoveryHandle context)
{
    // Entries that no longer parse (a settings file edited by hand) ask
    // nothing rather than part of what was meant.
    const HostList list = parseHostEntries(savedHostEntries());
    return SetSweepHosts(context, list.addresses.data(),
                         static_cast<std::uint32_t>(list.addresses.size())) == 0;
}

bool isSavedHost(std::uint32_t address)
{
    const HostList list = parseHostEntries(savedHostEntries());
    return std::find(list.addresses.begin(), list.addresses.end(), address) != list.addresses.end();
}

}  // namespace ql5config
