// SPDX-License-Identifier: Apache-2.0
// Where the password of a command comes from, and how it is held. It never
// comes from the command line, which every user of the machine can read in
// the process list.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <variant>

namespace ql5ctl {

// The longest password, in bytes, that a command can carry.
inline constexpr std::size_t kMaxPasswordBytes = 255;

// The environment variable that may hold the password.
inline constexpr char kPasswordVariable[] = "QL5_PASSWORD";

// A password that wipes itself. Its bytes live in a fixed buffer inside the
// object, never on the heap, where a growing string leaves copies behind in
// memory it gives back; they are overwritten when the object is destroyed and
// when it is moved from, on every path out of the code that holds it.
class Password {
public:
    Password() = default;
    ~Password() { Wipe(); }
    Password(Password&& other) noexcept;
    Password& operator=(Password&& other) noexcept;
    Password(const Password&) = delete;
    Password& operator=(const Password&) = delete;

    // Appends a byte. Bytes beyond kMaxPasswordBytes are not kept, only noted
    // (TooLong).
    void Append(char byte) noexcept;

    // The password, NUL-terminated.
    const char* CStr() const noexcept { return bytes_.data(); }
    std::size_t Size() const noexcept { return size_; }
    // More than kMaxPasswordBytes bytes were appended.
    bool TooLong() const noexcept { return tooLong_; }
    // A NUL byte was appended: the password cannot be sent as it was given.
    bool HasNul() const noexcept { return hasNul_; }

    // Overwrites every byte and empties the password.
    void Wipe() noexcept;

private:
    std::array<char, kMaxPasswordBytes + 1> bytes_{};
    std::size_t size_ = 0;
    bool tooLong_ = false;
    bool hasNul_ = false;
};

struct PasswordError {
    std::string message;  // one line, for the user
};

// In this order: the first line of standard input when fromStdin is set (read
// with echo off when standard input is a terminal, after the prompt);
// otherwise QL5_PASSWORD when it is set (even to an empty text); otherwise a
// prompt on the controlling terminal with echo switched off. The prompt names
// the converter by `macText`.
std::variant<Password, PasswordError> ObtainPassword(bool fromStdin, const std::string& macText);

}  // namespace ql5ctl
