// SPDX-License-Identifier: Apache-2.0
// The C runtime's low-level files: binary, so that a line ends in "\n" as on
// every other system, and written with one call per line.
#include "datagram_log.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace ql5sim {

DatagramLog::DatagramLog(const std::string& path)
{
    if (path.empty()) {
        return;
    }
    // The log holds every password that commands carried; Windows gives a new
    // file the access of its folder, which the user chose.
    fd_ = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_APPEND | _O_BINARY | _O_NOINHERIT,
                _S_IREAD | _S_IWRITE);
    if (fd_ < 0) {
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
