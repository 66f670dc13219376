// SPDX-License-Identifier: Apache-2.0
// The rule that decides whether the answers to a locating query came from one
// converter, before a password is sent to it. Any host on a network can
// answer for any MAC, and the kernel's loose reverse-path filter lets it put
// another host's address in the source of its reply; so answers from more than
// one source address are refused, and one source heard on several local
// addresses counts as one converter only where each of those local addresses
// shares a subnet with it (two links into one network), not where it arrives
// on a network it does not belong to. A pure function, so that its cases are
// plain table rows of the unit suite.
#pragma once

#include "platform/local_subnets.h"

#include <cstdint>
#include <vector>

namespace ql5 {

// Where a device answered: the local address its reply came in on and the
// address it came from (0 where no reply was seen).
struct Sighting {
    std::uint32_t localAddress = 0;
    std::uint32_t sourceAddress = 0;
    bool operator==(const Sighting&) const = default;
};

struct Judgement {
    // True when the answers may be taken as one converter's.
    bool single = false;
    // The sighting to use then: the first answer.
    Sighting chosen;
    // Otherwise the local addresses on which the MAC answered, each once, in
    // the order of the answers: what the caller must choose from.
    std::vector<std::uint32_t> answeredOn;
};

// True when the two addresses lie in the subnet of the local address.
[[nodiscard]] bool ShareSubnet(std::uint32_t address, const LocalSubnet& local);

// Judges the answers (first answer first; not empty). A local address missing
// from `subnets` shares a subnet with nothing.
Judgement JudgeSightings(const std::vector<Sighting>& answers,
                         const std::vector<LocalSubnet>& subnets);

}  // namespace ql5
