// SPDX-License-Identifier: Apache-2.0
// Runs ql5sim in a converter namespace of the lab for the length of a test
// and reads back what it received.
//
//   ql5::lab::SimulatorProcess sim;
//   ASSERT_TRUE(sim.Start(ql5::lab::ConverterNamespace(1), R"({"converters": [...]})"));
//   ... let the client talk to it ...
//   const auto received = sim.ReceivedDatagrams();
//
// The destructor stops the simulator and removes its files.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace ql5::lab {

// One line of the simulator's log: a datagram as it arrived.
struct ReceivedDatagram {
    double time = 0;        // Unix time in seconds
    std::string interface;  // e.g. "lab0"
    std::string from;       // "198.51.100.1:40123"
    std::vector<std::uint8_t> bytes;
};

struct SimulatorOptions {
    // Interfaces to serve inside the converter namespace.
    std::vector<std::string> interfaces{"lab0"};
    // How long Start waits for the simulator to report that it listens.
    std::chrono::milliseconds readyTimeout{5000};
};

class SimulatorProcess {
public:
    SimulatorProcess() = default;
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;
    ~SimulatorProcess();

    // Writes the fleet to a private temporary directory and starts
    // `ip netns exec <ns> ql5sim ...` there (through the host's shell when this
    // is a Windows build under Wine); returns once the simulator has
    // joined the group on every interface. On failure the result says why
    // (including the simulator's own error output) and nothing keeps running.
    ::testing::AssertionResult Start(const std::string& converterNamespace,
                                     const std::string& fleetJson,
                                     const SimulatorOptions& options = {});

    // Sends SIGTERM and reaps the process (SIGKILL after 5 s, 25 s with a
    // QL5SIM_COMMAND launcher). Returns its exit
    // code, 128 + signal if a signal ended it, or -1 if none was running. The
    // log stays readable until the object is destroyed or started again.
    int Stop();

    bool Running() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    // Every datagram logged so far, in arrival order.
    std::vector<ReceivedDatagram> ReceivedDatagrams() const;
    // Waits until at least `count` datagrams are logged; false on time-out.
    bool WaitForDatagrams(std::size_t count,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    // Forgets what has been logged so far.
    void ClearReceived();

    // What the simulator wrote on stderr.
    std::string ErrorOutput() const;
    const std::filesystem::path& Directory() const { return directory_; }

private:
    void RemoveDirectory();

    // The platform's part: start the command with its output going to
    // `output`, learn whether it has ended (its exit code, 128 + signal, or -1
    // when it cannot be told), and signal it to end.
    ::testing::AssertionResult Launch(std::vector<std::string> command,
                                      const std::filesystem::path& output);
    std::optional<int> Ended();
    void Signal(bool forcibly);

    pid_t pid_ = -1;
    std::filesystem::path directory_;
};

}  // namespace ql5::lab
