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

    // `drift` moves the view sideways (scene units) without changing the
    // pan, to give a loop of frames some motion.
    std::vector<std::uint8_t> frame(int width, int height, long number, std::int64_t sendTimeUs, double drift = 0);

    // Rewrites the frame number, motion levels and send time in the comment
    // segment `frame` put after the start-of-image marker; fixed-size fields,
    // so a stored frame can be sent again as a new one.
    static void Stamp(std::vector<std::uint8_t>& jpeg, long number, std::int64_t sendTimeUs);

private:
    mutable std::mutex m_mutex;
    double m_panX = 0.5;
    double m_panY = 0.5;
    int m_zoom = 100;
};
