// The page's parameters: exchanged in a fixed order, the text ones decoded
// into feature bits, the sizes and centres derived from them; the first
// exchange also starts the stream machinery.
#include <climits>
#include <cstring>
#include <new>

#include "control/ImageCtrl.h"
#include "operation/ZoomController.h"
#include "stream/StreamBuffer.h"

namespace {

bool beginsWith(const std::string& value, const char* keyword)
{
    return value.compare(0, std::strlen(keyword), keyword) == 0;
}

// A decimal number as the C library reads one: leading blanks, an optional
// sign, digits up to the first non-digit; no digits give 0. Values beyond
// the range of int are held at its ends.
int readNumber(const char* p)
{
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

} // namespace

void CImageCtrl::DoPropExchange(CPropExchange* pPX)
{
    ExchangeVersion(pPX, IMAGECTRL_PROP_VERSION);
    COleControl::DoPropExchange(pPX);

    if (pPX->IsLoading() && m_lReadyState != READYSTATE_LOADING) InternalSetReadyState(READYSTATE_LOADING);

    PX_String(pPX, "ImagePath", m_strImagePath, "");
    PX_Short(pPX, "ImageWidth", m_nImageWidth, 320);
    PX_Short(pPX, "ImageHeight", m_nImageHeight, 240);
    PX_Bool(pPX, "AutoSize", m_bAutoSize, TRUE);
    PX_Short(pPX, "Language", m_nLanguage, 0);
    PX_String(pPX, "ImageHeader", m_strImageHeader, "");
    PX_Short(pPX, "TaskId", m_nTaskId, 0);

    // The text parameters live only as feature bits. A save writes them back
    // empty and must not decode them: decoding the empty click text would add
    // FEATURE_CLICK_OFF and turn click-and-centre off.
    const bool decode = pPX->IsLoading() != FALSE;
    std::string strTemp;
    PX_String(pPX, "DigitalZoom", strTemp, "");
    if (decode && beginsWith(strTemp, "Enable")) m_byFeatures |= FEATURE_DIGITAL_ZOOM;
    strTemp.clear();
    PX_String(pPX, "ControlZoom", strTemp, "");
    if (decode && beginsWith(strTemp, "Enable")) {
        m_byFeatures &= static_cast<BYTE>(~FEATURE_DIGITAL_ZOOM);
        m_byFeatures |= FEATURE_OPTICAL_ZOOM;
    }
    strTemp.clear();
    PX_String(pPX, "ClickAndCenter", strTemp, "");
    if (decode) {
        if (beginsWith(strTemp, "Real"))
            m_byFeatures |= FEATURE_CLICK_REAL;
        else if (beginsWith(strTemp, "Emulate"))
            m_byFeatures |= FEATURE_CLICK_EMULATE;
        else
            m_byFeatures |= FEATURE_CLICK_OFF;
    }
    strTemp.clear();
    PX_String(pPX, "ControlTarget", strTemp, "");
    if (decode) {
        std::strncpy(m_szControlTarget, strTemp.c_str(), sizeof m_szControlTarget - 1);
        m_szControlTarget[sizeof m_szControlTarget - 1] = '\0';
    }
    strTemp.clear();
    PX_String(pPX, "UseChangeResolution", strTemp, "");
    if (decode && beginsWith(strTemp, "Enable")) m_byFeatures |= FEATURE_CHANGE_RESOLUTION;
    strTemp.clear();
    PX_String(pPX, "MotionDetect", strTemp, "");
    if (decode && beginsWith(strTemp, "Setting")) m_byFeatures |= FEATURE_MOTION_SETTING;

    if (m_nImageWidth == 0 || m_nImageHeight == 0) {
        m_nImageWidth = 320;
        m_nImageHeight = 240;
    }
    const int w = m_nImageWidth;
    const int h = m_nImageHeight;

    m_dPanScale = w == 640 ? 2.0 : w == 160 ? 0.5 : 1.0;
    m_ptViewCenter = POINT{w / 2, h / 2};
    m_ptTargetCenter = m_ptViewCenter;
    if ((m_byFeatures & FEATURE_CHANGE_RESOLUTION) && ((w == 160 && h == 120) || (w == 320 && h == 240)))
        m_bResolutionSwitch = TRUE;
    m_nStreamWidth = w;
    m_nStreamHeight = h;
    const auto at = m_strImagePath.find("Resolution=");
    if (at != std::string::npos) {
        const auto numberAt = at + std::strlen("Resolution=");
        m_nStreamWidth = readNumber(m_strImagePath.c_str() + numberAt);
        const auto x = m_strImagePath.find('x', numberAt);
        if (x != std::string::npos) m_nStreamHeight = readNumber(m_strImagePath.c_str() + x + 1);
    }

    SetInitialSize(w, h);
    SetControlSize(w, h);

    if (m_pStreamBuffer) m_pStreamBuffer->SetText(SB_PATH, m_strImagePath);

    if (!m_pStreamClient) StartStreamMachinery();

    if (!m_pZoom && (m_byFeatures & FEATURE_OPTICAL_ZOOM)) {
        SHORT maxMag = ZOOM_DEFAULT_MAX_MAG;
        SHORT minMag = ZOOM_DEFAULT_MIN_MAG;
        SHORT maxSpeed = ZOOM_DEFAULT_MAX_SPEED;
        SHORT minSpeed = ZOOM_DEFAULT_MIN_SPEED;
        PX_Short(pPX, "maxMag", maxMag, ZOOM_DEFAULT_MAX_MAG);
        PX_Short(pPX, "minMag", minMag, ZOOM_DEFAULT_MIN_MAG);
        PX_Short(pPX, "maxSpeed", maxSpeed, ZOOM_DEFAULT_MAX_SPEED);
        PX_Short(pPX, "minSpeed", minSpeed, ZOOM_DEFAULT_MIN_SPEED);
        m_pZoom = new (std::nothrow) CZoomController(maxSpeed, minSpeed, maxMag, minMag);
    }
}
