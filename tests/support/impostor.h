// SPDX-License-Identifier: Apache-2.0
// A host of the workstation's own network that answers for a converter's MAC:
// it joins the discovery group on one address of the lab, answers every
// discovery request for that MAC (or for every converter) from that address,
// and counts every command
// (message types 3, 5 and 7: those that carry a password) that reaches it,
// as the evidence of where a password went.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace ql5::lab {

class Impostor {
public:
    Impostor() = default;
    ~Impostor() { Stop(); }
    Impostor(const Impostor&) = delete;
    Impostor& operator=(const Impostor&) = delete;

    // Starts answering for `mac` on `address` (dotted); false when the
    // socket could not be set up.
    bool Start(const std::array<std::uint8_t, 6>& mac, const std::string& address);
    void Stop();

    int DiscoveriesAnswered() const { return answered_; }
    int CommandsReceived() const { return commands_; }

private:
    void Serve();

    int fd_ = -1;
    std::array<std::uint8_t, 6> mac_{};
    std::atomic<bool> stop_{false};
    std::atomic<int> answered_{0};
    std::atomic<int> commands_{0};
    std::thread thread_;
};

}  // namespace ql5::lab
