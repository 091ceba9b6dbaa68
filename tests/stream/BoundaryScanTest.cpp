// Cutting frames out of the server-push body, byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "stream/StreamBuffer.h"

namespace {

const std::string kPart = "--myboundary\nContent-type: image/jpeg\n\n";

std::string bytes(size_t n, char c) { return std::string(n, c); }

// The receive step's use of the scan, on bytes given directly.
class Reader {
public:
    Reader() { buffer.InitBuffer(); }
    // Feeds text into the held bytes and runs one cut, as the receive step
    // does; returns the frame delivered, if any, and compacts.
    std::string feed(const std::string& text)
    {
        StreamBufferBlock* b = buffer.GetBlock();
        std::memcpy(b->receive + b->held, text.data(), text.size());
        b->held += static_cast<DWORD>(text.size());
        if (b->held <= b->patternLength) return {};
        LONG start, consumed, length;
        b->parseMode = buffer.CutFrame(b->receive, b->held - b->patternLength, static_cast<BYTE>(b->parseMode), &start,
                                       &consumed, &length);
        lastConsumed = consumed;
        if (start < 0) return {};
        std::string frame(reinterpret_cast<char*>(b->receive) + start, static_cast<size_t>(length));
        buffer.Consume(consumed);
        return frame;
    }
    DWORD held() { return buffer.GetBlock()->held; }

    CStreamBuffer buffer;
    LONG lastConsumed = 0;
};

class Scan : public ::testing::Test, public Reader {};

TEST_F(Scan, PatternIsTheBoundaryLineThePartHeaderAndTheEmptyLine)
{
    const StreamBufferBlock* b = buffer.GetBlock();
    EXPECT_EQ(b->patternLength, 39u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b->pattern), 39), kPart);
    EXPECT_EQ(b->pattern[39], 0);
}

TEST_F(Scan, ConsumingDropsTheHeadOfTheHeldBytesAndKeepsTheRestInOrder)
{
    StreamBufferBlock* b = buffer.GetBlock();
    const std::string text = "0123456789";
    std::memcpy(b->receive, text.data(), text.size());
    b->held = static_cast<DWORD>(text.size());
    buffer.Consume(0);
    buffer.Consume(-5);
    EXPECT_EQ(held(), 10u);
    buffer.Consume(4);
    ASSERT_EQ(held(), 6u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b->receive), 6), "456789");
    buffer.Consume(100); // more than is held: all of it
    EXPECT_EQ(held(), 0u);
}

TEST_F(Scan, WorkedExample)
{
    const std::string first = kPart + bytes(100, 'A') + "\n" + kPart + bytes(50, 'B');
    ASSERT_EQ(first.size(), 229u);
    EXPECT_EQ(feed(first), bytes(100, 'A'));
    EXPECT_EQ(lastConsumed, 179);
    EXPECT_EQ(held(), 50u);
    EXPECT_EQ(buffer.GetBlock()->parseMode, 1);
    // 50 more data bytes, a line feed, a boundary and 40 further bytes.
    EXPECT_EQ(feed(bytes(50, 'B') + "\n" + kPart + bytes(40, 'C')), bytes(100, 'B'));
    EXPECT_EQ(lastConsumed, 140);
    EXPECT_EQ(held(), 40u);
}

TEST_F(Scan, EveryReadSplitGivesTheSameFrames)
{
    const std::string stream = "garbage before\r\n\n" + kPart + "frame-one\n" + kPart + "frame-two-data\n" + kPart + "x";
    for (size_t split = 1; split < stream.size(); ++split) {
        Reader probe;
        std::vector<std::string> frames;
        for (size_t at = 0; at < stream.size(); at += split) {
            const std::string f = probe.feed(stream.substr(at, split));
            if (!f.empty() && (frames.empty() || frames.back() != f)) frames.push_back(f);
        }
        // The reader may drop a frame when two complete parts arrive in
        // one read, but never delivers a wrong one.
        for (const auto& f : frames) EXPECT_TRUE(f == "frame-one" || f == "frame-two-data") << split << ": " << f;
        ASSERT_FALSE(frames.empty()) << split;
        EXPECT_EQ(frames.back(), "frame-two-data") << split;
    }
}

TEST_F(Scan, AReadThatEndsInsideThePatternGivesNoFrameYet)
{
    EXPECT_EQ(feed(kPart + "one\n" + kPart.substr(0, 20)), "");
    EXPECT_EQ(feed(kPart.substr(20)), "one");
}

TEST_F(Scan, HeldBytesNoLongerThanThePatternAreNotScanned)
{
    EXPECT_EQ(feed(kPart), "");
    EXPECT_EQ(lastConsumed, 0);
}

TEST_F(Scan, NewestCompletePartWinsInStep)
{
    EXPECT_EQ(feed(kPart + "one\n" + kPart), "one");
    // The end of the current part, one complete newer part and the start of
    // a third: only the newer part is delivered; the rest up to the third
    // part's data is discarded.
    EXPECT_EQ(feed("tail-of-current\n" + kPart + "newer\n" + kPart + bytes(45, 's')), "newer");
    EXPECT_EQ(held(), 45u);
}

// A camera that writes each part's data followed at once by the next
// part's boundary and header: each frame is handed over once, however the
// reads split the data that follows, and the held bytes do not pile up.
TEST_F(Scan, APartClosedAtOnceByTheNextBoundaryIsHandedOverOnce)
{
    EXPECT_EQ(feed(kPart + "one\n" + kPart), "one");
    EXPECT_EQ(held(), kPart.size());
    // The next part's data in pieces, longer than the pattern, no boundary yet.
    EXPECT_EQ(feed(bytes(20, 't')), "");
    EXPECT_EQ(feed(bytes(40, 't')), "");
    EXPECT_EQ(feed("\n" + kPart), bytes(60, 't'));
    EXPECT_EQ(held(), kPart.size());
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(feed(bytes(100, 'y')), "") << i;
        EXPECT_EQ(feed(bytes(4900, 'x') + "\n" + kPart), bytes(100, 'y') + bytes(4900, 'x')) << i;
    }
    EXPECT_EQ(held(), kPart.size());
}

TEST_F(Scan, CarriageReturnBeforeTheBoundaryStaysInTheFrame)
{
    EXPECT_EQ(feed(kPart + "data\r\n" + kPart), "data\r");
}

TEST_F(Scan, EmptyPartDeliversNothing)
{
    EXPECT_EQ(feed(kPart + "\n" + kPart), "");
    EXPECT_EQ(held(), static_cast<DWORD>(2 * kPart.size() + 1)); // nothing consumed
}

TEST_F(Scan, PartWithOtherHeadersIsNotRecognised)
{
    const std::string other = "--myboundary\r\nContent-type: image/jpeg\r\n\r\n";
    EXPECT_EQ(feed(other + "data\n" + other + "more\n" + other), "");
}

TEST_F(Scan, FinalDelimiterFallbackDeliversTheOnlyPart)
{
    StreamBufferBlock* b = buffer.GetBlock();
    const std::string frame = "only-frame" + bytes(100, 'd');
    const std::string body = kPart + frame + "\n--myboundary--\n";
    std::memcpy(b->receive, body.data(), body.size());
    b->held = static_cast<DWORD>(body.size());
    LONG start, consumed, length;
    b->parseMode = buffer.CutFinal(b->receive, b->held, 2, &start, &consumed, &length);
    ASSERT_GE(start, 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b->receive) + start, static_cast<size_t>(length)), frame);
    EXPECT_EQ(consumed, 0);
    EXPECT_EQ(b->patternLength, 12u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b->pattern)), "--myboundary");
    EXPECT_EQ(b->parseMode, 2);
}

TEST_F(Scan, FinalExtractionInStepCutsUpToTheDelimiter)
{
    StreamBufferBlock* b = buffer.GetBlock();
    const std::string body = "end-of-frame\n--myboundary--\n";
    std::memcpy(b->receive, body.data(), body.size());
    b->held = static_cast<DWORD>(body.size());
    LONG start, consumed, length;
    buffer.CutFinal(b->receive, b->held, 3, &start, &consumed, &length);
    ASSERT_EQ(start, 0);
    EXPECT_EQ(length, 12);
}

TEST_F(Scan, FinalExtractionWithoutAnyBoundaryGivesNothing)
{
    StreamBufferBlock* b = buffer.GetBlock();
    const std::string body = "no boundary here at all, just bytes";
    std::memcpy(b->receive, body.data(), body.size());
    b->held = static_cast<DWORD>(body.size());
    LONG start, consumed, length;
    buffer.CutFinal(b->receive, b->held, 2, &start, &consumed, &length);
    EXPECT_LT(start, 0);
    EXPECT_EQ(b->patternLength, 39u);
}

// The cut as a byte-at-a-time scan from the end would make it: every
// position examined, a header end remembered for the boundary below it.
// The reader searches faster; on any bytes it must cut the same.
struct Cut {
    BYTE mode;
    LONG start, consumed, length;
    bool operator==(const Cut&) const = default;
};

Cut CutByEveryByte(const BYTE* bytes, DWORD count, BYTE mode, const std::string& pattern)
{
    int found = 0;
    LONG boundary[2] = {}, headerEnd[2] = {};
    for (LONG p = static_cast<LONG>(count); p >= 0 && found < 2; --p) {
        if (bytes[p] == '\r' && bytes[p + 1] == '\n' && bytes[p + 2] == '\r' && bytes[p + 3] == '\n')
            headerEnd[found] = p + 4;
        else if (bytes[p] == '\n' && bytes[p + 1] == '\n')
            headerEnd[found] = p + 2;
        else if (std::memcmp(bytes + p, pattern.data(), pattern.size()) == 0)
            boundary[found++] = p;
    }
    Cut c{mode, -1, -1, 0};
    if (found == 2) {
        c = Cut{1, headerEnd[1], headerEnd[0], boundary[0] - headerEnd[1] - 1};
    } else if (found == 1 && mode == 1) {
        c = Cut{1, 0, headerEnd[0], boundary[0] - 1};
    } else {
        return c;
    }
    if (c.consumed <= 0) c.consumed = boundary[0];
    if (c.length <= 0) c.start = -1, c.length = 0;
    return c;
}

TEST(ScanAgainstEveryByte, RandomBodiesOfBoundariesNearMissesAndEmptyLinesCutAlike)
{
    const std::vector<std::string> pieces = {kPart, kPart.substr(0, 20), "--myboundary", "-", "--", "\r\n\r\n", "\n\n",
                                             "\r\n", "\n", "\r", "x", "\xff\xd8", "\xff\xd9", "ab-cd"};
    std::uint32_t state = 12345;
    const auto next = [&state] { return state = state * 1664525u + 1013904223u, state >> 8; };
    for (int round = 0; round < 20000; ++round) {
        CStreamBuffer buffer;
        buffer.InitBuffer();
        StreamBufferBlock* b = buffer.GetBlock();
        std::string body;
        const int count = 1 + static_cast<int>(next() % 24);
        for (int i = 0; i < count; ++i) body += pieces[next() % pieces.size()];
        if (body.size() <= b->patternLength) continue;
        std::memcpy(b->receive, body.data(), body.size());
        const DWORD scanned = static_cast<DWORD>(body.size()) - b->patternLength;
        const BYTE mode = static_cast<BYTE>(next() % 2);
        Cut fast{};
        fast.mode = buffer.CutFrame(b->receive, scanned, mode, &fast.start, &fast.consumed, &fast.length);
        ASSERT_EQ(fast, CutByEveryByte(b->receive, scanned, mode, kPart))
            << "mode " << int(mode) << " body: " << ::testing::PrintToString(body);
    }
}

TEST(StreamBufferCodes, GetAndSetByCode)
{
    CStreamBuffer buffer;
    buffer.InitBuffer();
    EXPECT_EQ(buffer.GetNumber(SB_FRAME_LENGTH), 0);
    EXPECT_EQ(buffer.GetNumber(StreamBufferCode(99)), -1);
    EXPECT_EQ(buffer.GetData(SB_FRAME_BYTES), nullptr);
    EXPECT_EQ(buffer.GetData(StreamBufferCode(4)), nullptr);
    buffer.SetFlag(SB_FRAME_READY, 1);
    EXPECT_EQ(buffer.GetFlag(SB_FRAME_READY), 1);
    buffer.SetFlag(SB_NO_CACHE, 1);
    EXPECT_EQ(buffer.GetFlag(SB_NO_CACHE), 0);
    buffer.SetText(SB_CREDENTIALS, "dXNlcjpwdw==");
    EXPECT_EQ(buffer.GetBlock()->credentials, "Authorization: Basic dXNlcjpwdw==");
    buffer.SetText(SB_PROXY_CREDENTIALS, "cHJveHk6cA==");
    EXPECT_EQ(buffer.GetBlock()->credentials, "Authorization: Basic dXNlcjpwdw==\r\nProxy-Authorization: Basic cHJveHk6cA==");
    buffer.SetText(SB_CREDENTIALS, "");
    EXPECT_NE(buffer.GetBlock()->credentials, "");
    buffer.SetText(SB_CREDENTIALS_OR_CLEAR, "");
    EXPECT_EQ(buffer.GetBlock()->credentials, "");
    buffer.StoreFrame(reinterpret_cast<const BYTE*>("abc"), 3);
    buffer.GetBlock()->held = 10;
    EXPECT_EQ(buffer.Reset(), 0);
    EXPECT_EQ(buffer.GetBlock()->held, 0u);
    EXPECT_EQ(buffer.GetNumber(SB_FRAME_LENGTH), 0);
    EXPECT_NE(buffer.GetData(SB_FRAME_BYTES), nullptr); // bytes and flag stay
    EXPECT_EQ(buffer.GetFlag(SB_FRAME_READY), 1);
}

} // namespace
