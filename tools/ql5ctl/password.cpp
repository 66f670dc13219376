#include "password.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace ql5ctl {

namespace {

// The terminal whose echo is off while the prompt waits, so that a signal
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

// Reads one line, byte by byte so that nothing after it is consumed; the line
// feed and a carriage return before it are dropped. Nothing on end of input
// before any byte, or on a read error.
std::optional<std::string> ReadLine(int fd, bool& sawEnd)
{
    std::string line;
    sawEnd = false;
    for (;;) {
        char c;
        const ssize_t got = read(fd, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0) {
            sawEnd = true;
            break;
        }
        if (c == '\n')
            break;
        line += c;
        // A line far beyond any password is refused without reading it all.
        if (line.size() > kMaxPasswordBytes + 2)
            break;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::variant<std::string, PasswordError> Checked(std::string password, const char* source)
{
    if (password.find('\0') != std::string::npos) {
        WipePassword(password);
        return PasswordError{std::string("the password from ") + source + " contains a NUL byte"};
    }
    if (password.size() > kMaxPasswordBytes) {
        WipePassword(password);
        return PasswordError{std::string("the password from ") + source +
                             " is longer than 255 bytes"};
    }
    return password;
}

std::variant<std::string, PasswordError> Prompt(const std::string& macText)
{
    const PasswordError noTerminal{
        "no terminal to ask for the password on; give it with --password-stdin or "
        "QL5_PASSWORD"};
    const int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0)
        return noTerminal;
    termios quiet{};
    if (tcgetattr(tty, &savedTerminal) != 0) {
        close(tty);
        return noTerminal;
    }

    struct sigaction restoring = {};
    restoring.sa_handler = RestoreTerminalAndDie;
    sigemptyset(&restoring.sa_mask);
    struct sigaction previous[std::size(kRestoringSignals)];
    echoOffTerminal = tty;
    for (std::size_t i = 0; i < std::size(kRestoringSignals); ++i)
        sigaction(kRestoringSignals[i], &restoring, &previous[i]);

    // Echo off, but the line feed of Enter still shows, so the cursor moves
    // on as the user expects.
    quiet = savedTerminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    tcsetattr(tty, TCSAFLUSH, &quiet);

    const std::string prompt = "Password for " + macText + ": ";
    [[maybe_unused]] const ssize_t written = write(tty, prompt.data(), prompt.size());
    bool sawEnd = false;
    std::optional<std::string> line = ReadLine(tty, sawEnd);
    if (sawEnd) {
        const char newline = '\n';
        [[maybe_unused]] const ssize_t done = write(tty, &newline, 1);
    }

    tcsetattr(tty, TCSAFLUSH, &savedTerminal);
    for (std::size_t i = 0; i < std::size(kRestoringSignals); ++i)
        sigaction(kRestoringSignals[i], &previous[i], nullptr);
    echoOffTerminal = -1;
    close(tty);

    if (!line)
        return PasswordError{"the password could not be read from the terminal"};
    return Checked(std::move(*line), "the terminal");
}

}  // namespace

std::variant<std::string, PasswordError> ObtainPassword(bool fromStdin, const std::string& macText)
{
    if (fromStdin) {
        bool sawEnd = false;
        std::optional<std::string> line = ReadLine(STDIN_FILENO, sawEnd);
        if (!line)
            return PasswordError{"the password could not be read from standard input"};
        return Checked(std::move(*line), "standard input");
    }
    if (const char* fromEnvironment = std::getenv(kPasswordVariable))
        return Checked(fromEnvironment, kPasswordVariable);
    return Prompt(macText);
}

void WipePassword(std::string& password)
{
    // A volatile pointer keeps the compiler from dropping stores to memory
    // that is about to be released.
    volatile char* bytes = password.data();
    for (std::size_t i = 0; i < password.size(); ++i)
        bytes[i] = 0;
    password.clear();
}

}  // namespace ql5ctl
