// What the viewer says when a page cannot be fetched or a control reports
// an error: real failures of the internet layer, each against its sentence.
#include <gtest/gtest.h>

#include <string>

#include "host/page/NetworkErrors.h"
#include "host/page/ViewerPage.h"
#ifndef _WIN32
#include "tests/support/Loopback.h"
#endif

namespace {

// (On Windows the page is fetched through WinInet: tests/windows/PageFetchTest.cpp.)
#ifndef _WIN32
TEST(NetworkErrors, EachFailedFetchSaysWhatHappenedAndKeepsTheNumber)
{
    RefusingPort closed;
    const std::string refused = "127.0.0.1:" + std::to_string(closed.port());
    const struct {
        std::string url;
        std::string says;
    } cases[] = {
        {"notaurl", "notaurl is not an http:// address (12005)"},
        {"http://" + refused + "/ImageViewer", "cannot reach " + refused + ": connection refused (12029)"},
        {"http://camera.invalid/ImageViewer", "camera.invalid: unknown host (12007)"},
        {"https://camera.invalid/ImageViewer",
         "https:// pages are not supported by this control: its picture stream is plain HTTP; try "
         "http://camera.invalid/ImageViewer"},
    };
    for (const auto& c : cases) EXPECT_EQ(FetchViewerPage(c.url).error, c.says) << c.url;
}
#endif

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
        {" Error Code(8020 / 0)\n", "the camera asks for a password and none was given"},
        {" Error Code(1 / 0)\n", "the page's address names no camera page"},
        {"Connecting...", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExplainControlStatus(c.status), c.means) << c.status;
}

} // namespace
