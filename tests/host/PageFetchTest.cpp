// The Linux viewer's page fetch: real failures of the internet layer, each
// against the sentence the viewer prints. (The Windows viewer's fetch has
// its own test: tests/windows/PageFetchTest.cpp.)
#include <gtest/gtest.h>

#include <string>

#include "host/linux/container/PageFetch.h"
#include "tests/support/Loopback.h"

namespace {

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

} // namespace
