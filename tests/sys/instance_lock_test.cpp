#include <gtest/gtest.h>

#include <random>
#include <string>

#include "sys/instance_lock.h"

namespace {

std::string unique_name() {
    std::random_device random;
    return "velmora_test_" + std::to_string(random());
}

TEST(InstanceLock, OnlyTheFirstHolderGetsItUntilItLetsGo) {
    const std::string name = unique_name();
    {
        velmora::sys::InstanceLock first(name);
        ASSERT_TRUE(first.held());
        velmora::sys::InstanceLock second(name);
        EXPECT_FALSE(second.held());
        velmora::sys::InstanceLock other(unique_name());
        EXPECT_TRUE(other.held());
    }
    velmora::sys::InstanceLock after(name);
    EXPECT_TRUE(after.held());
}

}  // namespace
