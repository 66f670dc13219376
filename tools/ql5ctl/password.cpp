// SPDX-License-Identifier: Apache-2.0
#include "password.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace ql5ctl {

Password::Password(Password&& other) noexcept
    : bytes_(other.bytes_), size_(other.size_), tooLong_(other.tooLong_), hasNul_(other.hasNul_)
{
    other.Wipe();
}

Password& Password::operator=(Password&& other) noexcept
{
    if (this != &other) {
        Wipe();
        bytes_ = other.bytes_;
        size_ = other.size_;
        tooLong_ = other.tooLong_;
        hasNul_ = other.hasNul_;
        other.Wipe();
    }
    return *this;
}

void Password::Append(char byte) noexcept
{
    if (size_ >= kMaxPasswordBytes) {
        tooLong_ = true;
        return;
    }
    hasNul_ = hasNul_ || byte == '\0';
    bytes_[size_++] = byte;
}

void Password::Wipe() noexcept
{
    // explicit_bzero, unlike memset, is never left out because the memory is
    // not read again.
    explicit_bzero(bytes_.data(), bytes_.size());
    size_ = 0;
    tooLong_ = false;
    hasNul_ = false;
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
// consumed; the line feed and a carriage return before it (or before the end
// of input) are dropped. False on a read error. `sawEnd` tells whether input
// ended before a line feed.
bool ReadLine(int fd, Password& password, bool& sawEnd)
{
    sawEnd = false;
    // A carriage return is kept back until the next byte shows whether it
    // ends the line.
    bool heldReturn = false;
    for (;;) {
        char c;
        const ssize_t got = read(fd, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0) {
            sawEnd = true;
            break;
        }
        if (c == '\n')
            break;
        if (heldReturn)
            password.Append('\r');
        heldReturn = c == '\r';
        if (!heldReturn)
            password.Append(c);
        c = '\0';
        // A line far beyond any password is refused without reading it all.
        if (password.TooLong())
            break;
    }
    return true;
}

std::variant<Password, PasswordError> Checked(Password password, const char* source)
{
    if (password.HasNul())
        return PasswordError{std::string("the password from ") + source + " contains a NUL byte"};
    if (password.TooLong())
        return PasswordError{std::string("the password from ") + source +
                             " is longer than 255 bytes"};
    return password;
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

std::variant<Password, PasswordError> Prompt(const std::string& prompt)
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

}  // namespace

std::variant<Password, PasswordError> ObtainPassword(bool fromStdin, const std::string& macText)
{
    const std::string prompt = "Password for " + macText + ": ";
    if (fromStdin) {
        // Typed on a terminal, the password must not show there either.
        if (isatty(STDIN_FILENO) == 1)
            return ReadFromTerminal(STDIN_FILENO, prompt, "standard input");
        Password password;
        bool sawEnd = false;
        if (!ReadLine(STDIN_FILENO, password, sawEnd))
            return PasswordError{"the password could not be read from standard input"};
        return Checked(std::move(password), "standard input");
    }
    if (const char* fromEnvironment = std::getenv(kPasswordVariable)) {
        Password password;
        for (const char* byte = fromEnvironment; *byte != '\0' && !password.TooLong(); ++byte)
            password.Append(*byte);
        return Checked(std::move(password), kPasswordVariable);
    }
    return Prompt(prompt);
}

}  // namespace ql5ctl
