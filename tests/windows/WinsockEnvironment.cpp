// Windows Sockets started for the whole test program, as the module's start
// does for the control.
#include <gtest/gtest.h>

#include <winsock2.h>

namespace {

class WinsockEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    }
    void TearDown() override { WSACleanup(); }
};

const auto* const g_winsock = ::testing::AddGlobalTestEnvironment(new WinsockEnvironment);

} // namespace
