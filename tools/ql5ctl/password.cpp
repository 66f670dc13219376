// SPDX-License-Identifier: Apache-2.0
#include "password.h"

#include "password_input.h"

#include <cstdlib>

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
    input::WipeBytes(bytes_.data(), bytes_.size());
    size_ = 0;
    tooLong_ = false;
    hasNul_ = false;
}

namespace input {

bool LineReader::Take(char byte) noexcept
{
    if (byte == '\n')
        return true;
    if (heldReturn_)
        password_.Append('\r');
    heldReturn_ = byte == '\r';
    if (!heldReturn_)
        password_.Append(byte);
    // A line far beyond any password is refused without reading it all.
    return password_.TooLong();
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

}  // namespace input

std::variant<Password, PasswordError> ObtainPassword(bool fromStdin, const std::string& macText)
{
    const std::string prompt = "Password for " + macText + ": ";
    input::KeepSecretsOutOfDumps();
    if (fromStdin) {
        // Typed on a terminal, the password must not show there either.
        if (input::StandardInputIsTerminal())
            return input::ReadFromStandardInputTerminal(prompt);
        Password password;
        if (!input::ReadStandardInputLine(password))
            return PasswordError{"the password could not be read from standard input"};
        return input::Checked(std::move(password), "standard input");
    }
    if (const char* fromEnvironment = std::getenv(kPasswordVariable)) {
        Password password;
        for (const char* byte = fromEnvironment; *byte != '\0' && !password.TooLong(); ++byte)
            password.Append(*byte);
        // No child, and no reader of this process's environment, finds it
        // there from now on.
        input::ForgetEnvironmentVariable(kPasswordVariable);
        return input::Checked(std::move(password), kPasswordVariable);
    }
    return input::PromptOnTerminal(prompt);
}

}  // namespace ql5ctl
