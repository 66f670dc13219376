// SPDX-License-Identifier: Apache-2.0
#include "support/simulator_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#ifndef QL5SIM_PATH
#error "QL5SIM_PATH must name the ql5sim executable"
#endif

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
// runs the Windows build's ql5sim.exe under Wine so.
std::vector<std::string> SimulatorCommand()
{
    const char* other = std::getenv("QL5SIM_COMMAND");
    if (other == nullptr || *other == '\0')
        return {QL5SIM_PATH};
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

std::filesystem::path MakeDirectory()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/ql5sim-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        return {};
    }
    return pattern;
}

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int DecodeStatus(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
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
    RemoveDirectory();
    directory_ = MakeDirectory();
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

    // Everything the child needs is prepared before fork: a multi-threaded test
    // process may only make async-signal-safe calls in the child.
    std::vector<std::string> args{"ip", "netns", "exec", converterNamespace};
    for (auto& word : SimulatorCommand())
        args.push_back(std::move(word));
    for (auto arg : {"--fleet", fleet.c_str(), "--log", log.c_str(), "--ready-file", ready.c_str()})
        args.emplace_back(arg);
    for (const auto& name : options.interfaces) {
        args.push_back("--interface");
        args.push_back(name);
    }
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string errorsPath = errors.string();
    const pid_t parent = getpid();

    const pid_t pid = fork();
    if (pid < 0) {
        return ::testing::AssertionFailure() << "fork: " << std::strerror(errno);
    }
    if (pid == 0) {
        // The simulator must not outlive a test process that crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        const int fd = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, STDOUT_FILENO);
            dup2(fd, STDERR_FILENO);
            close(fd);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    pid_ = pid;

    const auto readyTimeout = options.readyTimeout + LauncherAllowance();
    const auto deadline = std::chrono::steady_clock::now() + readyTimeout;
    while (!std::filesystem::exists(ready)) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return ::testing::AssertionFailure() << "ql5sim exited with " << DecodeStatus(status)
                                                 << " before it was ready: " << ErrorOutput();
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
    kill(pid_, SIGTERM);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + kStopGrace + LauncherAllowance();
    for (;;) {
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_ || (done < 0 && errno != EINTR))
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    pid_ = -1;
    return DecodeStatus(status);
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
        [[maybe_unused]] const int result = truncate((directory_ / "received.jsonl").c_str(), 0);
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
