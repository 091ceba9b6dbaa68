// Cutting the parts of any multipart picture stream: every boundary form,
// CRLF and LF, with and without Content-Length, fed in every split.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "stream/ChunkedDecoder.h"
#include "stream/MultipartReader.h"

namespace {

constexpr DWORD kCapacity = 256; // a small receive buffer, so parts can outgrow it

// The receive step's use of the reader on a buffer of kCapacity bytes.
struct Driver {
    CMultipartReader reader;
    CChunkedDecoder decoder;
    bool chunked = false;
    std::string held;
    std::vector<std::string> parts;
    DWORD oversized = 0;
    DWORD lastOversized = 0;

    void feed(const std::string& bytes)
    {
        for (size_t i = 0; i < bytes.size();) {
            if (held.size() >= kCapacity) held.erase(0, reader.Overflow(static_cast<DWORD>(held.size())));
            ASSERT_LT(held.size(), kCapacity) << "an overflow frees room";
            const size_t take = std::min<size_t>(kCapacity - held.size(), bytes.size() - i);
            std::string read = bytes.substr(i, take);
            if (chunked) read.resize(decoder.Decode(reinterpret_cast<BYTE*>(read.data()), static_cast<DWORD>(read.size())));
            held += read;
            i += take;
            cut();
        }
    }
    void cut()
    {
        LONG start = -1, length = 0;
        const auto* data = reinterpret_cast<const BYTE*>(held.data());
        while (reader.NextPart(data, static_cast<DWORD>(held.size()), &start, &length)) {
            ASSERT_GE(start, 0);
            ASSERT_LE(static_cast<size_t>(start + length), held.size());
            parts.push_back(held.substr(static_cast<size_t>(start), static_cast<size_t>(length)));
        }
        DWORD count = 0, last = 0;
        if (reader.TakeOversized(&count, &last)) {
            oversized += count;
            lastOversized = last;
        }
        held.erase(0, reader.Settle());
    }
};

struct Case {
    const char* name;
    const char* contentType;
    const char* mediaType; // as reported
    std::string body;
    std::vector<std::string> parts; // cut, in order
    DWORD oversized = 0;            // parts dropped for their size
    DWORD lastOversized = 0;        // the last one's length
    bool chunked = false;           // the body is sent in chunks (of 7 bytes, extensions and a trailer)
    bool noBoundary = false;        // the body turns out to be none
};

// The body in chunks of 7 bytes, the way a server framing it might write
// them: sizes in either case, an extension, a last chunk and a trailer.
std::string chunks(const std::string& body)
{
    std::string out;
    for (size_t i = 0; i < body.size(); i += 7) {
        const size_t n = std::min<size_t>(7, body.size() - i);
        char size[16];
        std::snprintf(size, sizeof size, i % 2 ? "%zX" : "%zx", n);
        out += std::string(size) + (i == 0 ? ";name=value" : "") + "\r\n" + body.substr(i, n) + "\r\n";
    }
    return out + "0\r\nTrailer: x\r\n\r\ntrailing bytes are no body";
}

std::ostream& operator<<(std::ostream& out, const Case& c) { return out << c.name; }

const std::string kJpeg = "\xFF\xD8 picture \r\n bytes\n\xFF\xD9";
const std::string kBig(300, 'x'); // larger than the buffer

const Case kCases[] = {
    {"CrLfWithLength", "multipart/x-mixed-replace; boundary=frame", "multipart/x-mixed-replace",
     "--frame\r\nContent-Type: image/jpeg\r\nContent-Length: " + std::to_string(kJpeg.size()) + "\r\n\r\n" + kJpeg + "\r\n--frame\r\nContent-Length: 3\r\n\r\nabc\r\n",
     {kJpeg, "abc"}},
    {"CrLfWithoutLengthQuoted", "multipart/x-mixed-replace;boundary=\"frame\"", "multipart/x-mixed-replace",
     "--frame\r\nContent-Type: image/jpeg\r\n\r\n" + kJpeg + "\r\n--frame\r\n\r\nabc\r\n--frame\r\n", {kJpeg, "abc"}},
    {"LfWithoutLengthDashedInTheHeader", "Multipart/X-Mixed-Replace;BOUNDARY=--frame", "multipart/x-mixed-replace",
     "--frame\nContent-type: image/jpeg\n\n" + kJpeg + "\n--frame\n\nabc\n--frame\n", {kJpeg, "abc"}},
    {"DashedNameRepeatedInTheBody", "multipart/x-mixed-replace; boundary=\"--frame\"", "multipart/x-mixed-replace",
     "----frame\r\n\r\n" + kJpeg + "\r\n----frame\r\n\r\nabc\r\n----frame--\r\n", {kJpeg, "abc"}},
    {"TheCamerasOwnStreamAfterGarbage", "multipart/x-mixed-replace;boundary=myboundary", "multipart/x-mixed-replace",
     "garbage before the first part\r\n\r\n--notmyboundary\n--myboundary\nContent-type: image/jpeg\n\n" + kJpeg +
         "\n--myboundary\nContent-type: image/jpeg\n\nabc\n--myboundary\n",
     {kJpeg, "abc"}},
    {"LengthCoversBoundaryTextInTheData", "multipart/x-mixed-replace;boundary=frame", "multipart/x-mixed-replace",
     "--frame\r\ncontent-length:  14 \r\n\r\nab\r\n--frame\r\nc\r\n--frame\r\n\r\nd\r\n--frame\r\n",
     {"ab\r\n--frame\r\nc", "d"}},
    {"LongerNamesAreNoBoundary", "multipart/x-mixed-replace;boundary=frame", "multipart/x-mixed-replace",
     "--frame\n\nab\n--framework\ncd\n--frame x\nef\n--frame\n", {"ab\n--framework\ncd\n--frame x\nef"}},
    {"ClosingDelimiterEndsTheBody", "multipart/x-mixed-replace;boundary=frame", "multipart/x-mixed-replace",
     "--frame\n\nab\n--frame--\nepilogue\n\ncd\n", {"ab"}},
    {"EmptyPartsAreSkipped", "multipart/x-mixed-replace;boundary=frame", "multipart/x-mixed-replace",
     "--frame\r\nContent-Length: 0\r\n\r\n\r\n--frame\r\n\r\n\r\n--frame\r\n\r\nab\r\n--frame\r\n", {"ab"}},
    {"TooLargeLengthIsDroppedAndCounted", "multipart/x-mixed-replace;boundary=frame", "multipart/x-mixed-replace",
     "--frame\r\nContent-Length: 300\r\n\r\n" + kBig + "\r\n--frame\r\nContent-Length: 2\r\n\r\nab\r\n", {"ab"}, 1, 300},
    {"HugeLengthIsDroppedAndCounted", "multipart/x-mixed-replace;boundary=frame", "multipart/x-mixed-replace",
     "--frame\r\nContent-Length: 99999999999999999999\r\n\r\n" + kBig, {}, 1, 0xFFFFFFFFu},
    {"TooLargeWithoutLengthIsDroppedAndCounted", "multipart/x-mixed-replace;boundary=frame", "multipart/x-mixed-replace",
     "--frame\n\n" + kBig + kBig + "\n--frame\n\nab\n--frame\n", {"ab"}, 1, 600},
    {"HeaderWithoutEndIsSkipped", "multipart/x-mixed-replace;boundary=frame", "multipart/x-mixed-replace",
     "--frame\r\nX: " + std::string(20000, 'h') + "\r\n\r\nno part\r\n--frame\r\n\r\nab\r\n--frame\r\n", {"ab"}},
    {"ByteStreamNamesItsBoundaryOnItsFirstLine", "application/octet-stream", "application/octet-stream",
     "--ffmpeg\r\nContent-type: image/jpeg\r\nContent-length: " + std::to_string(kJpeg.size()) + "\r\n\r\n" + kJpeg +
         "\r\n--ffmpeg\r\nContent-length: 1\r\n\r\na\r\n",
     {kJpeg, "a"}, 0, 0, true},
    {"ChunkedLfWithoutLength", "multipart/x-mixed-replace;boundary=frame", "multipart/x-mixed-replace",
     "--frame\n\n" + kJpeg + "\n--frame\n\nabc\n--frame--\n", {kJpeg, "abc"}, 0, 0, true},
    {"ChunkedTooLargeLength", "multipart/x-mixed-replace;boundary=frame", "multipart/x-mixed-replace",
     "--frame\r\nContent-Length: 300\r\n\r\n" + kBig + "\r\n--frame\r\nContent-Length: 2\r\n\r\nab\r\n", {"ab"}, 1, 300,
     true},
    {"ByteStreamOfSomethingElse", "application/octet-stream", "application/octet-stream", "\r\nGIF89a\n--x\n\nab\n--x\n", {},
     0, 0, false, true},
    {"ByteStreamWithoutLineEnds", "application/octet-stream", "application/octet-stream", "--" + kBig, {}, 0, 0, false, true},
    {"HtmlIsNoPictureStream", "Text/HTML; charset=UTF-8", "text/html", "<html></html>", {}},
    {"MediaTypeIsCleanedAndBounded", " image/jpeg\x01\x7f\t; boundary=x", "image/jpeg", "", {}},
};

class MultipartReaderCase : public ::testing::TestWithParam<Case> {};

TEST_P(MultipartReaderCase, CutsTheSamePartsHoweverTheBytesAreSplit)
{
    const Case& c = GetParam();
    const MultipartType type = CMultipartReader::ParseContentType(c.contentType);
    EXPECT_EQ(type.mediaType, c.mediaType);
    const bool stream = type.IsPictureStream() || type.mediaType == "application/octet-stream";
    EXPECT_EQ(CMultipartReader().Begin(type, kCapacity), stream);
    if (!stream) return;
    const std::string body = c.chunked ? chunks(c.body) : c.body;

    // Every split into two reads, and one byte a read.
    for (size_t split = 0; split <= body.size() + 1; ++split) {
        Driver d;
        d.chunked = c.chunked;
        d.reader.Begin(type, kCapacity);
        if (split <= body.size()) {
            d.feed(body.substr(0, split));
            d.feed(body.substr(split));
        } else {
            for (char b : body) d.feed(std::string(1, b));
        }
        EXPECT_EQ(d.reader.NoBoundary(), c.noBoundary) << "split at " << split;
        if (c.chunked) {
            EXPECT_TRUE(d.decoder.Ended() && !d.decoder.Broken()) << "split at " << split;
        }
        ASSERT_EQ(d.parts, c.parts) << "split at " << split;
        EXPECT_EQ(d.oversized, c.oversized) << "split at " << split;
        if (c.oversized) {
            EXPECT_EQ(d.lastOversized, c.lastOversized) << "split at " << split;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Bodies, MultipartReaderCase, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
