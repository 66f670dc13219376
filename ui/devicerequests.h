// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_DEVICEREQUESTS_H
#define QL5CONFIG_DEVICEREQUESTS_H

#include "commandoutcome.h"

#include <ql5/discovery.h>
#include <ql5common/change_verify.h>
#include <ql5common/reboot_wait.h>

#include <QByteArray>

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>

// The requests of the command dialogs, as plain functions that block their
// thread: the dialogs run them on a worker. Each opens a context of its own
// and closes it before it returns, and takes everything it needs by value, so
// that nothing it touches belongs to a window.
namespace ql5 {

// The converter of a list row, and the local address on which the row's
// reply arrived: requests go out through that address only (to the
// discovery group, as a converter with wrong settings may not be reachable
// at its own address), so that a converter seen on two networks is
// configured on the one the user picked, and no other network hears the
// password. 0 means every local address, as the client's plain calls do.
struct CommandTarget {
    std::array<std::uint8_t, 6> mac{};
    std::uint32_t localAddress = 0;
    // The address to reach the converter by unicast when the user named it
    // in "Add addresses…": such a converter may sit behind a router, which
    // the group does not cross. It is the address the row's reply came from,
    // never the one the converter reports about itself, which any host can
    // claim. 0 otherwise.
    std::uint32_t deviceAddress = 0;
};

// The target of a list row. `sourceAddress` is the address the row's reply
// came from (ReadDevicesFrom, or the answer that confirmed a change); with 0
// the requests go to the group through the row's local address, never by
// unicast to the address the converter reports about itself. Every request
// still locates the converter with the client's window and its refusal of a
// second source.
CommandTarget commandTarget(const DeviceRecordExchange& record, std::uint32_t sourceAddress = 0);

// Addresses in network order.
CommandOutcome configureStatic(const CommandTarget& target, std::uint32_t address,
                               std::uint32_t mask, std::uint32_t gateway,
                               const QByteArray& password);
CommandOutcome configureDhcp(const CommandTarget& target, const QByteArray& password);
CommandOutcome rebootDevice(const CommandTarget& target, const QByteArray& password);

// What following a converter after a change found: whether it reports the
// new settings, and the last record it answered with, if any.
struct ChangeCheck {
    ql5common::VerifyOutcome outcome = ql5common::VerifyOutcome::kNoAnswer;
    std::optional<DeviceRecordExchange> lastHeard;
    // The address the confirming answer came from (network order); 0 unless
    // confirmed.
    std::uint32_t lastSource = 0;
};

// Follows the converter, through the row's local address, for up to
// ql5common::kVerifyLimit until it reports the expected settings; setting
// *cancelled ends the wait early. Only answers from where the accepted
// change's command found the converter count, or from where the change put
// it (its new static address; after DHCP, any address of that local
// network): another host that answers for the MAC confirms nothing.
ChangeCheck verifyChange(const CommandTarget& target, const ql5common::ExpectedSettings& expected,
                         const std::atomic<bool>* cancelled);

// Waits, with the common library's rule and bound, until the converter has
// restarted; wait.Stop() from another thread ends it.
ql5common::RebootOutcome waitUntilBack(const CommandTarget& target, ql5common::RebootWait& wait);

}  // namespace ql5

#endif
