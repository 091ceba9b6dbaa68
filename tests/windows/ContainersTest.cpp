// The module in containers we did not write, and as such containers use
// it: ATL's host window (atl.dll), a container that loads before it sites,
// OleCreate into a storage with OleSave, OleLoad, OleDraw and the data
// object, the verbs a context menu lists, the module's start outside the
// loader's lock, and registration from a folder outside the ANSI code page.
#include <gtest/gtest.h>

#include <winsock2.h>

#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "control/ImageCtrlIds.h"
#include "tests/windows/support/ModuleHarness.h"
#include "tests/windows/support/TestSite.h"

namespace {

template <typename T>
T* query(IUnknown* from, REFIID iid)
{
    void* out = nullptr;
    return SUCCEEDED(from->QueryInterface(iid, &out)) ? static_cast<T*>(out) : nullptr;
}

std::string camera()
{
    const char* camera = std::getenv("VE_CAMERA");
    return camera ? camera : "";
}

std::wstring wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// A control's window where a container put it, and what it paints there.
Picture paintedBy(IUnknown* control, int width, int height)
{
    IViewObject* view = query<IViewObject>(control, IID_IViewObject);
    if (!view) return {};
    Picture p = paint(view, width, height);
    view->Release();
    return p;
}

// Pumps until the control paints the camera's picture; true when it did.
bool streamsTheCamerasPicture(IUnknown* control)
{
    const Picture expected = decode(fetchFrame(camera()));
    if (expected.bgr.empty()) return false;
    return pumpUntil(15000, [&] { return paintedBy(control, 320, 240).bgr == expected.bgr; });
}

// The properties a control saves through IPersistStreamInit, in a stream
// at its start.
IStream* savedControl(const std::map<std::wstring, std::wstring>& params)
{
    IUnknown* control = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ImageCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&control))))
        return nullptr;
    TestPropertyBag bag(params);
    IPersistPropertyBag* fromBag = query<IPersistPropertyBag>(control, IID_IPersistPropertyBag);
    IPersistStreamInit* toStream = query<IPersistStreamInit>(control, IID_IPersistStreamInit);
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    const bool saved = fromBag && toStream && stream && SUCCEEDED(fromBag->Load(&bag, nullptr)) &&
                       SUCCEEDED(toStream->Save(stream, TRUE));
    if (fromBag) fromBag->Release();
    if (toStream) toStream->Release();
    control->Release();
    if (!saved) {
        if (stream) stream->Release();
        return nullptr;
    }
    const LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return stream;
}

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxCreateControlExFn = HRESULT(WINAPI*)(LPCOLESTR, HWND, IStream*, IUnknown**, IUnknown**, REFIID, IUnknown*);

// ATL's host window loads the control from the stream before it gives the
// site, whatever the control's status asks: the tick must start all the
// same, and the control streams from its absolute address.
TEST(AtlHost, TheHostWindowOfAtlStreamsAControlItLoadedFromAStream)
{
    if (camera().empty()) GTEST_SKIP() << "VE_CAMERA names no camera";
    HMODULE atl = LoadLibraryW(L"atl.dll");
    if (!atl) GTEST_SKIP() << "no atl.dll";
    auto init = reinterpret_cast<AtlAxWinInitFn>(reinterpret_cast<void (*)()>(GetProcAddress(atl, "AtlAxWinInit")));
    auto create = reinterpret_cast<AtlAxCreateControlExFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(atl, "AtlAxCreateControlEx")));
    ASSERT_TRUE(init && create);
    ASSERT_TRUE(init());

    IStream* stream =
        savedControl({{L"ImagePath", wide(camera()) + L"/cgi-bin/nphContinuousServerPush?Resolution=320x240"},
                      {L"ImageWidth", L"320"},
                      {L"ImageHeight", L"240"}});
    ASSERT_NE(stream, nullptr);
    HWND window = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    IUnknown* host = nullptr;
    IUnknown* control = nullptr;
    ASSERT_EQ(create(L"RW-DPV20.ImageCtrl.1", window, stream, &host, &control, IID_NULL, nullptr), S_OK);
    stream->Release();
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(streamsTheCamerasPicture(control));

    control->Release();
    if (host) host->Release();
    DestroyWindow(window);
    CoFreeUnusedLibraries();
}

// Our own site, loading the page's parameters before it sites: the tick
// starts at siting, and the page's address is asked of the site then.
TEST(LoadFirst, ASiteThatLoadsBeforeItSitesGetsTheStreamOfThePage)
{
    if (camera().empty()) GTEST_SKIP() << "VE_CAMERA names no camera";
    HWND window = CreateWindowExW(0, L"STATIC", L"page", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 400, 300,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    TestBrowser browser(wide(camera()) + L"/ImageViewer", window);
    TestSite site(window, RECT{10, 20, 330, 260}, &browser);
    IOleObject* object = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ImageCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    TestPropertyBag bag(std::map<std::wstring, std::wstring>{{L"ImagePath", L"?Resolution=320x240"}});
    IPersistPropertyBag* persist = query<IPersistPropertyBag>(object, IID_IPersistPropertyBag);
    ASSERT_NE(persist, nullptr);
    EXPECT_EQ(persist->Load(&bag, nullptr), S_OK);
    persist->Release();
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    RECT position{10, 20, 330, 260};
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, window, &position), S_OK);
    EXPECT_TRUE(streamsTheCamerasPicture(object));

    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    object->Release();
    DestroyWindow(window);
    CoFreeUnusedLibraries();
}

// A document's storage over memory, as a container's file would hold it.
IStorage* memoryStorage()
{
    ILockBytes* bytes = nullptr;
    IStorage* storage = nullptr;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes))) return nullptr;
    StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage);
    bytes->Release();
    return storage;
}

std::map<std::wstring, std::wstring> savedProperties(IUnknown* object)
{
    TestPropertyBag bag(std::map<std::wstring, std::wstring>{});
    IPersistPropertyBag* persist = query<IPersistPropertyBag>(object, IID_IPersistPropertyBag);
    if (persist) {
        persist->Save(&bag, FALSE, TRUE);
        persist->Release();
    }
    return bag.m_values;
}

// Insert Object: created into a storage, saved into it, loaded from it
// into a new object with the same parameters, drawn by OLE and rendered
// as pictures for the container's cache.
TEST(Insertable, CreatedIntoAStorageItSavesLoadsRendersAndDraws)
{
    IStorage* storage = memoryStorage();
    ASSERT_NE(storage, nullptr);
    IOleObject* object = nullptr;
    ASSERT_EQ(OleCreate(CLSID_ImageCtrl, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, storage,
                        reinterpret_cast<void**>(&object)),
              S_OK);
    ASSERT_NE(object, nullptr);
    const std::map<std::wstring, std::wstring> params = {
        {L"ImagePath", L"?Resolution=640x480"}, {L"ImageWidth", L"200"}, {L"ImageHeight", L"150"},
        {L"Language", L"2"},  {L"ImageHeader", L"Gate"},  {L"TaskId", L"7"}, {L"AutoSize", L"0"}};
    TestPropertyBag bag(params);
    IPersistPropertyBag* fromBag = query<IPersistPropertyBag>(object, IID_IPersistPropertyBag);
    ASSERT_EQ(fromBag->Load(&bag, nullptr), S_OK);
    fromBag->Release();

    IPersistStorage* persist = query<IPersistStorage>(object, IID_IPersistStorage);
    ASSERT_NE(persist, nullptr);
    ASSERT_EQ(OleSave(persist, storage, TRUE), S_OK);
    EXPECT_EQ(persist->SaveCompleted(nullptr), S_OK);
    persist->Release();
    const auto before = savedProperties(object);

    IOleObject* loaded = nullptr;
    ASSERT_EQ(OleLoad(storage, IID_IOleObject, nullptr, reinterpret_cast<void**>(&loaded)), S_OK);
    ASSERT_NE(loaded, nullptr);
    const auto after = savedProperties(loaded);
    for (const auto& [name, value] : params) EXPECT_EQ(after.count(name) ? after.at(name) : L"-", value) << narrow(name);
    EXPECT_EQ(after, before);

    // The content aspect as an enhanced metafile plays what the control
    // paints; as a METAFILEPICT it carries the control's extent.
    IDataObject* data = query<IDataObject>(loaded, IID_IDataObject);
    ASSERT_NE(data, nullptr);
    FORMATETC enhanced{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
    STGMEDIUM medium{};
    ASSERT_EQ(data->GetData(&enhanced, &medium), S_OK);
    ASSERT_EQ(medium.tymed, static_cast<DWORD>(TYMED_ENHMF));
    const Picture played = play(medium.hEnhMetaFile, 200, 150);
    ReleaseStgMedium(&medium);
    const Picture painted = paintedBy(loaded, 200, 150);
    ASSERT_FALSE(painted.bgr.empty());
    ASSERT_EQ(played.bgr.size(), painted.bgr.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < painted.bgr.size(); ++i) differing += played.bgr[i] != painted.bgr[i];
    std::size_t dark = 0;
    for (unsigned char b : played.bgr) dark += b < 128;
    // The status text is laid out again when the metafile plays, so the
    // edges of its glyphs may differ; the picture is the same otherwise.
    EXPECT_GT(dark, 0u);
    EXPECT_LT(differing, painted.bgr.size() / 25) << dark << " dark bytes played";

    FORMATETC pict{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
    ASSERT_EQ(data->QueryGetData(&pict), S_OK);
    ASSERT_EQ(data->GetData(&pict, &medium), S_OK);
    ASSERT_EQ(medium.tymed, static_cast<DWORD>(TYMED_MFPICT));
    const auto* header = static_cast<const METAFILEPICT*>(GlobalLock(medium.hMetaFilePict));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->mm, MM_ANISOTROPIC);
    EXPECT_EQ(header->xExt, 5292); // 200 pixels at 96 per inch, in HIMETRIC
    EXPECT_NE(header->hMF, nullptr);
    GlobalUnlock(medium.hMetaFilePict);
    ReleaseStgMedium(&medium);
    FORMATETC text{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_NE(data->GetData(&text, &medium), S_OK);
    data->Release();

    // OLE draws it into a device context of its own.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 200, 150);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT bounds{0, 0, 200, 150};
    EXPECT_EQ(OleDraw(loaded, DVASPECT_CONTENT, dc, &bounds), S_OK);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);

    loaded->Release();
    object->Close(OLECLOSE_NOSAVE);
    object->Release();
    storage->Release();
    CoFreeUnusedLibraries();
}

// A stream in the storage that is not the control's is refused, not read.
TEST(Insertable, ADamagedStorageIsRefused)
{
    IStorage* storage = memoryStorage();
    ASSERT_NE(storage, nullptr);
    IStream* stream = nullptr;
    ASSERT_EQ(storage->CreateStream(L"Properties", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream),
              S_OK);
    const char junk[] = "VEPX\1\0\0\0\377\377\377\377";
    stream->Write(junk, sizeof junk - 1, nullptr);
    stream->Release();
    IPersistStorage* persist = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ImageCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistStorage,
                               reinterpret_cast<void**>(&persist)),
              S_OK);
    EXPECT_TRUE(FAILED(persist->Load(storage)));
    persist->Release();
    storage->Release();
}

// The Properties verb is on every container's menu, and each listed verb
// is one DoVerb takes.
TEST(Verbs, TheControlListsItsVerbsAndDoVerbTakesEach)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"page", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 400, 300,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    TestBrowser browser(L"http://127.0.0.1:9/ImageViewer", window);
    TestSite site(window, RECT{10, 20, 330, 260}, &browser);
    IOleObject* object = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ImageCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    IEnumOLEVERB* verbs = nullptr;
    ASSERT_EQ(object->EnumVerbs(&verbs), S_OK);
    std::map<LONG, std::wstring> listed;
    std::map<LONG, DWORD> attributes;
    OLEVERB verb{};
    while (verbs->Next(1, &verb, nullptr) == S_OK) {
        listed[verb.lVerb] = verb.lpszVerbName ? verb.lpszVerbName : L"";
        attributes[verb.lVerb] = verb.grfAttribs;
        CoTaskMemFree(verb.lpszVerbName);
    }
    verbs->Release();
    EXPECT_EQ(listed[OLEIVERB_PRIMARY], L"&Edit");
    EXPECT_EQ(listed[OLEIVERB_PROPERTIES], L"&Properties...");
    EXPECT_TRUE(attributes[OLEIVERB_PROPERTIES] & OLEVERBATTRIB_ONCONTAINERMENU);
    for (LONG v : {OLEIVERB_SHOW, OLEIVERB_UIACTIVATE, OLEIVERB_INPLACEACTIVATE, OLEIVERB_HIDE})
        EXPECT_EQ(listed.count(v), 1u) << v;
    RECT position{10, 20, 330, 260};
    for (const auto& [number, name] : listed)
        EXPECT_EQ(object->DoVerb(number, nullptr, &site, 0, window, &position), S_OK) << narrow(name);
    EXPECT_EQ(site.m_propertyFrames, 1);

    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    object->Release();
    DestroyWindow(window);
    CoFreeUnusedLibraries();
}

// The system's script host creates the control by its ProgID, as a script
// on a page or in a task does; the control answers no member of its own.
TEST(ScriptHost, CreatesTheControlByItsProgId)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring script = std::wstring(folder) + L"camview-create.js";
    HANDLE file = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const char text[] = "var control = new ActiveXObject(\"RW-DPV20.ImageCtrl.1\");\r\n"
                        "var answered = false;\r\n"
                        "try { answered = control.ReadyState !== undefined; } catch (e) {}\r\n"
                        "WScript.Quit(typeof control == \"object\" && !answered ? 0 : 3);\r\n";
    DWORD written = 0;
    WriteFile(file, text, sizeof text - 1, &written, nullptr);
    CloseHandle(file);
    const DWORD code = runProcess(L"cscript.exe //nologo \"" + script + L"\"", 60000);
    DeleteFileW(script.c_str());
    EXPECT_EQ(code, 0u);
}

// The module starts Windows Sockets on the first entry point that needs
// it, not while the loader holds its lock: a process that only loads the
// module has no sockets started.
TEST(ModuleStart, LoadingStartsNoLibraryTheFirstClassObjectDoes)
{
    EXPECT_EQ(runChild(L"ModuleStartChild.*"), 0u);
}

TEST(ModuleStartChild, InAFreshProcess)
{
    if (!inChild()) GTEST_SKIP() << "runs as a child of ModuleStart";
    HMODULE module = LoadLibraryW(modulePath().c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto entry = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")));
    ASSERT_NE(entry, nullptr);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(entry(CLSID_ImageCtrl, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    factory->Release();
    EXPECT_EQ(WSACleanup(), 0);
}

// A module in a folder whose name the ANSI code page cannot spell registers
// with its path as it is, and containers create the control from there.
TEST(UnicodeFolder, TheModuleRegistersAndIsCreatedFromAFolderOutsideTheAnsiCodePage)
{
    const std::wstring folder = exeDirectory() + L"\\\u0141\u00f3d\u017a";
    const std::wstring copy = folder + L"\\VE_VIRIZU.OCX";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(modulePath().c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(regsvr32(L"/s", copy), 0u);
    EXPECT_EQ(differences(expectedEntries(copy), registeredEntries()), std::vector<std::string>{});
    SetEnvironmentVariableW(L"VE_MODULE_COPY", copy.c_str());
    EXPECT_EQ(runChild(L"UnicodeFolderChild.*"), 0u);
    SetEnvironmentVariableW(L"VE_MODULE_COPY", nullptr);
    EXPECT_EQ(regsvr32(L"/u /s", copy), 0u);
    EXPECT_EQ(regsvr32(L"/s"), 0u);
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(UnicodeFolderChild, CreatesTheControlFromTheCopy)
{
    if (!inChild()) GTEST_SKIP() << "runs as a child of UnicodeFolder";
    wchar_t copy[MAX_PATH] = L"";
    ASSERT_GT(GetEnvironmentVariableW(L"VE_MODULE_COPY", copy, MAX_PATH), 0u);
    IUnknown* control = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ImageCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&control)),
              S_OK);
    EXPECT_NE(GetModuleHandleW(copy), nullptr);
    control->Release();
}

} // namespace
