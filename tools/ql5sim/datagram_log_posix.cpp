// SPDX-License-Identifier: Apache-2.0
#include "datagram_log.h"

#include <fcntl.h>
#include <sys/stat.h>
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
    // A file that was there before keeps its mode: one that others may read
    // is made the owner's alone before anything is appended, or refused.
    struct stat status {};
    if (fstat(fd_, &status) != 0 ||
        ((status.st_mode & 077) != 0 && S_ISREG(status.st_mode) && fchmod(fd_, 0600) != 0) ||
        ((status.st_mode & 077) != 0 && !S_ISREG(status.st_mode))) {
        const int error = errno;
        close(fd_);
        fd_ = -1;
        throw std::runtime_error(path + ": others may read it, and it cannot be made private (" +
                                 std::strerror(error) + ")");
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
