// SPDX-License-Identifier: Apache-2.0
// Where a password is read from, in the system's own terms: the terminal with
// its echo, standard input, and how a buffer is wiped. password_posix.cpp and
// password_windows.cpp implement it; CMake picks one.
#pragma once

#include "password.h"

#include <cstddef>
#include <string>
#include <variant>

namespace ql5ctl::input {

// Collects one line of a password byte by byte, so that nothing after the
// line is consumed. The line feed and a carriage return before it (or before
// the end of input) are dropped.
class LineReader {
public:
    explicit LineReader(Password& password) : password_(password) {}
    // Takes the next byte; true once the line is complete (or far too long to
    // be a password, which is then refused without reading the rest).
    [[nodiscard]] bool Take(char byte) noexcept;

private:
    Password& password_;
    // A carriage return is kept back until the next byte shows whether it
    // ends the line.
    bool heldReturn_ = false;
};

// The password, or why it cannot be sent as given.
std::variant<Password, PasswordError> Checked(Password password, const char* source);

// Overwrites the bytes in a way the compiler does not leave out because the
// memory is not read again.
void WipeBytes(char* bytes, std::size_t size) noexcept;

// Keeps a crash from writing the password into a core dump or minidump:
// called before a password is read, for the rest of the process's life.
void KeepSecretsOutOfDumps() noexcept;

// Overwrites the variable's value where the process keeps it (which
// /proc/PID/environ shows) and removes the variable, once it has been read.
void ForgetEnvironmentVariable(const char* name) noexcept;

bool StandardInputIsTerminal();
// One line from standard input, which is no terminal. False on a read error.
[[nodiscard]] bool ReadStandardInputLine(Password& password);
// Shows the prompt and reads one line from the terminal on standard input with
// echo off.
std::variant<Password, PasswordError> ReadFromStandardInputTerminal(const std::string& prompt);
// Shows the prompt on the user's terminal (not on redirected streams) and
// reads one line there with echo off.
std::variant<Password, PasswordError> PromptOnTerminal(const std::string& prompt);

}  // namespace ql5ctl::input
