// SPDX-License-Identifier: Apache-2.0
// Password input on POSIX systems: the terminal's echo is switched off with
// termios, and put back by a signal handler if the program is stopped.
#include "password_input.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace ql5ctl::input {

void WipeBytes(char* bytes, std::size_t size) noexcept
{
    // explicit_bzero, unlike memset, is never left out because the memory is
    // not read again.
    explicit_bzero(bytes, size);
}

void KeepSecretsOutOfDumps() noexcept
{
    // No core file, and the process is no longer dumpable (which also keeps
    // other processes of the user from reading its memory through ptrace).
    rlimit none{};
    if (getrlimit(RLIMIT_CORE, &none) == 0) {
        none.rlim_cur = 0;
        static_cast<void>(setrlimit(RLIMIT_CORE, &none));
    }
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
    // (Not under AddressSanitizer, whose leak check at exit attaches to the
    // process as a debugger does.)
    static_cast<void>(prctl(PR_SET_DUMPABLE, 0, 0, 0, 0));
#endif
}

void ForgetEnvironmentVariable(const char* name) noexcept
{
    if (char* value = std::getenv(name))
        WipeBytes(value, std::strlen(value));
    static_cast<void>(unsetenv(name));
}

namespace {

// The terminal whose echo is off while a password is typed, so that a signal
// handler can put it back before the program dies.
int echoOffTerminal = -1;
termios savedTerminal{};

constexpr int kRestoringSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void RestoreTerminalAndDie(int signalNumber)
{
    // Only async-signal-safe calls here: tcsetattr, write, signal, raise.
    if (echoOffTerminal >= 0) {
        tcsetattr(echoOffTerminal, TCSAFLUSH, &savedTerminal);
        const char newline = '\n';
        [[maybe_unused]] const ssize_t written = write(echoOffTerminal, &newline, 1);
    }
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

// Reads one line into the password, byte by byte so that nothing after it is
// consumed. False on a read error. `sawEnd` tells whether input ended before a
// line feed.
bool ReadLine(int fd, Password& password, bool& sawEnd)
{
    sawEnd = false;
    LineReader line(password);
    for (;;) {
        char c;
        const ssize_t got = read(fd, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0) {
            sawEnd = true;
            return true;
        }
        const bool done = line.Take(c);
        c = '\0';
        if (done)
            return true;
    }
}

// Shows the prompt on the terminal and reads one line from it with echo off.
// The line feed of Enter still shows, so the cursor moves on as the user
// expects; echo comes back however the read ends, a fatal signal included.
std::variant<Password, PasswordError> ReadFromTerminal(int tty, const std::string& prompt,
                                                       const char* source)
{
    if (tcgetattr(tty, &savedTerminal) != 0)
        return PasswordError{std::string("the password could not be read from ") + source};

    struct sigaction restoring = {};
    restoring.sa_handler = RestoreTerminalAndDie;
    sigemptyset(&restoring.sa_mask);
    struct sigaction previous[std::size(kRestoringSignals)];
    echoOffTerminal = tty;
    for (std::size_t i = 0; i < std::size(kRestoringSignals); ++i)
        sigaction(kRestoringSignals[i], &restoring, &previous[i]);

    termios quiet = savedTerminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    tcsetattr(tty, TCSAFLUSH, &quiet);

    [[maybe_unused]] const ssize_t written = write(tty, prompt.data(), prompt.size());
    Password password;
    bool sawEnd = false;
    const bool read = ReadLine(tty, password, sawEnd);
    if (sawEnd) {
        const char newline = '\n';
        [[maybe_unused]] const ssize_t done = write(tty, &newline, 1);
    }

    tcsetattr(tty, TCSAFLUSH, &savedTerminal);
    for (std::size_t i = 0; i < std::size(kRestoringSignals); ++i)
        sigaction(kRestoringSignals[i], &previous[i], nullptr);
    echoOffTerminal = -1;

    if (!read)
        return PasswordError{std::string("the password could not be read from ") + source};
    return Checked(std::move(password), source);
}

}  // namespace

bool StandardInputIsTerminal()
{
    return isatty(STDIN_FILENO) == 1;
}

bool ReadStandardInputLine(Password& password)
{
    bool sawEnd = false;
    return ReadLine(STDIN_FILENO, password, sawEnd);
}

std::variant<Password, PasswordError> ReadFromStandardInputTerminal(const std::string& prompt)
{
    return ReadFromTerminal(STDIN_FILENO, prompt, "standard input");
}

std::variant<Password, PasswordError> PromptOnTerminal(const std::string& prompt)
{
    const int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) {
        return PasswordError{
            "no terminal to ask for the password on; give it with --password-stdin or "
            "QL5_PASSWORD"};
    }
    auto result = ReadFromTerminal(tty, prompt, "the terminal");
    close(tty);
    return result;
}

}  // namespace ql5ctl::input
