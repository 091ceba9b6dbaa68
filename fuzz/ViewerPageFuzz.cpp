// Reading arbitrary bytes as a viewer page.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/core/page/ViewerPage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto objects = ParseViewerPage(std::string(reinterpret_cast<const char*>(data), size));
    for (const auto& o : objects)
        if (o.width < 0 || o.height < 0) std::abort();
    return 0;
}
