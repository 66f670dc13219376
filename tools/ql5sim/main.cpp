// SPDX-License-Identifier: Apache-2.0
// ql5sim: plays a fleet of converters on the device side of the discovery
// protocol. Meant to run inside a lab network namespace (scripts/lab), never
// on a real network.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "datagram_log.h"
#include "fleet.h"
#include "fleet_state.h"
#include "interface_socket.h"
#include "process.h"
#include "simulator.h"
#include "stop_requests.h"
#include "udp_sockets.h"

namespace {

constexpr char kUsage[] =
    "usage: ql5sim --fleet FILE --interface IFNAME [--interface IFNAME ...]\n"
    "              [--log FILE] [--ready-file FILE]\n"
    "\n"
    "Plays the converters described in the fleet file: joins 224.0.5.128 on\n"
    "each interface, listens on UDP port 2362 and answers every request by\n"
    "unicast to its sender. Runs until SIGTERM or SIGINT (on Windows Ctrl+C\n"
    "or Ctrl+Break), then exits 0.\n"
    "\n"
    "  --fleet FILE        fleet description (JSON, see tools/ql5sim/README.md)\n"
    "  --interface IFNAME  interface to serve; may be given several times\n"
    "  --log FILE          append one JSON line per received datagram\n"
    "  --ready-file FILE   written once every interface is joined and listening\n"
    "  --help              show this text\n";

struct Options {
    std::string fleet;
    std::vector<std::string> interfaces;
    std::string log;
    std::string readyFile;
};

int Usage(const std::string& problem)
{
    std::cerr << "ql5sim: " << problem << "\n" << kUsage;
    return 2;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error(path + ": cannot be read");
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Written under a temporary name and renamed, so that whoever waits for the
// file never reads it half-written.
void WriteReadyFile(const std::string& path)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << ql5sim::ProcessId() << "\n";
        if (!out) {
            throw std::runtime_error(temporary + ": cannot be written");
        }
    }
    std::filesystem::rename(temporary, path);
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--fleet" || arg == "--interface" || arg == "--log" ||
                   arg == "--ready-file") {
            const char* v = value();
            if (!v)
                return Usage(arg + " needs a value");
            if (arg == "--fleet")
                options.fleet = v;
            if (arg == "--interface")
                options.interfaces.emplace_back(v);
            if (arg == "--log")
                options.log = v;
            if (arg == "--ready-file")
                options.readyFile = v;
        } else {
            return Usage("unknown argument " + arg);
        }
    }
    if (options.fleet.empty())
        return Usage("--fleet is required");
    if (options.interfaces.empty())
        return Usage("at least one --interface is required");

    // The loop sleeps in WaitForSockets, which lets the stop signals in.
    ql5tools::CatchStopRequests(ql5tools::StopDelivery::kOnlyWhileWaiting);
    try {
        ql5tools::StartSockets();
        ql5sim::FleetState state(ql5sim::LoadFleet(ReadFile(options.fleet)));
        ql5sim::DatagramLog log(options.log);
        std::vector<ql5sim::InterfaceSocket> sockets;
        for (const auto& name : options.interfaces) {
            sockets.push_back(ql5sim::InterfaceSocket::Open(name));
        }
        ql5sim::Simulator simulator(state, std::move(sockets), log);
        if (!options.readyFile.empty()) {
            WriteReadyFile(options.readyFile);
        }
        simulator.Run();
    } catch (const std::exception& error) {
        std::cerr << "ql5sim: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
