// The simulated camera's view: a synthetic scene under a pan, tilt and
// zoom, with the frame number and send time drawn in, encoded as JPEG with
// a comment segment carrying two motion levels.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class Scene {
public:
    // Pan and tilt in scene units (the centre of the view), zoom as a
    // magnification of 100 (1x) and up.
    void recentre(double dx, double dy);
    void setZoom(int magnification);
    int zoom() const;

    std::vector<std::uint8_t> frame(int width, int height, long number, std::int64_t sendTimeUs);

private:
    mutable std::mutex m_mutex;
    double m_panX = 0.5;
    double m_panY = 0.5;
    int m_zoom = 100;
};
