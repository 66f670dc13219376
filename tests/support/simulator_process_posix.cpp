// SPDX-License-Identifier: Apache-2.0
// The simulator as a child process of the test.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/simulator_process.h"

namespace ql5::lab {

::testing::AssertionResult SimulatorProcess::Launch(std::vector<std::string> command,
                                                    const std::filesystem::path& output)
{
    // Everything the child needs is prepared before fork: a multi-threaded test
    // process may only make async-signal-safe calls in the child.
    std::vector<char*> argv;
    for (auto& word : command)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string outputPath = output.string();
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
        const int fd = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, STDOUT_FILENO);
            dup2(fd, STDERR_FILENO);
            close(fd);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    pid_ = pid;
    return ::testing::AssertionSuccess();
}

std::optional<int> SimulatorProcess::Ended()
{
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == 0 || (done < 0 && errno == EINTR))
        return std::nullopt;
    if (done == pid_ && WIFEXITED(status))
        return WEXITSTATUS(status);
    if (done == pid_ && WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

void SimulatorProcess::Signal(bool forcibly)
{
    kill(pid_, forcibly ? SIGKILL : SIGTERM);
}

}  // namespace ql5::lab
