// `list`: one background sweep of a fixed length.
#pragma once

#include <ql5/discovery.h>

#include <chrono>
#include <optional>
#include <vector>

namespace ql5ctl {

// Runs a sweep for `length` and returns every record it delivered, in the
// order of arrival; a converter heard on two interfaces comes twice, once
// with each local address. Nothing when the client could not run a sweep.
std::optional<std::vector<DeviceRecordExchange>> SweepFor(std::chrono::milliseconds length);

}  // namespace ql5ctl
