// SPDX-License-Identifier: Apache-2.0
// The context owner: one open context per owner, closed on every way out.
#include <ql5common/context_owner.h>

#include <gtest/gtest.h>

#include <utility>

using ql5common::ContextOwner;

TEST(ContextOwner, OpensAContextAndClosesItAtTheEndOfItsScope)
{
    DiscoveryHandle handle = nullptr;
    {
        const ContextOwner owner;
        ASSERT_TRUE(owner);
        handle = owner.Handle();
        EXPECT_EQ(GetStatusCode(handle), 0);
        EXPECT_EQ(owner.StatusCode(), 0);
        EXPECT_EQ(owner.StatusText(), "Operation Successful");
        // The dialogs read the status into 255 bytes, as they always have.
        EXPECT_EQ(owner.StatusText(8), "Operati");
    }
    EXPECT_EQ(GetStatusCode(handle), -1) << "the context is closed";
}

TEST(ContextOwner, MovingHandsOverTheOneContext)
{
    ContextOwner first;
    ASSERT_TRUE(first);
    const DiscoveryHandle handle = first.Handle();

    ContextOwner second(std::move(first));
    EXPECT_FALSE(first);  // NOLINT(bugprone-use-after-move): the state after a move is the point
    EXPECT_EQ(first.StatusCode(), -1);
    EXPECT_EQ(first.StatusText(), "");
    EXPECT_EQ(second.Handle(), handle);

    ContextOwner third;
    const DiscoveryHandle replaced = third.Handle();
    third = std::move(second);
    EXPECT_EQ(third.Handle(), handle);
    EXPECT_EQ(GetStatusCode(replaced), -1) << "the context it held before is closed";
    EXPECT_EQ(GetStatusCode(handle), 0) << "the moved context stays open";
}
