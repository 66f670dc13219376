// SPDX-License-Identifier: Apache-2.0
// The conflict warnings of a listing: each converter's view gets the keys of
// its warnings, and the caller gets the sentences to tell a person.
#pragma once

#include <ql5common/conflicts.h>
#include <ql5common/converter_view.h>

#include <span>
#include <string>
#include <vector>

namespace ql5ctl {

// What the conflict rules need, read back from a view's display form.
ql5common::ConverterAddressing AddressingOf(const ql5common::ConverterView& view);

// Sets the warnings of every view from the conflicts among all of them and
// with this computer's networks, and returns one line per warning: the
// converter's MAC and IP, then the sentence.
std::vector<std::string> MarkConflicts(std::vector<ql5common::ConverterView>& views,
                                       std::span<const ql5common::LocalNetwork> networks);

// Sets the warnings of the views at `which` alone, from the conflicts among
// them, without copying them: enough when `which` holds every view that
// shares an address or a MAC with another of them.
void MarkConflictsOf(std::vector<ql5common::ConverterView>& views,
                     const std::vector<std::size_t>& which,
                     std::span<const ql5common::LocalNetwork> networks);

}  // namespace ql5ctl
