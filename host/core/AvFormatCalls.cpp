#include "host/core/AvFormatCalls.h"

#ifdef VE_AVFORMAT_LIBRARY
#include "platform/kernel/Library.h"
#endif

namespace {

struct Loaded {
    AvFormatCalls calls{};
    std::string failure; // empty when every entry was found
};

#ifdef VE_AVFORMAT_LIBRARY

// One entry point of the loaded library (or of the libraries it depends on,
// which it brings with it) into its slot; false when there is none.
template <class F>
bool find(HMODULE module, const char* name, F& slot, std::string& missing)
{
    slot = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    if (!slot && missing.empty()) missing = name;
    return slot != nullptr;
}

Loaded load()
{
    Loaded l;
    // Kept loaded for the rest of the process: recordings start and stop.
    HMODULE module = LoadLibraryA(VE_AVFORMAT_LIBRARY);
    if (!module) {
        l.failure = "the recording library " VE_AVFORMAT_LIBRARY " could not be loaded";
        return l;
    }
    std::string missing;
    AvFormatCalls& c = l.calls;
    bool all = find(module, "avformat_alloc_output_context2", c.allocOutputContext2, missing);
    all &= find(module, "avformat_new_stream", c.newStream, missing);
    all &= find(module, "avformat_write_header", c.writeHeader, missing);
    all &= find(module, "av_write_frame", c.writeFrame, missing);
    all &= find(module, "av_write_trailer", c.writeTrailer, missing);
    all &= find(module, "avformat_free_context", c.freeContext, missing);
    all &= find(module, "avio_open", c.ioOpen, missing);
    all &= find(module, "avio_closep", c.ioClose, missing);
    all &= find(module, "av_packet_alloc", c.packetAlloc, missing);
    all &= find(module, "av_packet_free", c.packetFree, missing);
    all &= find(module, "av_dict_set", c.dictSet, missing);
    all &= find(module, "av_dict_free", c.dictFree, missing);
    all &= find(module, "av_rescale_q", c.rescaleQ, missing);
    all &= find(module, "av_strerror", c.strError, missing);
    if (!all) l.failure = "the recording library " VE_AVFORMAT_LIBRARY " has no " + missing;
    return l;
}

#else

Loaded load()
{
    return Loaded{AvFormatCalls{avformat_alloc_output_context2, avformat_new_stream, avformat_write_header,
                                av_write_frame, av_write_trailer, avformat_free_context, avio_open, avio_closep,
                                av_packet_alloc, av_packet_free, av_dict_set, av_dict_free, av_rescale_q, av_strerror},
                  {}};
}

#endif

} // namespace

const AvFormatCalls* GetAvFormatCalls(std::string* why)
{
    static const Loaded loaded = load();
    if (!loaded.failure.empty()) {
        if (why) *why = loaded.failure;
        return nullptr;
    }
    return &loaded.calls;
}
