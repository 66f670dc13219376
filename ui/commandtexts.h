// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_COMMANDTEXTS_H
#define QL5CONFIG_COMMANDTEXTS_H

#include "commandoutcome.h"

#include <ql5common/change_verify.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace ql5config {

// The longest password, in bytes, that a command can carry.
inline constexpr qsizetype kMaxPasswordBytes = 255;

// The bytes sent for a password the user typed: its UTF-8 encoding.
QByteArray passwordBytes(const QString& password);

// Shown instead of sending a command whose password is too long.
QString passwordTooLongMessage();

// Shown when a command or query got no reply in time.
QString noReplyMessage();

// Shown when the client gives up with a reason of its own: a failure on this
// computer (no usable address, a socket that would not open), or a reply
// that did not say what the converter did. The reason is the client's text.
QString localFailureMessage(const QString& reason);

// Shown when no web browser could be started for the converter's web
// interface: the address, to be opened some other way.
QString browserFailedMessage(const QString& address);

// What the IP settings dialog shows after Apply, or an empty text when the
// converter carried the settings out. Every outcome but that one keeps the
// dialog open.
QString settingOutcomeMessage(const CommandOutcome& outcome);

// What the reboot dialog shows for a reboot that was not carried out, or an
// empty text when the converter accepted it.
QString rebootOutcomeMessage(const CommandOutcome& outcome);

// The sentence that the IP settings dialog shows after the converter
// accepted a change: whether it now reports the new settings.
QString changeCheckMessage(ql5common::VerifyOutcome outcome);

// The question before Apply when the planned settings conflict with
// another converter or this network; one warning per line.
QString plannedSettingsWarning(const QStringList& warnings);

// The refusal of a static address that would make the converter
// unreachable: an address or mask of 0.0.0.0, or a mask whose one bits are
// not contiguous. Both are taken as the address controls give them, the
// leftmost field in the highest byte. Empty when the settings may be sent;
// a gateway of 0.0.0.0 means "no gateway" and is never refused.
QString staticSettingsProblem(std::uint32_t address, std::uint32_t mask);

// A default gateway with some fields blank: all four, or none for no gateway.
QString partlyBlankGatewayMessage();

}  // namespace ql5config

#endif
