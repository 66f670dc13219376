// SPDX-License-Identifier: Apache-2.0
#include "datagram_log.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "address_text.h"

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

void DatagramLog::Record(double unixTime, const std::string& interfaceName, const sockaddr_in& from,
                         std::span<const std::uint8_t> bytes)
{
    if (fd_ < 0) {
        return;
    }
    const nlohmann::ordered_json line = {
        {"time", unixTime},
        {"interface", interfaceName},
        {"from", FormatEndpoint(from)},
        {"hex", FormatHex(bytes)},
    };
    const std::string text = line.dump() + "\n";
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd_, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;  // a full disk must not stop the converters
        written += static_cast<std::size_t>(n);
    }
}

std::string FormatEndpoint(const sockaddr_in& address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

}  // namespace ql5sim
