// SPDX-License-Identifier: Apache-2.0
// The C runtime's low-level files: binary, so that a line ends in "\n" as on
// every other system, and written with one call per line. The file itself is
// made by CreateFileA, which can give it an access list of its own.
#include "datagram_log.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sddl.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace ql5sim {
namespace {

// A protected access list ("P": nothing inherited from the folder) with one
// entry: all access for this process's user. It names the user's own SID
// rather than the owner-rights SID, which Wine, mapping the list onto the
// file's Unix mode, would leave with no access at all.
PSECURITY_DESCRIPTOR OwnerOnlyDescriptor()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return nullptr;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    char* sid = nullptr;
    const bool named =
        size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid);
    CloseHandle(token);
    if (!named)
        return nullptr;
    const std::string text = std::string("D:P(A;;FA;;;") + sid + ")";
    LocalFree(sid);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(text.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        return nullptr;
    return descriptor;
}

}  // namespace

DatagramLog::DatagramLog(const std::string& path)
{
    if (path.empty()) {
        return;
    }
    // The log holds every password that commands carried, so a new log lets
    // its owner alone in, whatever the folder's access list says.
    PSECURITY_DESCRIPTOR ownerOnly = OwnerOnlyDescriptor();
    if (ownerOnly == nullptr) {
        throw std::runtime_error(path + ": cannot describe an owner-only file (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, ownerOnly, FALSE};
    const HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    &attributes, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    LocalFree(ownerOnly);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error(path + ": cannot open (error " + std::to_string(error) + ")");
    }
    fd_ = _open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_APPEND | _O_WRONLY);
    if (fd_ < 0) {
        CloseHandle(file);
        throw std::runtime_error(path + ": " + std::strerror(errno));
    }
}

DatagramLog::~DatagramLog()
{
    if (fd_ >= 0)
        _close(fd_);
}

void DatagramLog::Append(const std::string& line)
{
    std::size_t written = 0;
    while (written < line.size()) {
        const int n =
            _write(fd_, line.data() + written, static_cast<unsigned>(line.size() - written));
        if (n <= 0)
            return;  // a full disk must not stop the converters
        written += static_cast<std::size_t>(n);
    }
}

}  // namespace ql5sim
