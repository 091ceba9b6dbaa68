// The motion-level reader over arbitrary frame bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "control/ImageCtrl.h"

namespace {
struct Probe : CImageCtrl {
    using CImageCtrl::InspectMotionComment;
    using CImageCtrl::m_chMotionBar1;
    using CImageCtrl::m_chMotionBar2;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Probe* probe = new Probe;
    // An exact-size copy, so that a read past the frame is caught.
    std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[size ? size : 1]);
    if (size) std::memcpy(frame.get(), data, size);
    if (probe->InspectMotionComment(frame.get(), frame.get() + size) == 0 &&
        (probe->m_chMotionBar1 > 20 || probe->m_chMotionBar2 > 20))
        std::abort();
    return 0;
}
