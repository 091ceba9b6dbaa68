#include "host/core/ControlPolicy.h"

#include <algorithm>
#include <cctype>

#include "host/core/page/ViewerPage.h"
#include "platform/com/OleInterfaces.h"

namespace {

// The image control's ProgID, as a page may name it instead of its class.
constexpr const char* kImageControlProgId = "RW-DPV20.ImageCtrl.1";

bool equalsIgnoringCase(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return i == a.size() && !b[i];
}

} // namespace

std::string ControlPolicy::Normalised(const std::string& classText) { return NormalisedClassId(classText); }

ControlPolicy::ControlPolicy(const std::vector<std::string>& allowedClasses)
{
    m_allowed.push_back(Normalised(kImageControlClass));
    for (const std::string& c : allowedClasses)
        if (const std::string n = Normalised(c); !n.empty()) m_allowed.push_back(n);
}

std::string ControlPolicy::refusal(const std::string& classText) const
{
    if (equalsIgnoringCase(classText, kImageControlProgId)) return {};
    const std::string normalised = Normalised(classText);
    if (!normalised.empty() && std::find(m_allowed.begin(), m_allowed.end(), normalised) != m_allowed.end()) return {};
    return "the page's control " + classText +
           " is not loaded: camview hosts the camera's image control only (--allow-class CLSID allows another)";
}

std::string ControlPolicy::declined(IUnknown* control, const std::string& classText)
{
    IObjectSafety* safety = nullptr;
    bool agreed = false;
    if (control && SUCCEEDED(control->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(&safety))) && safety) {
        agreed = SUCCEEDED(safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag, INTERFACESAFE_FOR_UNTRUSTED_DATA,
                                                             INTERFACESAFE_FOR_UNTRUSTED_DATA));
        safety->Release();
    }
    if (agreed) return {};
    return "the page's control " + classText +
           " is not loaded: it does not declare itself safe to be given a page's parameters";
}
