// The Linux stand-in's own drawing calls: device contexts over its
// surfaces, which a container paints and reads back, and the PNG writer for
// snapshots. None of them is a Windows call, so they live in namespace
// standin; only the stand-in's own side calls them.
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/linux/Surface.h"

namespace standin {

// A device context that paints into `surface`, with the given origin (the
// container's position of the control on it) and an optional clip in
// surface coordinates.
HDC CreateSurfaceDC(std::shared_ptr<Surface> surface, int originX = 0, int originY = 0, const RECT* clip = nullptr);
// The surface a device context paints into, kept alive by the caller; null
// for an unknown context.
std::shared_ptr<Surface> GetDCSurface(HDC hdc);

// Writes the surface as an RGB PNG; false when the file cannot be written.
bool WriteSurfacePng(const Surface& surface, const std::string& path);

} // namespace standin
