// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_CONVERTERWARNINGS_H
#define QL5CONFIG_CONVERTERWARNINGS_H

#include <ql5/discovery.h>
#include <ql5common/conflicts.h>

#include <QStringList>

#include <vector>

// What the windows need to apply the common library's conflict rules: this
// workstation's networks as Qt sees them, a record's addressing, and the
// warnings as texts to show.
namespace ql5config {

// Every IPv4 address of this workstation with its subnet mask, in network
// order.
std::vector<ql5common::LocalNetwork> localNetworks();

// The addresses that the rules look at, as the record reports them.
ql5common::ConverterAddressing addressingOf(const DeviceRecordExchange& record);

// One sentence per warning, as the list's tooltip and the information
// dialog show them.
QStringList conflictTexts(const std::vector<ql5common::Conflict>& conflicts);

// The stable keys of the warnings, as the inventory files carry them.
QStringList conflictKeys(const std::vector<ql5common::Conflict>& conflicts);

}  // namespace ql5config

#endif
