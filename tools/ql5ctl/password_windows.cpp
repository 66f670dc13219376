// SPDX-License-Identifier: Apache-2.0
// Password input on Windows: the console's echo is switched off with
// SetConsoleMode, and put back by a control handler if the user presses
// Ctrl+C, since the mode outlives the program. The console gives UTF-16,
// which is passed on as UTF-8, the bytes a password carries on Linux too.
#include "password_input.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace ql5ctl::input {

void WipeBytes(char* bytes, std::size_t size) noexcept
{
    SecureZeroMemory(bytes, size);
}

void KeepSecretsOutOfDumps() noexcept
{
    // No fault dialog for Windows Error Reporting, which would offer to send
    // a minidump of the process's memory; a crash then simply ends it.
    SetErrorMode(SetErrorMode(0) | SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
}

void ForgetEnvironmentVariable(const char* name) noexcept
{
    if (char* value = std::getenv(name))
        WipeBytes(value, std::strlen(value));
    // The C runtime's copy and the process environment block are two.
    static_cast<void>(_putenv_s(name, ""));
    SetEnvironmentVariableA(name, nullptr);
}

namespace {

// The console input whose echo is off while a password is typed, so that the
// control handler can put its mode back before the program ends.
HANDLE echoOffConsole = nullptr;
DWORD savedMode = 0;

BOOL WINAPI RestoreConsole(DWORD)
{
    if (echoOffConsole != nullptr)
        SetConsoleMode(echoOffConsole, savedMode);
    return FALSE;  // the default handler ends the program
}

void WriteText(HANDLE output, const std::string& text)
{
    DWORD written = 0;
    if (output != nullptr && output != INVALID_HANDLE_VALUE)
        WriteConsoleA(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// Shows the prompt and reads one line from the console with echo off. The
// line feed of Enter does not show without echo, so one is written after it.
std::variant<Password, PasswordError> ReadFromConsole(HANDLE input, HANDLE output,
                                                      const std::string& prompt, const char* source)
{
    DWORD mode = 0;
    if (!GetConsoleMode(input, &mode))
        return PasswordError{std::string("the password could not be read from ") + source};
    savedMode = mode;
    echoOffConsole = input;
    SetConsoleCtrlHandler(RestoreConsole, TRUE);
    SetConsoleMode(input, (mode | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) & ~ENABLE_ECHO_INPUT);

    WriteText(output, prompt);
    Password password;
    LineReader line(password);
    bool read = true;
    bool done = false;
    constexpr DWORD kChunk = 64;
    wchar_t characters[kChunk];
    // Each UTF-16 unit becomes at most three UTF-8 bytes.
    char bytes[kChunk * 3];
    while (!done) {
        DWORD got = 0;
        if (!ReadConsoleW(input, characters, kChunk, &got, nullptr)) {
            read = false;
            break;
        }
        if (got == 0)
            break;
        const int length = WideCharToMultiByte(CP_UTF8, 0, characters, static_cast<int>(got), bytes,
                                               sizeof bytes, nullptr, nullptr);
        for (int i = 0; i < length && !done; ++i)
            done = line.Take(bytes[i]);
        SecureZeroMemory(characters, sizeof characters);
        SecureZeroMemory(bytes, sizeof bytes);
    }
    WriteText(output, "\r\n");

    SetConsoleMode(input, savedMode);
    SetConsoleCtrlHandler(RestoreConsole, FALSE);
    echoOffConsole = nullptr;

    if (!read)
        return PasswordError{std::string("the password could not be read from ") + source};
    return Checked(std::move(password), source);
}

}  // namespace

bool StandardInputIsTerminal()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool ReadStandardInputLine(Password& password)
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    LineReader line(password);
    for (;;) {
        char c = '\0';
        DWORD got = 0;
        if (!ReadFile(input, &c, 1, &got, nullptr))
            return GetLastError() == ERROR_BROKEN_PIPE;  // the writer has finished
        if (got == 0)
            return true;
        const bool done = line.Take(c);
        c = '\0';
        if (done)
            return true;
    }
}

std::variant<Password, PasswordError> ReadFromStandardInputTerminal(const std::string& prompt)
{
    return ReadFromConsole(GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_ERROR_HANDLE), prompt,
                           "standard input");
}

std::variant<Password, PasswordError> PromptOnTerminal(const std::string& prompt)
{
    // The console itself, whatever the standard streams were redirected to.
    const HANDLE input =
        CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE) {
        return PasswordError{
            "no terminal to ask for the password on; give it with --password-stdin or "
            "QL5_PASSWORD"};
    }
    const HANDLE output =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    auto result = ReadFromConsole(input, output, prompt, "the terminal");
    if (output != INVALID_HANDLE_VALUE)
        CloseHandle(output);
    CloseHandle(input);
    return result;
}

}  // namespace ql5ctl::input
