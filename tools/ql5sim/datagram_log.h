// SPDX-License-Identifier: Apache-2.0
// Writes one JSON line for every datagram the simulator receives, so that a
// test can assert the exact bytes that the client sent:
//   {"time": 1733559123.25, "interface": "lab0", "from": "198.51.100.1:40123",
//    "hex": "4449474900010006ffffffffffff"}
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "interface_socket.h"

namespace ql5sim {

class DatagramLog {
public:
    // Opens the file for appending; throws std::runtime_error on failure. An
    // empty path gives a log that records nothing.
    explicit DatagramLog(const std::string& path);
    DatagramLog(const DatagramLog&) = delete;
    DatagramLog& operator=(const DatagramLog&) = delete;
    ~DatagramLog();

    // Each line reaches the file in one write, so a reader never sees half of
    // a line that has been completed; only the line being written may be short.
    void Record(double unixTime, const std::string& interfaceName, const Endpoint& from,
                std::span<const std::uint8_t> bytes);

private:
    // Opening, appending and closing are the system's own
    // (datagram_log_posix.cpp, datagram_log_windows.cpp).
    void Append(const std::string& line);

    int fd_ = -1;
};

// "a.b.c.d:port"
std::string FormatEndpoint(const Endpoint& address);

}  // namespace ql5sim
