// Where the password of a command comes from. It never comes from the command
// line, which every user of the machine can read in the process list.
#pragma once

#include <string>
#include <variant>

namespace ql5ctl {

// The longest password, in bytes, that a command can carry.
inline constexpr std::size_t kMaxPasswordBytes = 255;

// The environment variable that may hold the password.
inline constexpr char kPasswordVariable[] = "QL5_PASSWORD";

struct PasswordError {
    std::string message;  // one line, for the user
};

// In this order: the first line of standard input when fromStdin is set;
// otherwise QL5_PASSWORD when it is set (even to an empty text); otherwise a
// prompt on the controlling terminal with echo switched off. The prompt names
// the converter by `macText`.
std::variant<std::string, PasswordError> ObtainPassword(bool fromStdin, const std::string& macText);

// Overwrites the characters of a password before its memory is released.
void WipePassword(std::string& password);

}  // namespace ql5ctl
