#include "operation/ZoomController.h"

CZoomController::CZoomController(SHORT maxSpeed, SHORT minSpeed, SHORT maxMag, SHORT minMag)
    : m_nMaxSpeed(maxSpeed), m_nMinSpeed(minSpeed), m_nMaxMag(maxMag), m_nMinMag(minMag)
{
}

CZoomController::~CZoomController() = default;
