#include "tests/windows/support/ModuleHarness.h"

#include <gtest/gtest.h>

#include <olectl.h>
#include <turbojpeg.h>
#include <wininet.h>

#include <cstdlib>

#include "control/ImageCtrlIds.h"
#include "tests/module/RegistrationEntries.h"

namespace {
std::string utf8(const std::wstring& text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                           nullptr);
    std::string out(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), length, nullptr,
                            nullptr);
    return out;
}
std::wstring wideOf(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), length);
    return out;
}
} // namespace

std::wstring exeDirectory()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, length);
    return p.substr(0, p.find_last_of(L"\\/"));
}

// The module beside the test program.
std::wstring modulePath() { return exeDirectory() + L"\\VE_VIRIZU.OCX"; }

std::string narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// Runs regsvr32 on the module and returns its exit code.
DWORD runProcess(std::wstring command, DWORD waitMs)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return static_cast<DWORD>(-1);
    WaitForSingleObject(process.hProcess, waitMs);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

DWORD regsvr32(const std::wstring& options, const std::wstring& module)
{
    return runProcess(L"regsvr32.exe " + options + L" \"" + module + L"\"", 60000);
}

std::wstring guidText(REFGUID guid)
{
    wchar_t text[64];
    StringFromGUID2(guid, text, 64);
    return text;
}

// Every key under HKEY_CLASSES_ROOT\path and every string value in them,
// as "key" and "key|name=value" (the default value's name is @).
void readTree(const std::wstring& path, std::set<std::wstring>& out, REGSAM view)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return;
    out.insert(path);
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        BYTE data[2048];
        DWORD nameLength = 256;
        DWORD dataLength = sizeof data - 2;
        DWORD type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) break;
        if (type != REG_SZ) continue;
        data[dataLength] = data[dataLength + 1] = 0;
        out.insert(path + L"|" + (nameLength ? std::wstring(name, nameLength) : L"@") + L"=" +
                   reinterpret_cast<const wchar_t*>(data));
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(name, nameLength);
    }
    RegCloseKey(key);
    for (const auto& sub : subkeys) readTree(path + L"\\" + sub, out, view);
}

std::set<std::wstring> registeredEntries()
{
    std::set<std::wstring> out;
    for (const std::wstring& root :
         {L"CLSID\\" + guidText(CLSID_ImageCtrl), L"CLSID\\" + guidText(CLSID_ImagePropPage),
          std::wstring(L"RW-DPV20.ImageCtrl.1"), L"TypeLib\\" + guidText(LIBID_ImageCtrlLib),
          L"Interface\\" + guidText(IID__ZEz_orerir), L"Interface\\" + guidText(IID__VEd_oruvudUruzuv)})
        readTree(root, out);
    return out;
}

// What registration writes: the list the Linux registration writes too,
// with Windows' name for the platform's type library key.
std::set<std::wstring> expectedEntries(const std::wstring& modulePathW)
{
    const std::string module = utf8(modulePathW);
    const std::string platform = sizeof(void*) == 8 ? "win64" : "win32";
    std::set<std::wstring> out;
    for (const std::string& entry : RegistrationEntries(module, module.substr(0, module.find_last_of("\\/") + 1), platform))
        out.insert(wideOf(entry));
    return out;
}

std::vector<std::string> differences(const std::set<std::wstring>& expected, const std::set<std::wstring>& found)
{
    std::vector<std::string> out;
    for (const auto& e : expected)
        if (!found.count(e)) out.push_back("missing: " + narrow(e));
    for (const auto& f : found)
        if (!expected.count(f)) out.push_back("extra:   " + narrow(f));
    return out;
}

using Entry = HRESULT(STDAPICALLTYPE*)();

HRESULT moduleCanUnloadNow()
{
    HMODULE module = GetModuleHandleW(L"VE_VIRIZU.OCX");
    if (!module) return S_OK; // not loaded at all
    auto entry = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(module, "DllCanUnloadNow")));
    return entry ? entry() : E_FAIL;
}

// One picture of the camera's stream, fetched the way any client would.
std::vector<unsigned char> fetchFrame(const std::string& camera)
{
    std::vector<unsigned char> bytes;
    HINTERNET session = InternetOpenA("module-test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (!session) return bytes;
    const std::string url = camera + "/cgi-bin/nphContinuousServerPush?Resolution=320x240";
    HINTERNET request = InternetOpenUrlA(session, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
    std::string data;
    if (request) {
        char buffer[65536];
        DWORD read = 0;
        // Until a second boundary closes the first part.
        while (data.size() < 4'000'000 && InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0) {
            data.append(buffer, read);
            const auto first = data.find("--myboundary");
            if (first != std::string::npos && data.find("--myboundary", first + 12) != std::string::npos) break;
        }
        InternetCloseHandle(request);
    }
    InternetCloseHandle(session);
    const auto first = data.find("--myboundary");
    const auto second = first == std::string::npos ? first : data.find("--myboundary", first + 12);
    const auto start = first == std::string::npos ? first : data.find("\xFF\xD8", first);
    if (second == std::string::npos || start == std::string::npos || start > second) return bytes;
    const auto end = data.rfind("\xFF\xD9", second);
    if (end == std::string::npos || end < start) return bytes;
    bytes.assign(data.begin() + static_cast<std::ptrdiff_t>(start), data.begin() + static_cast<std::ptrdiff_t>(end + 2));
    return bytes;
}


// Decoded as the control decodes: the fast integer transform, no smoothing
// of chroma.
Picture decode(const std::vector<unsigned char>& jpeg)
{
    Picture p;
    tjhandle handle = tjInitDecompress();
    int subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()), &p.width, &p.height,
                            &subsampling, &colourspace) == 0) {
        p.bgr.resize(static_cast<std::size_t>(p.width) * p.height * 3);
        if (tjDecompress2(handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()), p.bgr.data(), p.width,
                          p.width * 3, p.height, TJPF_BGR, TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE) != 0)
            p.bgr.clear();
    }
    tjDestroy(handle);
    return p;
}

namespace {

// What `draw` puts into a 32-bit DIB section of width x height, top row
// first; no pixels when it fails.
template <typename Draw>
Picture captured(int width, int height, Draw draw)
{
    Picture p{width, height, {}};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    if (draw(dc)) {
        GdiFlush();
        const auto* px = static_cast<const unsigned char*>(bits);
        for (int i = 0; i < width * height; ++i) p.bgr.insert(p.bgr.end(), px + i * 4, px + i * 4 + 3);
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return p;
}

} // namespace

Picture paint(IViewObject* view, int width, int height)
{
    const RECTL bounds{0, 0, width, height};
    return captured(width, height, [&](HDC dc) {
        return SUCCEEDED(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0));
    });
}

Picture play(HENHMETAFILE metafile, int width, int height)
{
    const RECT bounds{0, 0, width, height};
    return captured(width, height, [&](HDC dc) { return PlayEnhMetaFile(dc, metafile, &bounds) != FALSE; });
}

bool inChild()
{
    const char* child = std::getenv("VE_CHILD");
    return child && *child;
}

DWORD runChild(const std::wstring& filter)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=" + filter;
    SetEnvironmentVariableW(L"VE_CHILD", L"1");
    const DWORD code = runProcess(command, 120000);
    SetEnvironmentVariableW(L"VE_CHILD", nullptr);
    return code;
}

