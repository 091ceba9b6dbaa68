// camview's command line, which the Linux and the Windows viewer share: what
// each option fills in, and which lines end the viewer at once with which
// status.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "host/container/CamviewOptions.h"

namespace {

struct Parsed {
    int status;
    CamviewOptions options;
};

Parsed parse(std::initializer_list<const char*> arguments)
{
    std::vector<std::string> words{"camview"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    Parsed p{0, {}};
    p.status = ParseCamviewOptions(static_cast<int>(words.size()), argv.data(), "9.9", p.options);
    return p;
}

TEST(CamviewOptions, AHeadlessLineFillsEveryField)
{
    const Parsed p = parse({"--headless", "http://cam/ImageViewer", "--duration", "2.5", "--frames", "7", "--snapshot",
                            "out.png", "--snapshot-every", "3", "dir", "--input", "in.txt", "--events", "--user",
                            "admin:se=cret", "--param", "ImagePath=?a=b", "--param", "Empty="});
    ASSERT_EQ(p.status, -1);
    const CamviewOptions& o = p.options;
    EXPECT_TRUE(o.headless);
    EXPECT_TRUE(o.events);
    EXPECT_EQ(o.pageUrl, "http://cam/ImageViewer");
    EXPECT_DOUBLE_EQ(o.durationSeconds, 2.5);
    EXPECT_EQ(o.frames, 7);
    EXPECT_EQ(o.snapshot, "out.png");
    EXPECT_EQ(o.snapshotEvery, 3);
    EXPECT_EQ(o.snapshotDir, "dir");
    EXPECT_EQ(o.inputFile, "in.txt");
    EXPECT_EQ(o.user, "admin:se=cret");
    ASSERT_EQ(o.params.size(), 2u);
    EXPECT_EQ(o.params[0], std::make_pair(std::string("ImagePath"), std::string("?a=b")));
    EXPECT_EQ(o.params[1], std::make_pair(std::string("Empty"), std::string()));

    // --page-url names the page as the bare address does; the defaults stay.
    const Parsed q = parse({"--page-url", "http://cam/", "--param", "A=1", "--headless"});
    ASSERT_EQ(q.status, -1);
    EXPECT_EQ(q.options.pageUrl, "http://cam/");
    EXPECT_DOUBLE_EQ(q.options.durationSeconds, 5);
    EXPECT_EQ(q.options.frames, -1);
    EXPECT_EQ(q.options.snapshotEvery, 0);
}

TEST(CamviewOptions, HelpAndVersionEndAtOnceAndAWindowMayStartWithoutAnAddress)
{
    EXPECT_EQ(parse({"--help"}).status, 0);
    EXPECT_EQ(parse({"-h", "--bogus"}).status, 0);
    EXPECT_EQ(parse({"--version"}).status, 0);
    const Parsed window = parse({});
    EXPECT_EQ(window.status, -1);
    EXPECT_FALSE(window.options.headless);
    EXPECT_TRUE(window.options.pageUrl.empty());
}

TEST(CamviewOptions, UsageErrorsEndWithStatusTwo)
{
    EXPECT_EQ(parse({"--headless"}).status, 2);                         // nothing to load, no one to ask
    EXPECT_EQ(parse({"--param", "A=1"}).status, 2);                     // PARAMs without a page address
    EXPECT_EQ(parse({"http://cam/", "--frames"}).status, 2);            // a value missing
    EXPECT_EQ(parse({"http://cam/", "--snapshot-every", "2"}).status, 2); // the folder missing
    EXPECT_EQ(parse({"http://cam/", "--snapshot-every", "0", "d"}).status, 2);
    EXPECT_EQ(parse({"http://cam/", "--param", "novalue"}).status, 2);
    EXPECT_EQ(parse({"http://cam/", "--param", "=x"}).status, 2);
    EXPECT_EQ(parse({"http://cam/", "--fullscreen"}).status, 2);
}

} // namespace
