// SPDX-License-Identifier: Apache-2.0
#include "client_sweep.h"

#include <ql5/discovery.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

namespace ql5::bench {

namespace {

constexpr std::uint32_t kRepliesWaiting = 0x8002;
// The main window's slice of the reply queue per read.
constexpr int kRecordsPerRead = 256;

// CPU time of the calling thread, in seconds.
double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The window's side of the notification: the callback runs on the sweep
// thread and only hands the news to the reading thread.
class Notifications {
public:
    Notifications() : window_(Ql5CreateMessageWindow(&Notifications::OnMessage, this)) {}
    ~Notifications() { Ql5DestroyMessageWindow(window_); }
    Notifications(const Notifications&) = delete;
    Notifications& operator=(const Notifications&) = delete;

    Ql5WindowHandle Window() const { return window_; }

    // True when a notification came (and takes it); false after the time-out.
    bool Wait(Clock::duration timeout)
    {
        std::unique_lock lock(mutex_);
        if (!arrived_.wait_for(lock, timeout, [this] { return pending_ > 0; }))
            return false;
        pending_ = 0;
        ++taken_;
        return true;
    }
    int Taken() const { return taken_; }
    int Posts()
    {
        std::lock_guard lock(mutex_);
        return posts_;
    }
    // CPU time the sweep thread spent in this callback, the reader's wake-up
    // included; read it only once the sweep has stopped.
    double CallbackCpuMs() const { return callbackCpuSeconds_ * 1000; }
    // The thread that posts: the sweep thread, once it has posted.
    pid_t PosterThread()
    {
        std::lock_guard lock(mutex_);
        return poster_;
    }

private:
    static void OnMessage(Ql5WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t, void* self)
    {
        const double cpuStart = ThreadCpuSeconds();
        auto* notifications = static_cast<Notifications*>(self);
        {
            std::lock_guard lock(notifications->mutex_);
            ++notifications->pending_;
            ++notifications->posts_;
            if (notifications->poster_ == 0)
                notifications->poster_ = static_cast<pid_t>(syscall(SYS_gettid));
        }
        notifications->arrived_.notify_one();
        // Only the sweep thread writes this, and the reader takes it after
        // the sweep has stopped.
        notifications->callbackCpuSeconds_ += ThreadCpuSeconds() - cpuStart;
    }

    Ql5WindowHandle window_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    int pending_ = 0;
    int taken_ = 0;
    double callbackCpuSeconds_ = 0;
    int posts_ = 0;
    pid_t poster_ = 0;
};

// On-CPU time and context switches of one thread of this process, from
// /proc; what the sweep thread itself spent, apart from the reading thread.
void ReadThreadStatistics(pid_t thread, SweepOutcome& outcome)
{
    if (thread == 0)
        return;
    const std::string task = "/proc/self/task/" + std::to_string(thread);
    std::ifstream schedstat(task + "/schedstat");
    double nanoseconds = 0;
    if (schedstat >> nanoseconds)
        outcome.sweepThreadCpuMs = nanoseconds / 1e6;
    std::ifstream status(task + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.find("ctxt_switches:") != std::string::npos)
            outcome.sweepThreadSwitches += std::atol(line.substr(line.find(':') + 1).c_str());
    }
}

}  // namespace

SweepOutcome RunClientSweep(std::size_t expected, Clock::duration quiet)
{
    SweepOutcome outcome;
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    if (handle == nullptr)
        return outcome;
    Notifications notifications;
    std::unordered_set<std::uint64_t> macs;
    macs.reserve(expected);
    std::vector<DeviceRecordExchange> records(kRecordsPerRead);

    const double cpuStart = ProcessCpuSeconds();
    outcome.startUnixSeconds = UnixSeconds();
    const auto start = Clock::now();
    outcome.started = StartDiscovery(handle, notifications.Window(), kRepliesWaiting, 0) == 0;
    auto lastRead = start;
    double cpuAtLastRead = cpuStart;
    while (outcome.started && macs.size() < expected) {
        if (!notifications.Wait(std::chrono::milliseconds(50))) {
            if (Clock::now() - lastRead > quiet)
                break;
            continue;
        }
        // As the main window reads: what waits now, in slices.
        bool read = false;
        for (int waiting = GetDeviceCount(handle); waiting > 0;) {
            const int taken =
                ReadDevices(handle, records.data(),
                            static_cast<std::uint32_t>(std::min(waiting, kRecordsPerRead)));
            if (taken <= 0)
                break;
            for (int i = 0; i < taken; ++i)
                macs.insert(MacKey(records[static_cast<std::size_t>(i)].macAddress));
            outcome.records += static_cast<std::size_t>(taken);
            waiting -= taken;
            read = true;
        }
        if (read) {
            lastRead = Clock::now();
            if (outcome.firstRecordMs == 0)
                outcome.firstRecordMs = Milliseconds(lastRead - start);
            cpuAtLastRead = ProcessCpuSeconds();
        }
    }
    // Read while the sweep thread still exists.
    ReadThreadStatistics(notifications.PosterThread(), outcome);
    outcome.posts = notifications.Posts();
    StopDiscovery(handle);
    CloseContext(handle);

    outcome.found = macs.size();
    outcome.lastRecordMs = Milliseconds(lastRead - start);
    outcome.cpuMs = (cpuAtLastRead - cpuStart) * 1000;
    outcome.notifications = notifications.Taken();
    outcome.callbackCpuMs = notifications.CallbackCpuMs();
    return outcome;
}

double IdleSweepCpuMsPerSecond(Clock::duration listen, int* addresses)
{
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    if (handle == nullptr)
        return -1;
    Notifications notifications;
    if (StartDiscovery(handle, notifications.Window(), kRepliesWaiting, 0) != 0) {
        CloseContext(handle);
        return -1;
    }
    if (addresses != nullptr)
        *addresses = GetSweepAddresses(handle, nullptr, 0);
    // The thread's start (sockets, the request) is not listening; let it pass.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const double cpuStart = ProcessCpuSeconds();
    const auto start = Clock::now();
    std::this_thread::sleep_for(listen);
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    StopDiscovery(handle);
    CloseContext(handle);
    return cpu * 1000 / seconds;
}

}  // namespace ql5::bench
