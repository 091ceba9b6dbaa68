// What the viewer says when a page cannot be fetched or a control reports
// an error, each against its sentence.
#include <gtest/gtest.h>

#include <string>

#include "host/core/page/NetworkErrors.h"

namespace {

TEST(NetworkErrors, HostsAndPortsAreNamedAsTheAddressGivesThem)
{
    EXPECT_EQ(PageFetchError("http://camera/ImageViewer", 12029), "cannot reach camera:80: connection refused (12029)");
    EXPECT_EQ(PageFetchError("http://user:pw@camera:8080/x", 12029), "cannot reach camera:8080: connection refused (12029)");
    EXPECT_EQ(PageFetchError("http://[::1]/x", 12029), "cannot reach [::1]:80: connection refused (12029)");
    EXPECT_EQ(PageFetchError("http://[::1]:81/x", 12007), "[::1]: unknown host (12007)");
    EXPECT_EQ(PageFetchError("http://camera/x", 12002), "camera:80 did not answer in time (12002)");
    EXPECT_EQ(PageFetchError("http://camera/x", 99), "cannot fetch http://camera/x (error 99)");
}

TEST(NetworkErrors, TheControlsStatusTextIsExplained)
{
    const struct {
        const char* status;
        const char* means;
    } cases[] = {
        {" Error Code(4 / 12029)\n", "the camera's page could not be fetched: connection refused"},
        {" Error Code(4 / 12007)\n", "the camera's page could not be fetched: unknown host"},
        {" Error Code(2000 / 10061)\n", "the camera's picture stream cannot be reached: connection refused"},
        {" Error Code(4000 / 0)\n", "the camera refused the picture stream or ended it before the first picture"},
        {" Error Code(4000 / 10060)\n", "the camera did not finish answering the picture stream request within 10 s"},
        {" Error Code(4000 / 10040)\n", "the camera's answer to the picture stream request had a head longer than 16 KiB"},
        {" Error Code(4000 / 10054)\n",
         "the camera refused the picture stream or ended it before the first picture: connection reset by the camera"},
        {" Error Code(8020 / 0)\n", "the camera asks for a password and none was given"},
        {" Error Code(1 / 0)\n", "the page's address names no camera page"},
        {"Connecting...", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExplainControlStatus(c.status), c.means) << c.status;
}

} // namespace
