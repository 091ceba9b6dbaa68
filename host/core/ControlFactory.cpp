#include "host/core/ControlFactory.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/com/ComCreation.h"
#include "platform/com/Guid.h"
#include "platform/com/Variant.h"

bool ClassOf(const std::string& classText, CLSID* clsid)
{
    if (classText.empty() || !clsid) return false;
    if (const auto guid = GuidFromString(classText)) {
        *clsid = *guid;
        return true;
    }
    const OleString progId = Utf8ToOle(classText);
    return SUCCEEDED(CLSIDFromProgID(progId.c_str(), clsid));
}

namespace {

// Whether two module files hold the same bytes.
bool sameModule(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::ifstream one(a, std::ios::binary);
    std::ifstream two(b, std::ios::binary);
    if (!one || !two) return false;
    return std::equal(std::istreambuf_iterator<char>(one), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(two), std::istreambuf_iterator<char>());
}

std::string utf8(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

HRESULT createInstance(REFCLSID clsid, IOleObject** object)
{
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(object));
}

} // namespace

HRESULT CreateControl(const std::string& classText, const std::string& modulePath, IOleObject** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    CLSID clsid{};
    if (!ClassOf(classText, &clsid)) return REGDB_E_CLASSNOTREG;
    const std::filesystem::path ours(std::u8string(modulePath.begin(), modulePath.end()));
    const std::filesystem::path registered = RegisteredModule(clsid);
    std::error_code error;
    const bool gone = !registered.empty() && !std::filesystem::exists(registered, error);
    HRESULT hr = gone ? REGDB_E_CLASSNOTREG : createInstance(clsid, object);
    // Each registered module is compared once, however many controls a
    // page has.
    static std::set<std::filesystem::path> compared;
    if (SUCCEEDED(hr) && !ours.empty() && !registered.empty() && !SameModulePath(registered, ours) &&
        compared.insert(registered).second && !sameModule(registered, ours))
        std::fprintf(stderr, "camview: warning: the control is registered with %s, not with camview's own module %s\n",
                     utf8(registered).c_str(), modulePath.c_str());
    if (hr != REGDB_E_CLASSNOTREG || ours.empty()) return hr;
    if (FAILED(RegisterModule(ours))) return hr;
    return createInstance(clsid, object);
}
