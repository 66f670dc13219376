// SPDX-License-Identifier: Apache-2.0
// The stop signals stay blocked except while the loop sleeps
// (WaitForSockets in interface_socket_posix.cpp), so that a signal is never
// lost between testing the flag and going to sleep.
#include "process.h"

#include <unistd.h>

#include <csignal>

namespace ql5sim {
namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void OnStopSignal(int)
{
    stopRequested = 1;
}

}  // namespace

void CatchStopRequests()
{
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool StopRequested()
{
    return stopRequested != 0;
}

long ProcessId()
{
    return static_cast<long>(getpid());
}

}  // namespace ql5sim
