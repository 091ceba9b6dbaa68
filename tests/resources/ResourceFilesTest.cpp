// The Windows build's resource sources against what the Linux build uses:
// the checked-in pictures must be what the drawing gives today (rewrite
// them with `resgen resources` after changing the drawing), the resource
// script must read exactly those files, and the type library's identifiers
// must be the control's.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <cctype>
#include <cstring>
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
    // Each definition's attribute block "[ ... uuid(X) ... ]": the bracket
    // that ends right before it (a coclass's mention of an interface has
    // none). Plain string search: std::regex trips GCC's warnings under the
    // sanitizers' optimisation.
    auto between = [](const std::string& text, const std::string& open, std::size_t from) {
        const auto start = text.find(open, from);
        const auto end = start == std::string::npos ? start : text.find(')', start);
        return end == std::string::npos ? std::string() : text.substr(start + open.size(), end - start - open.size());
    };
    int found = 0;
    for (const Expected& e : expected) {
        std::size_t at = 0;
        std::string attributes;
        while ((at = idl.find(e.declaration, at)) != std::string::npos) {
            std::size_t close = at;
            while (close > 0 && std::isspace(static_cast<unsigned char>(idl[close - 1]))) --close;
            const bool defined = idl.find_first_not_of(" \t\r\n", at + std::strlen(e.declaration)) != std::string::npos &&
                                 idl[idl.find_first_not_of(" \t\r\n", at + std::strlen(e.declaration))] == '{';
            if (close > 0 && idl[close - 1] == ']' && defined) {
                const auto open = idl.rfind('[', close - 1);
                attributes = idl.substr(open + 1, close - 2 - open);
                break;
            }
            at += std::strlen(e.declaration);
        }
        ASSERT_FALSE(attributes.empty()) << e.declaration;
        ++found;
        const auto id = GuidFromString(between(attributes, "uuid(", 0));
        ASSERT_TRUE(id.has_value()) << e.declaration;
        EXPECT_EQ(GuidToString(*id), GuidToString(e.id)) << e.declaration;
        if (std::string(e.declaration) == "library ZE_DEVUZORud") {
            const std::string v = between(attributes, "version(", 0);
            const auto dot = v.find('.');
            ASSERT_NE(dot, std::string::npos);
            EXPECT_EQ(std::stoi(v.substr(0, dot)), IMAGECTRL_LIB_MAJOR);
            EXPECT_EQ(std::stoi(v.substr(dot + 1)), IMAGECTRL_LIB_MINOR);
        }
    }
    EXPECT_EQ(found, 5);
    // The events under the control's dispatch ids.
    EXPECT_NE(idl.find("[id(" + std::to_string(eventidModeChanged) + ")] void ModeChanged(short Mode);"), std::string::npos);
    EXPECT_NE(idl.find("[id(" + std::to_string(eventidDZoomMagChanged) + ")] void DZoomMagChanged(double DZoomMag);"),
              std::string::npos);
}
