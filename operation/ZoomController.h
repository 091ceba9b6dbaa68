// CZoomController: the camera's optical zoom limits and address, and the
// workers that carry zoom commands to the camera.
#pragma once

#include "platform/win/WinTypes.h"

class CZoomController {
public:
    CZoomController(SHORT maxSpeed, SHORT minSpeed, SHORT maxMag, SHORT minMag);
    virtual ~CZoomController();
    CZoomController(const CZoomController&) = delete;
    CZoomController& operator=(const CZoomController&) = delete;

    SHORT GetMaxSpeed() const { return m_nMaxSpeed; }
    SHORT GetMinSpeed() const { return m_nMinSpeed; }
    SHORT GetMaxMag() const { return m_nMaxMag; }
    SHORT GetMinMag() const { return m_nMinMag; }

private:
    SHORT m_nMaxSpeed;
    SHORT m_nMinSpeed;
    SHORT m_nMaxMag;
    SHORT m_nMinMag;
};
