// SPDX-License-Identifier: Apache-2.0
#include "support/simulator_process.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

#include <nlohmann/json.hpp>

#include "support/host_command.h"

namespace ql5::lab {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);
constexpr auto kStopGrace = std::chrono::seconds(5);
// A simulator started through a launcher (Wine's, which makes a prefix and
// starts a server of its own first) takes this much longer to start and to
// stop.
constexpr auto kLauncherAllowance = std::chrono::seconds(20);

// QL5SIM_COMMAND, when set, names another ql5sim to run, as words separated by
// spaces that come before the arguments: the Windows stage of scripts/test
// runs the Windows build's ql5sim.exe under Wine so. A Windows build of the
// tests has no simulator of its own and needs it.
std::vector<std::string> SimulatorCommand()
{
    const char* other = std::getenv("QL5SIM_COMMAND");
    if (other == nullptr || *other == '\0') {
#ifdef QL5SIM_PATH
        return {QL5SIM_PATH};
#else
        return {};
#endif
    }
    std::vector<std::string> command;
    const std::string words = other;
    for (std::size_t start = 0; start < words.size();) {
        const std::size_t end = std::min(words.find(' ', start), words.size());
        if (end > start)
            command.push_back(words.substr(start, end - start));
        start = end + 1;
    }
    return command;
}

std::chrono::seconds LauncherAllowance()
{
    const char* other = std::getenv("QL5SIM_COMMAND");
    return other != nullptr && *other != '\0' ? kLauncherAllowance : std::chrono::seconds(0);
}

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::vector<std::uint8_t> FromHex(const std::string& hex)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(HexValue(hex[i]) << 4 | HexValue(hex[i + 1])));
    }
    return bytes;
}

}  // namespace

SimulatorProcess::~SimulatorProcess()
{
    Stop();
    RemoveDirectory();
}

::testing::AssertionResult SimulatorProcess::Start(const std::string& converterNamespace,
                                                   const std::string& fleetJson,
                                                   const SimulatorOptions& options)
{
    if (Running()) {
        return ::testing::AssertionFailure() << "the simulator is already running";
    }
    if (converterNamespace.empty()) {
        return ::testing::AssertionFailure() << "no converter namespace given (not in the lab?)";
    }
    auto command = SimulatorCommand();
    if (command.empty()) {
        return ::testing::AssertionFailure() << "QL5SIM_COMMAND names no simulator to start";
    }
    RemoveDirectory();
    directory_ = MakeHostDirectory("ql5sim");
    if (directory_.empty()) {
        return ::testing::AssertionFailure()
               << "cannot create a temporary directory: " << std::strerror(errno);
    }
    const auto fleet = directory_ / "fleet.json";
    const auto log = directory_ / "received.jsonl";
    const auto ready = directory_ / "ready";
    const auto errors = directory_ / "stderr.txt";
    {
        std::ofstream out(fleet, std::ios::binary);
        out << fleetJson;
        if (!out) {
            return ::testing::AssertionFailure() << "cannot write " << fleet;
        }
    }

    command.insert(command.begin(), {"ip", "netns", "exec", converterNamespace});
    const std::pair<const char*, std::filesystem::path> files[] = {
        {"--fleet", fleet}, {"--log", log}, {"--ready-file", ready}};
    for (const auto& [option, file] : files)
        command.insert(command.end(), {option, HostPath(file)});
    for (const auto& name : options.interfaces)
        command.insert(command.end(), {"--interface", name});
    if (auto launched = Launch(std::move(command), errors); !launched)
        return launched;

    const auto readyTimeout = options.readyTimeout + LauncherAllowance();
    const auto deadline = std::chrono::steady_clock::now() + readyTimeout;
    while (!std::filesystem::exists(ready)) {
        if (const auto status = Ended()) {
            pid_ = -1;
            return ::testing::AssertionFailure()
                   << "ql5sim exited with " << *status << " before it was ready: " << ErrorOutput();
        }
        if (std::chrono::steady_clock::now() > deadline) {
            Stop();
            return ::testing::AssertionFailure()
                   << "ql5sim was not ready within " << readyTimeout.count()
                   << " ms: " << ErrorOutput();
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return ::testing::AssertionSuccess();
}

int SimulatorProcess::Stop()
{
    if (pid_ <= 0) {
        return -1;
    }
    Signal(false);
    auto deadline = std::chrono::steady_clock::now() + kStopGrace + LauncherAllowance();
    bool killed = false;
    std::optional<int> status;
    while (!(status = Ended())) {
        if (std::chrono::steady_clock::now() > deadline) {
            if (killed)
                break;
            Signal(true);
            killed = true;
            deadline = std::chrono::steady_clock::now() + kStopGrace;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    pid_ = -1;
    return status.value_or(-1);
}

std::vector<ReceivedDatagram> SimulatorProcess::ReceivedDatagrams() const
{
    std::vector<ReceivedDatagram> out;
    if (directory_.empty()) {
        return out;
    }
    const std::string text = ReadText(directory_ / "received.jsonl");
    std::size_t start = 0;
    // Only complete lines count: the simulator may be writing the last one.
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const auto line = nlohmann::json::parse(text.substr(start, end - start), nullptr, false);
        if (line.is_discarded() || !line.is_object()) {
            continue;
        }
        ReceivedDatagram datagram;
        datagram.time = line.value("time", 0.0);
        datagram.interface = line.value("interface", "");
        datagram.from = line.value("from", "");
        datagram.bytes = FromHex(line.value("hex", ""));
        out.push_back(std::move(datagram));
    }
    return out;
}

bool SimulatorProcess::WaitForDatagrams(std::size_t count, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (ReceivedDatagrams().size() < count) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

void SimulatorProcess::ClearReceived()
{
    if (!directory_.empty()) {
        // The simulator appends, so its next line lands at the start again. A log
        // that does not exist yet has nothing to forget.
        std::error_code ignored;
        std::filesystem::resize_file(directory_ / "received.jsonl", 0, ignored);
    }
}

std::string SimulatorProcess::ErrorOutput() const
{
    return directory_.empty() ? "" : ReadText(directory_ / "stderr.txt");
}

void SimulatorProcess::RemoveDirectory()
{
    if (!directory_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
        directory_.clear();
    }
}

}  // namespace ql5::lab
