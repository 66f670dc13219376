// SPDX-License-Identifier: Apache-2.0
// The status type of the internal operations and the status text that a
// failure on this host leaves for the caller.
#include "byte_order.h"
#include "context.h"
#include "device_requests.h"
#include "status.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

using namespace ql5;

namespace {

std::string Describe(const Status& status, std::size_t capacity = 256)
{
    std::string text(capacity, '\x7f');
    DescribeStatus(status, text.data(), capacity);
    return text.substr(0, std::strlen(text.c_str()));
}

std::string StatusText(DiscoveryHandle handle)
{
    char text[256] = {};
    return GetStatusText(handle, text, sizeof text) == 0 ? text : "<failed>";
}

// The system's own text for an error number, as the platform layer gives it
// (strerror on POSIX systems, FormatMessage on Windows).
std::string SystemText(int number)
{
    char text[256] = {};
    platform::DescribeSystemError(platform::SystemError{number}, text, sizeof text);
    return text;
}

const std::uint32_t kLocal = Ipv4FromOctets(198, 51, 100, 1);

}  // namespace

TEST(Status, TextSaysWhatFailedWhereAndWhy)
{
    struct Case {
        Status status;
        std::string text;
    };
    const Case cases[] = {
        {Status(), "Operation Successful"},
        {Status::Failed(Failure::kBindSocket, {EADDRNOTAVAIL}, kLocal),
         "cannot bind a socket to 198.51.100.1: " + SystemText(EADDRNOTAVAIL)},
        {Status::Failed(Failure::kOpenSocket, {EMFILE}).On(kLocal),
         "cannot open a socket on 198.51.100.1: " + SystemText(EMFILE)},
        {Status::Failed(Failure::kSetMulticastInterface, {ENODEV}, kLocal),
         "cannot make 198.51.100.1 the multicast interface: " + SystemText(ENODEV)},
        {Status::Failed(Failure::kSend, {ENETUNREACH}),
         "cannot send the request: " + SystemText(ENETUNREACH)},
        {Status::Failed(Failure::kSend).On(kLocal), "cannot send the request from 198.51.100.1"},
        {Status::Failed(Failure::kNoLocalAddress), "no IPv4 address on any interface that is up"},
        {Status::Failed(Failure::kListAddresses, {EMFILE}),
         "cannot list the local IPv4 addresses: " + SystemText(EMFILE)},
        {Status::Failed(Failure::kWait, {EINVAL}),
         "cannot wait for replies: " + SystemText(EINVAL)},
        {Status::Failed(Failure::kNotLocalAddress, {}, kLocal),
         "198.51.100.1 is not an IPv4 address of this host (on an interface that is up)"},
        {Status::Failed(Failure::kNoOutcome),
         "the converter's reply did not state whether it carried the command out"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Describe(c.status), c.text);

    // Cut to the buffer, and always terminated.
    EXPECT_EQ(Describe(Status::Failed(Failure::kBindSocket, {EADDRNOTAVAIL}, kLocal), 12),
              "cannot bind");
    EXPECT_EQ(Describe(Status::Failed(Failure::kBindSocket, {EADDRNOTAVAIL}, kLocal), 1), "");
}

TEST(Status, AmbiguityNamesEveryLocalAddressOnWhichTheMacAnswered)
{
    const std::uint32_t second = Ipv4FromOctets(203, 0, 113, 1);
    const std::uint32_t third = Ipv4FromOctets(192, 0, 2, 1);
    struct Case {
        std::vector<std::uint32_t> addresses;
        std::string text;
    };
    const Case cases[] = {
        {{kLocal},
         "the MAC answered from more than one address (on the local address 198.51.100.1); "
         "the command was not sent"},
        {{kLocal, second},
         "the MAC answered from more than one address (on the local addresses 198.51.100.1 "
         "and 203.0.113.1); the command was not sent"},
        {{kLocal, second, third},
         "the MAC answered from more than one address (on the local addresses 198.51.100.1, "
         "203.0.113.1 and 192.0.2.1); the command was not sent"},
    };
    for (const Case& c : cases) {
        char text[256];
        DescribeAmbiguity(c.addresses.data(), c.addresses.size(), text, sizeof text);
        EXPECT_EQ(std::string(text), c.text);
    }
    // Seventy addresses do not fit: the text is cut, and terminated.
    const std::vector<std::uint32_t> many(70, kLocal);
    char text[256];
    DescribeAmbiguity(many.data(), many.size(), text, sizeof text);
    EXPECT_EQ(std::strlen(text), 255u);
}

TEST(Status, OnlyFailuresOnThisHostReachTheStatusText)
{
    DiscoveryHandle handle = OpenContext(QL5_PROTOCOL_MAGIC);
    DiscoveryContext* context = ResolveContext(handle);
    ASSERT_NE(context, nullptr);

    // A request that got no reply, or refused its arguments, says nothing new.
    for (const Status& quiet :
         {Status(), Status::Failed(Failure::kNoReply), Status::Failed(Failure::kInvalidArgument)}) {
        EXPECT_FALSE(quiet.IsExplained());
        ReportFailure(context, quiet);
        EXPECT_EQ(GetStatusCode(handle), 0);
        EXPECT_EQ(StatusText(handle), "Operation Successful");
    }

    // A failure on this host keeps code 0 (no operation sets -1) and explains
    // itself in the text.
    SetStatus(context, 5, "left by an earlier command");
    ReportFailure(context, Status::Failed(Failure::kBindSocket, {EADDRNOTAVAIL}, kLocal));
    EXPECT_EQ(GetStatusCode(handle), 0);
    EXPECT_EQ(StatusText(handle),
              "cannot bind a socket to 198.51.100.1: " + SystemText(EADDRNOTAVAIL));
    CloseContext(handle);
}
