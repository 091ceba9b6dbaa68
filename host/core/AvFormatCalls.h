// The libavformat entry points recording uses, found when recording first
// needs them. Where FFmpeg is a shared library of the system, it is loaded
// then and not at start: it and the hundred-odd libraries it depends on
// cost a viewer that never records some 40 ms of processor time at every
// start. Where FFmpeg is built into the viewer, the table holds its own
// functions.
#pragma once

#include <string>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

struct AvFormatCalls {
    decltype(&avformat_alloc_output_context2) allocOutputContext2;
    decltype(&avformat_new_stream) newStream;
    decltype(&avformat_write_header) writeHeader;
    decltype(&av_write_frame) writeFrame;
    decltype(&av_write_trailer) writeTrailer;
    decltype(&avformat_free_context) freeContext;
    decltype(&avio_open) ioOpen;
    decltype(&avio_closep) ioClose;
    decltype(&av_packet_alloc) packetAlloc;
    decltype(&av_packet_free) packetFree;
    decltype(&av_dict_set) dictSet;
    decltype(&av_dict_free) dictFree;
    decltype(&av_rescale_q) rescaleQ;
    decltype(&av_strerror) strError;
};

// The table, every entry set; null when the library cannot be loaded or
// lacks one of them, with why in `why` (words for the person recording).
// Loaded once for the process; safe to call from any thread.
const AvFormatCalls* GetAvFormatCalls(std::string* why);
