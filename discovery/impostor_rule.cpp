// SPDX-License-Identifier: Apache-2.0
#include "impostor_rule.h"

#include <algorithm>

namespace ql5 {

bool ShareSubnet(std::uint32_t address, const LocalSubnet& local)
{
    // A mask of 0 would put the whole Internet into one subnet.
    return local.mask != 0 && (address & local.mask) == (local.address & local.mask);
}

Judgement JudgeSightings(const std::vector<Sighting>& answers,
                         const std::vector<LocalSubnet>& subnets)
{
    Judgement judgement;
    if (answers.empty())
        return judgement;
    const Sighting& first = answers.front();
    const bool oneSource = std::all_of(answers.begin(), answers.end(), [&](const Sighting& s) {
        return s.sourceAddress == first.sourceAddress;
    });
    const bool oneLocal = std::all_of(answers.begin(), answers.end(), [&](const Sighting& s) {
        return s.localAddress == first.localAddress;
    });
    const auto onItsSubnet = [&](const Sighting& s) {
        return std::any_of(subnets.begin(), subnets.end(), [&](const LocalSubnet& local) {
            return local.address == s.localAddress && ShareSubnet(s.sourceAddress, local);
        });
    };
    // One source on one local address needs no subnet: a converter whose own
    // settings are wrong still answers the group, and must stay reachable.
    judgement.single =
        oneSource && (oneLocal || std::all_of(answers.begin(), answers.end(), onItsSubnet));
    if (judgement.single) {
        judgement.chosen = first;
        return judgement;
    }
    for (const Sighting& answer : answers) {
        if (std::find(judgement.answeredOn.begin(), judgement.answeredOn.end(),
                      answer.localAddress) == judgement.answeredOn.end())
            judgement.answeredOn.push_back(answer.localAddress);
    }
    return judgement;
}

}  // namespace ql5
