// Recording in the viewer core: the Matroska writer's refusals and
// failures, read with every length checked; the recorder's sink over a
// control's frame tap, its times and its files.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include <unistd.h>

#include "host/core/Recording.h"
#include "tests/support/ComObject.h"
#include "tests/support/JpegFactory.h"
#include "tests/support/RecordedFile.h"

namespace {

// A path in a folder of this run's own, removed when the tests end.
std::string scratch(const char* name)
{
    static const struct Folder {
        std::filesystem::path dir = std::filesystem::temp_directory_path() / ("camview-recording-" + std::to_string(::getpid()));
        Folder() { std::filesystem::create_directories(dir); }
        ~Folder()
        {
            std::error_code error;
            std::filesystem::remove_all(dir, error);
        }
    } folder;
    return (folder.dir / name).string();
}

const std::vector<std::uint8_t>& jpeg()
{
    static const std::vector<std::uint8_t> bytes = MakeSolidJpeg(48, 32, Rgb{200, 40, 40});
    return bytes;
}

// One way of using the writer that must end in a message (from open, a
// frame's write, or finish), and whether the file stays.
struct WriterCase {
    const char* name;
    std::function<std::string()> path;
    std::vector<std::vector<std::uint8_t>> frames;
    const char* said;
    bool fileKept;
};

class WriterRefuses : public ::testing::TestWithParam<WriterCase> {};

TEST_P(WriterRefuses, WithAClearMessage)
{
    const WriterCase& c = GetParam();
    const std::string path = c.path();
    MatroskaWriter writer;
    std::string said = writer.open(path);
    for (std::size_t i = 0; said.empty() && i < c.frames.size(); ++i)
        said = writer.write(c.frames[i].data(), c.frames[i].size(), static_cast<std::int64_t>(i) * 40);
    const std::string finished = writer.finish(); // as the recording's end does, whatever came before
    if (said.empty()) said = finished;
    EXPECT_NE(said.find(c.said), std::string::npos) << said;
    std::error_code error;
    EXPECT_EQ(std::filesystem::exists(path, error), c.fileKept) << path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WriterRefuses,
    ::testing::Values(
        WriterCase{"MissingFolder", [] { return scratch("no-such-folder") + "/a.mkv"; }, {jpeg()}, "the folder", false},
        WriterCase{"AFolder", [] { return std::filesystem::temp_directory_path().string(); }, {jpeg()}, "it is a folder", true},
        // A disk that is full: the bytes cannot be written out.
        WriterCase{"DiskFull", [] { return std::string("/dev/full"); }, {jpeg(), jpeg()}, "cannot write /dev/full", true},
        // Nothing to play: the file is not left behind.
        WriterCase{"NoFrame", [] { return scratch("empty.mkv"); }, {}, "no frame came", false},
        WriterCase{"EmptyFrame", [] { return scratch("zero.mkv"); }, {{}}, "an empty frame is not recorded", false}),
    [](const auto& info) { return std::string(info.param.name); });

// A recording still running (or whose viewer was killed) plays up to its
// last second: clusters are written out as they close.
TEST(MatroskaWriter, AFileStillBeingWrittenPlaysUpToItsLastSecond)
{
    const std::string path = scratch("running.mkv");
    MatroskaWriter writer;
    ASSERT_EQ(writer.open(path), "");
    for (int ms = 0; ms <= 2500; ms += 250) ASSERT_EQ(writer.write(jpeg().data(), jpeg().size(), ms), "");
    const RecordedFile running = ReadRecordedFile(path);
    EXPECT_GE(running.packets.size(), 4u);
    EXPECT_EQ(running.durationMs, -1); // not finished yet
    EXPECT_EQ(writer.finish(), "");
    EXPECT_EQ(ReadRecordedFile(path).durationMs, 2500);
}

// The picture size from the frame header, whatever comes before it; 0 x 0
// for bytes that hold none or end inside it.
struct SizeCase {
    std::vector<std::uint8_t> bytes;
    int width;
    int height;
};

class JpegSizeOf : public ::testing::TestWithParam<SizeCase> {};

TEST_P(JpegSizeOf, ReadsOnlyWhatIsThere)
{
    const JpegSize size = ReadJpegSize(GetParam().bytes.data(), GetParam().bytes.size());
    EXPECT_EQ(size.width, GetParam().width);
    EXPECT_EQ(size.height, GetParam().height);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, JpegSizeOf,
    ::testing::Values(SizeCase{jpeg(), 48, 32},
                      SizeCase{WithComment(jpeg(), std::vector<std::uint8_t>(300, 'x')), 48, 32},
                      SizeCase{{0xFF, 0xD8, 0xFF, 0xC2, 0x00, 0x08, 0x08, 0x01, 0xE0, 0x02, 0x80, 0x01}, 640, 480},
                      SizeCase{{0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x01}, 0, 0},           // ends in the header
                      SizeCase{{0xFF, 0xD8, 0xFF, 0xE0, 0xFF, 0xFF, 0x00, 0x00}, 0, 0},           // a segment past the end
                      SizeCase{{0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00}, 0, 0}, // data before a header
                      SizeCase{{0x89, 'P', 'N', 'G', 0, 0, 0, 0}, 0, 0}));

// A control's frame tap, as the image control answers it (or a control
// without one).
class TapControl final : public ComObject, public IFrameTap {
public:
    explicit TapControl(bool tap = true) : m_tap(tap) {}
    VE_TEST_IUNKNOWN
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        return answer(riid, ppv, {{&IID_IUnknown, static_cast<IFrameTap*>(this)}, {m_tap ? &IID_IFrameTap : &IID_IUnknown, this}});
    }
    // As the image control does: the sink is called and replaced under one
    // lock, so that a replaced sink is called no more.
    HRESULT SetFrameSink(IFrameSink* sink) override
    {
        std::lock_guard lock(m_mutex);
        m_sink = sink;
        return S_OK;
    }
    HRESULT GetStreamEnded(BOOL* ended) override
    {
        *ended = FALSE;
        return S_OK;
    }
    HRESULT GetStreamStarted(BOOL* started) override
    {
        *started = FALSE;
        return S_OK;
    }
    HRESULT GetOversizedFrames(DWORD* count, DWORD* lastLength) override
    {
        *count = *lastLength = 0;
        return S_OK;
    }
    HRESULT SetAnyPictureStream(BOOL) override { return S_OK; }
    // Answers whether the frame was written.
    bool frame(const std::vector<std::uint8_t>& bytes, DWORD tick)
    {
        std::lock_guard lock(m_mutex);
        return m_sink && m_sink->OnFrame(bytes.data(), static_cast<DWORD>(bytes.size()), tick) == S_OK;
    }
    std::mutex m_mutex;
    const bool m_tap;
    IFrameSink* m_sink = nullptr;
};

// The camera's bytes as they came, at their times from the first; two
// frames of one millisecond and the tick count's wrap keep them increasing.
TEST(Recorder, WritesEachFrameAsItCameAtIncreasingTimes)
{
    auto* control = new TapControl;
    const std::string path = scratch("times.mkv");
    Recorder recorder;
    ASSERT_EQ(recorder.startAll(std::vector<IUnknown*>{control}, path), "");
    ASSERT_NE(control->m_sink, nullptr);
    const std::vector<std::uint8_t> other = MakeSolidJpeg(48, 32, Rgb{0, 0, 250});
    for (const auto& [bytes, tick] : std::vector<std::pair<std::vector<std::uint8_t>, DWORD>>{
             {jpeg(), 0xFFFFFF00u}, {other, 0xFFFFFF00u}, {jpeg(), 0xFFFFFFF0u}, {other, 0x40u}})
        control->frame(bytes, tick);
    EXPECT_EQ(recorder.status(), "recording 0:00 times.mkv");
    const std::vector<std::string> said = recorder.stop();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0], "recording saved to " + path + " (4 frames, 0:00)");
    EXPECT_EQ(control->m_sink, nullptr);
    control->frame(jpeg(), 0x50u); // after the end: nothing more

    const RecordedFile file = ReadRecordedFile(path);
    EXPECT_EQ(file.width, 48);
    EXPECT_EQ(file.height, 32);
    ASSERT_EQ(file.packets.size(), 4u);
    EXPECT_EQ(file.packets[0], jpeg());
    EXPECT_EQ(file.packets[1], other);
    EXPECT_EQ(file.ms, (std::vector<std::int64_t>{0, 1, 240, 320}));
    control->Release();
}

// A control on another UI thread hands its frames over there while the
// viewer's thread shows the recording's length and ends it: every frame
// written is in the file, and none is written after the end.
TEST(Recorder, FramesFromTheControlsThreadWhileTheViewerShowsAndEndsTheRecording)
{
    auto* control = new TapControl;
    const std::string path = scratch("apartment.mkv");
    Recorder recorder;
    ASSERT_EQ(recorder.startAll(std::vector<IUnknown*>{control}, path), "");
    std::atomic<long> written{0};
    std::atomic<bool> ended{false};
    std::thread apartment([&] {
        for (DWORD tick = 0; !ended.load(std::memory_order_acquire); tick += 33)
            if (control->frame(jpeg(), tick)) written.fetch_add(1, std::memory_order_relaxed);
    });
    // The count is read relaxed: it orders nothing between the two threads,
    // the recording must do that itself.
    while (written.load(std::memory_order_relaxed) < 30) EXPECT_EQ(recorder.status().rfind("recording ", 0), 0u);
    const std::vector<std::string> said = recorder.stop();
    ended.store(true, std::memory_order_release);
    apartment.join();
    // Each frame the sink took is in the file, the end counted them all,
    // and the sink took none after the end (it would be counted, not kept).
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("(" + std::to_string(written.load()) + " frames"), std::string::npos) << said[0];
    EXPECT_EQ(ReadRecordedFile(path).packets.size(), static_cast<std::size_t>(written.load()));
    control->Release();
}

// Reconnection makes a camera's control again: the recording moves to the
// new control and goes on into the same file; the old one is let go.
TEST(Recorder, ACameraMadeAgainGoesOnIntoTheSameFile)
{
    auto* other = new TapControl;
    auto* before = new TapControl;
    auto* after = new TapControl;
    const std::string path = scratch("again.mkv");
    Recorder recorder;
    ASSERT_EQ(recorder.startAll(std::vector<IUnknown*>{other, before}, path), "");
    before->frame(jpeg(), 100);
    recorder.follow(std::vector<IUnknown*>{other, before}); // nothing made again
    EXPECT_NE(before->m_sink, nullptr);
    recorder.follow(std::vector<IUnknown*>{other, after});
    EXPECT_EQ(before->m_sink, nullptr);
    EXPECT_EQ(before->refs(), 1u);
    ASSERT_NE(after->m_sink, nullptr);
    after->frame(jpeg(), 3100);
    recorder.stop();
    EXPECT_EQ(ReadRecordedFile(RecordingPath(path, 1, 2)).ms, (std::vector<std::int64_t>{0, 3000}));
    for (ComObject* object : std::initializer_list<ComObject*>{other, before, after}) object->release();
}

TEST(Recorder, TheWindowsRKeyRecordsTheCameraShownOrEveryOneAndSaysWhy)
{
    auto* first = new TapControl;
    auto* second = new TapControl;
    const std::vector<IUnknown*> controls{first, second};
    const std::string folder = scratch("videos");
    Recorder recorder;
    // The camera under the pointer only, named after its host.
    EXPECT_EQ(recorder.toggle(controls, {"a", "b:81"}, 1, folder, 0), "");
    EXPECT_EQ(first->m_sink, nullptr);
    ASSERT_NE(second->m_sink, nullptr);
    second->frame(jpeg(), 7);
    const std::string name = RecordingName("b:81", 0);
    EXPECT_EQ(recorder.toggle(controls, {"a", "b:81"}, 1, folder, 0), "recording saved (0:00): " + name);
    EXPECT_EQ(ReadRecordedFile(folder + "/" + name).packets.size(), 1u);
    // No camera under the pointer: each one, into a file of its own.
    EXPECT_EQ(recorder.toggle(controls, {"a", "b"}, -1, folder, 0), "");
    first->frame(jpeg(), 7);
    second->frame(jpeg(), 9);
    const std::string said = recorder.toggle(controls, {"a", "b"}, -1, folder, 0);
    const std::string a = RecordingName("a", 0), b = RecordingName("b", 0);
    EXPECT_EQ(said, "recording saved (0:00): " + a.substr(0, a.size() - 4) + "-1.mkv; recording saved (0:00): " +
                        b.substr(0, b.size() - 4) + "-2.mkv");
    // A control without the tap starts nothing, the others neither.
    auto* plain = new TapControl;
    auto* noTap = new TapControl(false);
    EXPECT_NE(recorder.startAll(std::vector<IUnknown*>{plain, noTap}, scratch("x.mkv")).find("does not hand out its frames"),
              std::string::npos);
    EXPECT_FALSE(recorder.recording());
    EXPECT_EQ(plain->m_sink, nullptr);
    for (ComObject* object : std::initializer_list<ComObject*>{first, second, plain, noTap}) object->release();
}

} // namespace
