// SPDX-License-Identifier: Apache-2.0
#include "datagram_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace ql5sim {

DatagramLog::DatagramLog(const std::string& path)
{
    if (path.empty()) {
        return;
    }
    // The log holds every password that commands carried, so only its owner
    // may read it.
    fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        throw std::runtime_error(path + ": " + std::strerror(errno));
    }
}

DatagramLog::~DatagramLog()
{
    if (fd_ >= 0)
        close(fd_);
}

void DatagramLog::Append(const std::string& line)
{
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = write(fd_, line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;  // a full disk must not stop the converters
        written += static_cast<std::size_t>(n);
    }
}

}  // namespace ql5sim
