// The Windows build's resource sources against what the Linux build uses:
// the checked-in pictures must be what the drawing gives today (rewrite
// them with `resgen resources` after changing the drawing), the resource
// script must read exactly those files, and the type library's identifiers
// must be the control's.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "control/ImageCtrlIds.h"
#include "platform/com/Guid.h"
#include "tools/resgen/PictureFiles.h"

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const std::string kResources = std::string(VE_SOURCE_DIR) + "/resources/";

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

} // namespace

TEST(ResourceFiles, CheckedInPicturesAreTheDrawingOfToday)
{
    for (const PictureFile& file : ModulePictureFiles()) {
        const std::string onDisk = readFile(kResources + file.name);
        EXPECT_TRUE(onDisk == std::string(file.bytes.begin(), file.bytes.end()))
            << "resources/" << file.name << " differs from the drawing: run resgen <source>/resources";
    }
}

TEST(ResourceFiles, CursorsCarryTheLensHotSpotAndIconsTheirDepth)
{
    // The directory entry: cursors hold the hot spot where icons hold planes
    // and bits per pixel; the image is 32 x 32 with alpha and its mask.
    const std::vector<std::uint8_t> cursor = EncodeCursorFile(DrawZoomPicture(1));
    ASSERT_GT(cursor.size(), 22u + 40u);
    EXPECT_EQ(cursor[2], 2);                     // a cursor
    EXPECT_EQ(cursor[10] | (cursor[11] << 8), 12); // hot spot x
    EXPECT_EQ(cursor[12] | (cursor[13] << 8), 12); // hot spot y
    EXPECT_EQ(le32(cursor, 14), cursor.size() - 22);
    EXPECT_EQ(le32(cursor, 22 + 8), 64u);        // colour rows and mask rows
    const std::vector<std::uint8_t> icon = EncodeIconFile(DrawZoomPicture(0));
    EXPECT_EQ(icon[2], 1);
    EXPECT_EQ(icon[12] | (icon[13] << 8), 32);
    // 32 x 32 colour pixels and a 32 x 32 mask of 4-byte rows.
    EXPECT_EQ(icon.size(), 22u + 40u + 32u * 32u * 4u + 32u * 4u);
    // The bottom-left pixel (first in the file) is transparent: masked.
    EXPECT_EQ(icon[22 + 40 + 3], 0);
    EXPECT_EQ(icon[22 + 40 + 32 * 32 * 4] & 0x80, 0x80);
    // The lens centre (12, 12), row 19 from the bottom, is drawn and unmasked.
    const std::size_t centre = 22 + 40 + (19 * 32 + 12) * 4;
    EXPECT_EQ(icon[centre + 3], 0xFF);
    EXPECT_EQ(icon[22 + 40 + 32 * 32 * 4 + 19 * 4 + 1] & (0x80 >> 4), 0);
}

TEST(ResourceFiles, ResourceScriptReadsThePictureFiles)
{
    const std::string script = readFile(kResources + "VE_VIRIZU.rc");
    ASSERT_FALSE(script.empty());
    for (const PictureFile& file : ModulePictureFiles())
        EXPECT_NE(script.find('"' + std::string(file.name) + '"'), std::string::npos) << file.name;
    EXPECT_NE(script.find("TYPELIB \"ImageCtrl.tlb\""), std::string::npos);
}

TEST(ResourceFiles, TypeLibraryIdentifiersAreTheControls)
{
    const std::string idl = readFile(kResources + "ImageCtrl.idl");
    ASSERT_FALSE(idl.empty());
    struct Expected {
        const char* declaration;
        GUID id;
    };
    const Expected expected[] = {
        {"library ZE_DEVUZORud", LIBID_ImageCtrlLib},
        {"dispinterface _ZEz_orerir", IID__ZEz_orerir},
        {"dispinterface _VEd_oruvudUruzuv", IID__VEd_oruvudUruzuv},
        {"coclass ImageCtrl", CLSID_ImageCtrl},
        {"coclass ImagePropPage", CLSID_ImagePropPage},
    };
    // An attribute block "[ ... uuid(X) ... ]" followed by the definition it
    // belongs to (not a coclass's mention of an interface).
    const std::regex block(R"(\[([^\]]*)\]\s*(library|dispinterface|coclass|interface)\s+(\w+)\s*\{)");
    const std::regex uuid(R"(uuid\(([0-9A-Fa-f-]+)\))");
    const std::regex version(R"(version\((\d+)\.(\d+)\))");
    int found = 0;
    for (auto it = std::sregex_iterator(idl.begin(), idl.end(), block); it != std::sregex_iterator(); ++it) {
        const std::string attributes = (*it)[1];
        const std::string declaration = (*it)[2].str() + " " + (*it)[3].str();
        for (const Expected& e : expected) {
            if (declaration != e.declaration) continue;
            ++found;
            std::smatch m;
            ASSERT_TRUE(std::regex_search(attributes, m, uuid)) << declaration;
            const auto id = GuidFromString(m[1].str());
            ASSERT_TRUE(id.has_value()) << declaration;
            EXPECT_EQ(GuidToString(*id), GuidToString(e.id)) << declaration;
            if (declaration == "library ZE_DEVUZORud") {
                ASSERT_TRUE(std::regex_search(attributes, m, version));
                EXPECT_EQ(std::stoi(m[1].str()), IMAGECTRL_LIB_MAJOR);
                EXPECT_EQ(std::stoi(m[2].str()), IMAGECTRL_LIB_MINOR);
            }
        }
    }
    EXPECT_EQ(found, 5);
    // The events under the control's dispatch ids.
    EXPECT_NE(idl.find("[id(" + std::to_string(eventidModeChanged) + ")] void ModeChanged(short Mode);"), std::string::npos);
    EXPECT_NE(idl.find("[id(" + std::to_string(eventidDZoomMagChanged) + ")] void DZoomMagChanged(double DZoomMag);"),
              std::string::npos);
}
