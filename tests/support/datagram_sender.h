// SPDX-License-Identifier: Apache-2.0
// A UDP socket on no particular address, for tests that play a forger: they
// send hand-made replies straight to the client's socket.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ql5::lab {

class DatagramSender {
public:
    DatagramSender();
    ~DatagramSender();
    DatagramSender(const DatagramSender&) = delete;
    DatagramSender& operator=(const DatagramSender&) = delete;

    bool Ok() const;
    // Sends `bytes` to `endpoint` ("a.b.c.d:port"); true if all of them went.
    bool SendTo(const std::string& endpoint, const std::vector<std::uint8_t>& bytes);

private:
    std::intptr_t socket_;
};

}  // namespace ql5::lab
