// The viewer's container with real controls from the built module: which
// OBJECTs become controls, where they sit, and what the report says.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "host/core/EventLog.h"
#include "host/linux/container/PageLoader.h"
#include "host/linux/container/ViewerContainer.h"

namespace {

class Container : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // A registry of this test's own, empty: the container registers the
        // module itself.
        char pattern[] = "/tmp/ve-container-XXXXXX";
        setenv("VE_REGISTRY", (std::string(mkdtemp(pattern)) + "/registry").c_str(), 1);
    }

    static EmbeddedObject object(const std::string& classId, int width, int height)
    {
        EmbeddedObject o;
        o.classId = classId;
        o.width = width;
        o.height = height;
        // A page address without a camera: the control shows its status and
        // opens no connection.
        o.params = {{"ImagePath", "?Resolution=320x240"}};
        return o;
    }
};

TEST_F(Container, ControlsOfUnknownClassesAreLeftOutAndTheRestFillAGrid)
{
    ViewerContainer c("http://127.0.0.1:9/nothing.html", VE_MODULE_PATH, {});
    const std::vector<EmbeddedObject> page = {
        object(kImageControlClass, 320, 240),
        object("{00000000-1111-2222-3333-444444444444}", 100, 100), // not registered
        object("RW-DPV20.ImageCtrl.1", 160, 120),                   // by ProgID
        object(kImageControlClass, 640, 480),
        object(kImageControlClass, 0, 0), // no size: the control's own
        object("not a class", 10, 10),
    };
    ASSERT_EQ(c.embed(page), 4u);
    // Two columns (ceil of the square root of 4), 4 pixels apart; each
    // column as wide as its widest control, each row as high as its highest.
    EXPECT_EQ(c.cell(0).left, 0);
    EXPECT_EQ(c.cell(1).left, 644); // the first column is as wide as the 640
    EXPECT_EQ(c.cell(1).right, 644 + 160);
    EXPECT_EQ(c.cell(2).top, 244);
    EXPECT_EQ(c.cell(2).right, 640);
    EXPECT_EQ(c.cell(3).left, 644);
    EXPECT_EQ(c.cell(3).top, 244);
    EXPECT_EQ(c.extent().cx, 644 + 320);
    EXPECT_EQ(c.extent().cy, 244 + 480);
    EXPECT_EQ(c.controlAt(POINT{650, 10}), 1);
    EXPECT_EQ(c.controlAt(POINT{650, 200}), -1); // below the small control: the viewer's own
    EXPECT_EQ(c.controlAt(POINT{642, 10}), -1);  // in the gap
    c.release();
    c.release(); // once is enough; twice is harmless
}

TEST_F(Container, TheReportIsOneJsonObjectALineWithTextsEscaped)
{
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    {
        EventLog log(out);
        ContainerListener l = log.listener();
        l.onStatus(0, "Error \"x\"\\\n\ty");
        l.onFrame(1, 320, 240);
        l.onFrame(0, 640, 480);
        l.onEvent(0, "DZoomMagChanged", "2.5");
    }
    std::rewind(out);
    char line[256];
    std::vector<std::string> lines;
    while (std::fgets(line, sizeof line, out)) lines.emplace_back(line);
    std::fclose(out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find("\"status\":\"Error \\\"x\\\"\\\\\\u000a\\u0009y\"}"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("\"control\":1,\"frame\":1,\"width\":320,\"height\":240}"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("\"frame\":2,"), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find("\"event\":\"DZoomMagChanged\",\"value\":2.5}"), std::string::npos) << lines[3];
    EXPECT_EQ(lines[0].rfind("{\"t_ms\":", 0), 0u);
}

} // namespace
