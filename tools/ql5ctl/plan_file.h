// SPDX-License-Identifier: Apache-2.0
// The plan of `ql5ctl apply`: one converter per line, "mac,ip,mask,gateway"
// for static settings or "mac,dhcp". Blank lines and lines that start with
// "#" are skipped; spaces around a cell are allowed. A first row that names
// its columns ("mac" among them) is a header: the rows are then read by the
// names mac, ip, mask, gateway and dhcp, and other columns are ignored, so
// that the CSV of `ql5ctl list --format csv`, or a spreadsheet's export of it
// (byte order mark, CRLF, quoted cells), can be edited and applied as it is.
// A plan is read with bounds, since it may be any file: at most
// kMaxPlanBytes, lines of at most kMaxLineBytes, and kMaxPlanErrors errors.
#pragma once

#include <ql5common/address_text.h>

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace ql5ctl {

struct PlanRow {
    std::size_t line = 0;  // 1-based line number in the file
    ql5common::MacAddress mac{};
    bool dhcp = false;
    std::uint32_t ipAddress = 0;  // network order; static rows only
    std::uint32_t subnetMask = 0;
    std::uint32_t gatewayAddress = 0;
};

struct PlanError {
    std::size_t line = 0;
    std::string message;
};

struct Plan {
    std::vector<PlanRow> rows;
    // Every malformed row, and every MAC or target address that a second
    // row names again; a plan with any of them is not carried out.
    std::vector<PlanError> errors;
};

inline constexpr std::size_t kMaxPlanBytes = 10 * 1024 * 1024;
inline constexpr std::size_t kMaxLineBytes = 1024;
inline constexpr std::size_t kMaxPlanErrors = 20;
// The most characters of a bad cell that a message quotes.
inline constexpr std::size_t kMaxQuotedCharacters = 64;

// Reads the plan; static settings must pass ql5common::CheckStaticSettings,
// with `force` letting a gateway outside the subnet pass.
Plan ReadPlan(std::istream& in, bool force = false);

// "static 198.51.100.40 mask 255.255.255.0 gateway 198.51.100.254" or "dhcp".
std::string ActionText(const PlanRow& row);

}  // namespace ql5ctl
