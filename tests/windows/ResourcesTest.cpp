// The module's resources as Windows' own loaders see them. This program
// links the module's compiled resources into itself, so it reads them
// from its own file: strings, the zoom pointers with their hot spots and
// pixels (against the drawing they are written from), the toolbox bitmap,
// the two dialogs, the version information and the type library.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/Pictures.h"
#include "resources/ResourceIds.h"
// The class, interface and library identifiers, taken by the build from
// control/ImageCtrlIds.cpp: kExpected_<name>.
#include "ExpectedIds.h"

namespace {

HINSTANCE self() { return GetModuleHandleW(nullptr); }

std::wstring selfPath()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

std::string loadString(UINT id)
{
    char text[256];
    const int length = LoadStringA(self(), id, text, sizeof text);
    return std::string(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

// The bitmap's pixels, top row first, as 0x00RRGGBB (alpha as the bitmap
// holds it in the top byte).
std::vector<std::uint32_t> pixelsOf(HBITMAP bitmap, int width, int height)
{
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = GetDC(nullptr);
    const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(rows, height);
    return pixels;
}

struct Pointer {
    WORD id;
    int sign;
};
constexpr Pointer kPointers[] = {{VE_RC_IDI_ZOOM, 0}, {VE_RC_IDI_ZOOM_IN, 1}, {VE_RC_IDI_ZOOM_OUT, -1}};

// The picture behind an icon or cursor handle equals the drawing: opaque
// pixels in their colours, transparent ones transparent and masked.
void expectPicture(HICON icon, const ResourcePicture& drawn, const char* what)
{
    SCOPED_TRACE(what);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    ASSERT_NE(info.hbmColor, nullptr);
    BITMAP colour{};
    ASSERT_NE(GetObjectW(info.hbmColor, sizeof colour, &colour), 0);
    EXPECT_EQ(colour.bmWidth, drawn.width);
    EXPECT_EQ(colour.bmHeight, drawn.height);
    if (colour.bmWidth == drawn.width && colour.bmHeight == drawn.height) {
        const std::vector<std::uint32_t> pixels = pixelsOf(info.hbmColor, drawn.width, drawn.height);
        const std::vector<std::uint32_t> mask = pixelsOf(info.hbmMask, drawn.width, drawn.height);
        int wrong = 0;
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const std::uint32_t want = drawn.argb[i];
            const bool transparent = (want >> 24) == 0;
            const bool same = transparent ? (pixels[i] >> 24) == 0 && (mask[i] & 0xFFFFFF) == 0xFFFFFF
                                          : pixels[i] == want && (mask[i] & 0xFFFFFF) == 0;
            if (!same && wrong++ < 5)
                ADD_FAILURE() << "pixel " << i % 32 << "," << i / 32 << ": 0x" << std::hex << pixels[i] << " mask 0x"
                              << mask[i] << ", drawn 0x" << want;
        }
        EXPECT_EQ(wrong, 0);
    }
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

INT_PTR CALLBACK quietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::wstring bstrText(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

} // namespace

TEST(ModuleResources, StringTableHoldsTheNamesAndNotTheSocketMessage)
{
    EXPECT_EQ(loadString(VE_RC_IDS_IMAGECTRL), "Ve_virizu Control");
    EXPECT_EQ(loadString(VE_RC_IDS_IMAGECTRL_PPG), "Ve_virizu Property Page");
    EXPECT_EQ(loadString(VE_RC_IDS_IMAGECTRL_PPG_CAPTION), "General");
    char text[64] = "unchanged";
    EXPECT_EQ(LoadStringA(self(), 102, text, sizeof text), 0);
}

TEST(ModuleResources, ZoomPointersAreCursorsWithTheirHotSpotInTheLens)
{
    for (const Pointer& pointer : kPointers) {
        SCOPED_TRACE(pointer.id);
        HCURSOR cursor = LoadCursorA(self(), MAKEINTRESOURCEA(pointer.id));
        ASSERT_NE(cursor, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(cursor, &info));
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, 12u);
        EXPECT_EQ(info.yHotspot, 12u);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        auto image = static_cast<HCURSOR>(LoadImageA(self(), MAKEINTRESOURCEA(pointer.id), IMAGE_CURSOR, 32, 32, 0));
        ASSERT_NE(image, nullptr);
        expectPicture(image, DrawZoomPicture(pointer.sign), "cursor");
        DestroyCursor(image);
    }
}

TEST(ModuleResources, ZoomPointersAreAlsoIconsOfTheSamePicture)
{
    for (const Pointer& pointer : kPointers) {
        SCOPED_TRACE(pointer.id);
        HICON icon = LoadIconA(self(), MAKEINTRESOURCEA(pointer.id));
        ASSERT_NE(icon, nullptr);
        auto image = static_cast<HICON>(LoadImageA(self(), MAKEINTRESOURCEA(pointer.id), IMAGE_ICON, 32, 32, 0));
        ASSERT_NE(image, nullptr);
        expectPicture(image, DrawZoomPicture(pointer.sign), "icon");
        DestroyIcon(image);
    }
}

TEST(ModuleResources, ToolboxBitmapIsTheDrawnCamera)
{
    HBITMAP bitmap = LoadBitmapA(self(), MAKEINTRESOURCEA(VE_RC_IDB_IMAGECTRL));
    ASSERT_NE(bitmap, nullptr);
    const ResourcePicture drawn = DrawToolboxPicture();
    BITMAP shape{};
    ASSERT_NE(GetObjectW(bitmap, sizeof shape, &shape), 0);
    ASSERT_EQ(shape.bmWidth, drawn.width);
    ASSERT_EQ(shape.bmHeight, drawn.height);
    const std::vector<std::uint32_t> pixels = pixelsOf(bitmap, drawn.width, drawn.height);
    for (std::size_t i = 0; i < pixels.size(); ++i) ASSERT_EQ(pixels[i] & 0xFFFFFF, drawn.argb[i] & 0xFFFFFF) << i;
    DeleteObject(bitmap);
}

TEST(ModuleResources, DialogsExistAndThePageIsAChildWithItsText)
{
    EXPECT_NE(FindResourceA(self(), MAKEINTRESOURCEA(VE_RC_IDD_ABOUTBOX_IMAGECTRL), MAKEINTRESOURCEA(5)), nullptr);
    ASSERT_NE(FindResourceA(self(), MAKEINTRESOURCEA(VE_RC_IDD_PROPPAGE_IMAGECTRL), MAKEINTRESOURCEA(5)), nullptr);
    HWND frame = CreateWindowExW(0, L"STATIC", L"frame", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, self(), nullptr);
    ASSERT_NE(frame, nullptr);
    HWND page = CreateDialogParamW(self(), MAKEINTRESOURCEW(VE_RC_IDD_PROPPAGE_IMAGECTRL), frame, quietDialog, 0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(GetParent(page), frame);
    EXPECT_TRUE(GetWindowLongW(page, GWL_STYLE) & WS_CHILD);
    char text[256] = {};
    GetDlgItemTextA(page, VE_RC_IDC_PROPPAGE_TEXT, text, sizeof text);
    EXPECT_STREQ(text, VE_RC_TEXT_PROPPAGE);
    DestroyWindow(page);
    DestroyWindow(frame);
}

TEST(ModuleResources, VersionInformationNamesTheModule)
{
    const std::wstring path = selfPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    auto value = [&](const wchar_t* name) {
        wchar_t* text = nullptr;
        UINT chars = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        if (!VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&text), &chars) || !text) return std::wstring();
        return std::wstring(text);
    };
    EXPECT_EQ(value(L"OriginalFilename"), L"VE_VIRIZU.OCX");
    EXPECT_EQ(value(L"FileVersion"), L"1.0.0");
    EXPECT_EQ(value(L"ProductVersion"), L"1.0.0");
    EXPECT_EQ(value(L"ProductName"), L"Ve_virizu Control");
    EXPECT_EQ(value(L"FileDescription"), L"RW-DPV20 OLE Control module");
}

class TypeLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(LoadTypeLibEx(selfPath().c_str(), REGKIND_NONE, &m_library), S_OK);
    }
    void TearDown() override
    {
        if (m_library) m_library->Release();
    }
    ITypeInfo* typeOf(REFGUID guid)
    {
        ITypeInfo* info = nullptr;
        EXPECT_EQ(m_library->GetTypeInfoOfGuid(guid, &info), S_OK);
        return info;
    }
    static std::wstring nameOf(ITypeInfo* info, MEMBERID member = MEMBERID_NIL)
    {
        BSTR name = nullptr;
        info->GetDocumentation(member, &name, nullptr, nullptr, nullptr);
        std::wstring text = bstrText(name);
        SysFreeString(name);
        return text;
    }
    // The function's dispatch id, name, and parameters' types and names.
    struct Function {
        MEMBERID id;
        std::wstring name;
        std::vector<VARTYPE> types;
        std::vector<std::wstring> names;
        VARTYPE result;
        INVOKEKIND kind;
    };
    static std::vector<Function> functionsOf(ITypeInfo* info)
    {
        std::vector<Function> functions;
        TYPEATTR* attr = nullptr;
        if (FAILED(info->GetTypeAttr(&attr))) return functions;
        for (UINT i = 0; i < attr->cFuncs; ++i) {
            FUNCDESC* desc = nullptr;
            if (FAILED(info->GetFuncDesc(i, &desc))) continue;
            Function f{desc->memid, L"", {}, {}, desc->elemdescFunc.tdesc.vt, desc->invkind};
            BSTR names[8] = {};
            UINT count = 0;
            info->GetNames(desc->memid, names, 8, &count);
            for (UINT n = 0; n < count; ++n) {
                (n == 0 ? f.name : f.names.emplace_back()) = bstrText(names[n]);
                SysFreeString(names[n]);
            }
            for (SHORT p = 0; p < desc->cParams; ++p) f.types.push_back(desc->lprgelemdescParam[p].tdesc.vt);
            info->ReleaseFuncDesc(desc);
            functions.push_back(f);
        }
        info->ReleaseTypeAttr(attr);
        return functions;
    }
    ITypeLib* m_library = nullptr;
};

TEST_F(TypeLibrary, IsTheControlsLibraryVersionOneZero)
{
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(m_library->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, kExpected_LIBID_ImageCtrlLib));
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_TRUE(attr->wLibFlags & LIBFLAG_FCONTROL);
    m_library->ReleaseTLibAttr(attr);
    BSTR name = nullptr;
    BSTR doc = nullptr;
    ASSERT_EQ(m_library->GetDocumentation(-1, &name, &doc, nullptr, nullptr), S_OK);
    EXPECT_EQ(bstrText(name), L"ZE_DEVUZORud");
    EXPECT_EQ(bstrText(doc), L"RW-DPV20 OLE Control module");
    SysFreeString(name);
    SysFreeString(doc);
    EXPECT_EQ(m_library->GetTypeInfoCount(), 4u);
}

TEST_F(TypeLibrary, DispatchInterfaceListsAboutBoxOverIDispatch)
{
    ITypeInfo* info = typeOf(kExpected_IID__ZEz_orerir);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(nameOf(info), L"_ZEz_orerir");
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    info->ReleaseTypeAttr(attr);
    const auto functions = functionsOf(info);
    ASSERT_EQ(functions.size(), 1u);
    EXPECT_EQ(functions[0].id, -552);
    EXPECT_EQ(functions[0].name, L"AboutBox");
    EXPECT_TRUE(functions[0].types.empty());
    EXPECT_EQ(functions[0].result, VT_VOID);
    // Its base is the standard IDispatch, found through stdole2.
    HREFTYPE base = 0;
    ASSERT_EQ(info->GetRefTypeOfImplType(0, &base), S_OK);
    ITypeInfo* dispatch = nullptr;
    ASSERT_EQ(info->GetRefTypeInfo(base, &dispatch), S_OK);
    EXPECT_EQ(nameOf(dispatch), L"IDispatch");
    ASSERT_EQ(dispatch->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, IID_IDispatch));
    dispatch->ReleaseTypeAttr(attr);
    dispatch->Release();
    info->Release();
}

TEST_F(TypeLibrary, EventInterfaceCarriesModeChangedAndDZoomMagChanged)
{
    ITypeInfo* info = typeOf(kExpected_IID__VEd_oruvudUruzuv);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(nameOf(info), L"_VEd_oruvudUruzuv");
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    info->ReleaseTypeAttr(attr);
    const auto functions = functionsOf(info);
    ASSERT_EQ(functions.size(), 2u);
    EXPECT_EQ(functions[0].id, 1);
    EXPECT_EQ(functions[0].name, L"ModeChanged");
    EXPECT_EQ(functions[0].types, std::vector<VARTYPE>{VT_I2});
    EXPECT_EQ(functions[0].names, std::vector<std::wstring>{L"Mode"});
    EXPECT_EQ(functions[0].kind, INVOKE_FUNC);
    EXPECT_EQ(functions[1].id, 2);
    EXPECT_EQ(functions[1].name, L"DZoomMagChanged");
    EXPECT_EQ(functions[1].types, std::vector<VARTYPE>{VT_R8});
    EXPECT_EQ(functions[1].names, std::vector<std::wstring>{L"DZoomMag"});
    // A sink's dispatch answers names from the library.
    OLECHAR* names[] = {const_cast<OLECHAR*>(L"DZoomMagChanged"), const_cast<OLECHAR*>(L"ModeChanged")};
    MEMBERID ids[2] = {};
    ASSERT_EQ(info->GetIDsOfNames(names, 1, ids), S_OK);
    ASSERT_EQ(info->GetIDsOfNames(names + 1, 1, ids + 1), S_OK);
    EXPECT_EQ(ids[0], 2);
    EXPECT_EQ(ids[1], 1);
    info->Release();
}

TEST_F(TypeLibrary, ControlClassNamesItsDispatchAndSourceInterfaces)
{
    ITypeInfo* info = typeOf(kExpected_CLSID_ImageCtrl);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(nameOf(info), L"ImageCtrl");
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCONTROL);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    ASSERT_EQ(attr->cImplTypes, 2);
    info->ReleaseTypeAttr(attr);
    const GUID* expected[] = {&kExpected_IID__ZEz_orerir, &kExpected_IID__VEd_oruvudUruzuv};
    const INT flags[] = {IMPLTYPEFLAG_FDEFAULT, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE};
    for (UINT i = 0; i < 2; ++i) {
        INT implFlags = 0;
        ASSERT_EQ(info->GetImplTypeFlags(i, &implFlags), S_OK);
        EXPECT_EQ(implFlags, flags[i]);
        HREFTYPE ref = 0;
        ASSERT_EQ(info->GetRefTypeOfImplType(i, &ref), S_OK);
        ITypeInfo* implemented = nullptr;
        ASSERT_EQ(info->GetRefTypeInfo(ref, &implemented), S_OK);
        ASSERT_EQ(implemented->GetTypeAttr(&attr), S_OK);
        EXPECT_TRUE(IsEqualGUID(attr->guid, *expected[i])) << i;
        implemented->ReleaseTypeAttr(attr);
        implemented->Release();
    }
    info->Release();
    ITypeInfo* page = typeOf(kExpected_CLSID_ImagePropPage);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(nameOf(page), L"ImagePropPage");
    page->Release();
}
