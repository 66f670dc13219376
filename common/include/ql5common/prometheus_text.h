// SPDX-License-Identifier: Apache-2.0
// The listing in Prometheus' text exposition format, the one that
// node_exporter's textfile collector reads (not OpenMetrics: that reader
// rejects OpenMetrics' `info` type, so the info metric is a gauge of 1). The
// metric names and labels are kept stable: labels may be added, never renamed.
#pragma once

#include "ql5common/converter_view.h"

#include <chrono>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace ql5common {

// A network that the listing searched: the interface's name and the local
// address in dotted decimal. Each gets a count, zero included, so that an
// alert can tell "no converter answered here" from "not searched".
struct SearchedNetwork {
    std::string interfaceName;
    std::string localAddress;
};

// A label value as the format wants it between its quotes: the text as UTF-8
// with backslash, double quote and line feed escaped. Everything else a
// converter sent stays as it is, since a label is data, not something shown.
// The text is read as converter text is, whether a converter or something
// else (an interface name) gave it: valid UTF-8 stays as it is, other bytes
// are read as Latin-1.
std::string PrometheusLabelValue(std::string_view text);

// ql5_converter_info (one series of value 1 per converter), ql5_converter_warning
// (one series per warning key of a converter), ql5_converters (the count per
// network) and ql5_listing_timestamp_seconds, each with # HELP and # TYPE.
void WritePrometheus(std::ostream& out, const std::vector<ConverterView>& converters,
                     const std::vector<SearchedNetwork>& searched,
                     std::chrono::system_clock::time_point listedAt);

}  // namespace ql5common
