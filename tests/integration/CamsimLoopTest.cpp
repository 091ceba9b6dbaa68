// camsim's benchmark loop: parts are whole, decodable pictures that repeat
// with the loop, each stamped with its own number and the send time that the
// part log records, which is what the end-to-end delay figures rest on.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/integration/Processes.h"
#include "tests/integration/Viewer.h"
#include "tests/support/PngFile.h"

namespace {

// The pictures of the parts: from each start-of-image marker to the line
// break before the next boundary.
std::vector<std::vector<std::uint8_t>> Pictures(const std::string& body)
{
    std::vector<std::vector<std::uint8_t>> pictures;
    for (size_t at = body.find("\xFF\xD8\xFF\xFE"); at != std::string::npos; at = body.find("\xFF\xD8\xFF\xFE", at + 4)) {
        const size_t end = body.find("\n--myboundary", at);
        if (end == std::string::npos) break;
        pictures.emplace_back(body.begin() + static_cast<long>(at), body.begin() + static_cast<long>(end));
    }
    return pictures;
}

TEST(CamsimLoop, PartsRepeatTheLoopWithTheirOwnNumberAndTheLoggedSendTime)
{
    const std::string partLog = TempRegistry() + ".parts";
    Camsim cam({"--loop", "3", "--frames", "5", "--final-delimiter", "--fps", "50", "--part-log", partLog});
    const auto pictures = Pictures(FetchBody(cam.port(), "/cgi-bin/nphContinuousServerPush?Resolution=160x120"));
    ASSERT_EQ(pictures.size(), 5u);

    std::ifstream log(partLog);
    std::vector<std::string> logged;
    for (std::string line; std::getline(log, line);) logged.push_back(line);
    ASSERT_EQ(logged.size(), 5u);

    for (size_t k = 0; k < pictures.size(); ++k) {
        const auto& p = pictures[k];
        // The comment's payload: 11 digits of number at 6, 17 of send time at 20.
        ASSERT_GT(p.size(), 40u);
        char number[24];
        std::snprintf(number, sizeof number, "%011zu", k);
        EXPECT_EQ(std::string(p.begin() + 6, p.begin() + 17), number);
        const std::string sent(p.begin() + 20, p.begin() + 37);
        EXPECT_NE(logged[k].find("\"part\":" + std::to_string(k) + ","), std::string::npos) << logged[k];
        EXPECT_NE(logged[k].find("\"time_us\":" + std::to_string(std::stoll(sent)) + ","), std::string::npos)
            << logged[k] << " vs " << sent;
        const RgbPicture decoded = DecodeJpeg(p);
        EXPECT_EQ(decoded.width, 160);
        EXPECT_EQ(decoded.height, 120);
    }
    // Past the comment, part 3 is part 0 again; parts 0 and 1 differ.
    const size_t afterComment = 6 + 32;
    auto picture = [&](size_t k) { return std::vector<std::uint8_t>(pictures[k].begin() + afterComment, pictures[k].end()); };
    EXPECT_EQ(picture(3), picture(0));
    EXPECT_NE(picture(1), picture(0));
}

} // namespace
