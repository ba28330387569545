#include <gtest/gtest.h>

#include <system_error>

#include "fake_platform.h"
#include "sys/sysutil.h"

using namespace velmora::sys;
using velmora::sys::testing::FakePlatform;

namespace {

const char rights_warning[] =
    "当前用户权限不够！请选择具有管理员权限的用户（如Administrator）运行本软件！";

TEST(RunElevated, NewerSystemsAlwaysAskForElevationWithQuotedArguments) {
    FakePlatform platform;
    platform.admin = true;
    run_elevated(platform, 42, "C:\\app\\vrx_reg.exe", "1 0", "osUnknown");
    ASSERT_EQ(platform.starts.size(), 1u);
    EXPECT_EQ(platform.starts[0].verb, "runas");
    EXPECT_EQ(platform.starts[0].window, 42);
    EXPECT_EQ(platform.starts[0].file, "\"C:\\app\\vrx_reg.exe\"");
    EXPECT_EQ(platform.starts[0].parameters, "\"1 0\"");
    EXPECT_TRUE(platform.messages.empty());
}

TEST(RunElevated, EmptyParametersBecomeTwoQuotes) {
    FakePlatform platform;
    run_elevated(platform, 0, "x.exe", "", "osUnknown");
    ASSERT_EQ(platform.starts.size(), 1u);
    EXPECT_EQ(platform.starts[0].parameters, "\"\"");
}

TEST(RunElevated, OldSystemAsAdministratorOpensWithoutWarning) {
    FakePlatform platform;
    platform.admin = true;
    platform.start_succeeds = false;  // the answer of a plain open is not examined
    EXPECT_NO_THROW(run_elevated(platform, 0, "x.exe", "p", "osXP"));
    ASSERT_EQ(platform.starts.size(), 1u);
    EXPECT_EQ(platform.starts[0].verb, "open");
    EXPECT_TRUE(platform.messages.empty());
}

TEST(RunElevated, OldSystemWithoutRightsWarnsThenElevates) {
    FakePlatform platform;
    run_elevated(platform, 0, "x.exe", "p", "osXP");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].first, rights_warning);
    EXPECT_EQ(platform.messages[0].second, "请注意");
    ASSERT_EQ(platform.starts.size(), 1u);
    EXPECT_EQ(platform.starts[0].verb, "runas");
}

TEST(RunElevated, RefusedElevationRaisesTheSystemError) {
    FakePlatform platform;
    platform.start_succeeds = false;
    try {
        run_elevated(platform, 0, "x.exe", "", "osUnknown");
        FAIL() << "a refused elevated start must raise";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), 1223);
    }
}

TEST(ExitWindows, ModesMapToTheSystemCallsWithForceFlag) {
    struct Case {
        int mode;
        bool force;
        unsigned flags;
    };
    const Case cases[] = {{1, true, 0xC},  {1, false, 0x8}, {2, true, 0x5},
                          {3, false, 0x2}, {4, true, 0x4},  {4, false, 0x0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        FakePlatform platform;
        exit_windows(platform, c.mode, c.force);
        ASSERT_EQ(platform.exit_calls.size(), 1u);
        EXPECT_EQ(platform.exit_calls[0], c.flags);
        EXPECT_TRUE(platform.power_states.empty());
    }
}

TEST(ExitWindows, SuspendAndHibernateUseThePowerState) {
    FakePlatform platform;
    exit_windows(platform, 5, true);
    exit_windows(platform, 6, false);
    ASSERT_EQ(platform.power_states.size(), 2u);
    EXPECT_EQ(platform.power_states[0], std::make_pair(true, true));
    EXPECT_EQ(platform.power_states[1], std::make_pair(false, false));
    EXPECT_TRUE(platform.exit_calls.empty());
}

TEST(ExitWindows, NothingHappensWithoutTheShutdownPrivilege) {
    FakePlatform platform;
    platform.privilege_granted = false;
    exit_windows(platform, 1, true);
    exit_windows(platform, 5, true);
    EXPECT_EQ(platform.privilege_requests, 2);
    EXPECT_TRUE(platform.exit_calls.empty());
    EXPECT_TRUE(platform.power_states.empty());
}

TEST(ExitWindows, OtherFamiliesNeedNoPrivilegeAndUnknownModesDoNothing) {
    FakePlatform platform;
    platform.nt_family = false;
    platform.privilege_granted = false;
    exit_windows(platform, 3, false);
    exit_windows(platform, 0, true);
    exit_windows(platform, 7, true);
    EXPECT_EQ(platform.privilege_requests, 0);
    ASSERT_EQ(platform.exit_calls.size(), 1u);
    EXPECT_EQ(platform.exit_calls[0], 0x2u);
}

}  // namespace
