// CStreamBuffer: the stream buffer block, allocated once and shared by the
// control and its stream client. It holds the frame slot (the frame handed
// from the receive step to drawing), the connection's texts and numbers, and
// the receive buffer with its scratch area.
#pragma once

#include <string>

#include "platform/win/WinTypes.h"

constexpr DWORD STREAM_RECEIVE_SIZE = 512000;
constexpr DWORD STREAM_PATTERN_SIZE = 100;

// Codes of the block's get and set operations.
enum class StreamBufferCode : BYTE {
    SB_PATH = 0,
    SB_FRAME_LENGTH = 2,
    SB_FRAME_BYTES = 5,
    SB_FRAME_READY = 6,
    SB_NO_CACHE = 7,
    SB_PORT = 11,
    SB_CREDENTIALS = 15,
    SB_PROXY_CREDENTIALS = 16,
    SB_SPARE_TEXT = 17,
    SB_CREDENTIALS_OR_CLEAR = 18,
};
using enum StreamBufferCode;

struct StreamBufferBlock {
    BYTE* frameBytes = nullptr;
    DWORD frameLength = 0;
    BYTE pattern[STREAM_PATTERN_SIZE] = {};
    BYTE frameReady = 0;
    std::string path;
    std::string pageUrl;
    std::string credentials;
    std::string spareText;
    std::string hostPrefix;
    std::string userName;
    std::string password;
    char* host = nullptr;
    BYTE noCache = 0;
    LONG port = 0;
    BYTE receive[STREAM_RECEIVE_SIZE];
    BYTE scratch[STREAM_RECEIVE_SIZE];
    DWORD held = 0;
    LONG parseMode = 0;
    DWORD patternLength = 0;
};

class CStreamBuffer {
public:
    CStreamBuffer();
    virtual ~CStreamBuffer();
    CStreamBuffer(const CStreamBuffer&) = delete;
    CStreamBuffer& operator=(const CStreamBuffer&) = delete;

    // The block, or null when it could not be allocated.
    StreamBufferBlock* GetBlock() { return m_pBlock; }

    // Sets the boundary pattern to its first form and clears the no-cache flag.
    void InitBuffer();
    // Empties the receive buffer and the frame length; 0, or -1 without a block.
    int Reset();
    BYTE* GetData(StreamBufferCode code);
    LONG GetNumber(StreamBufferCode code);
    BYTE GetFlag(StreamBufferCode code);
    void SetFlag(StreamBufferCode code, BYTE value);
    void SetText(StreamBufferCode code, const std::string& text);

    // The boundary scan over the receive buffer: count is the number of held
    // bytes less the pattern length, mode the parse mode. Gives the frame's
    // start and length (start -1: no frame) and how many bytes the frame
    // consumes; returns the new parse mode.
    BYTE CutFrame(const BYTE* bytes, DWORD count, BYTE mode, LONG* start, LONG* consumed, LONG* length);
    // The scan of the final extraction (type 2 when no frame was cut on the
    // connection, else 3), with its fallback to the bare boundary line.
    BYTE CutFinal(const BYTE* bytes, DWORD held, BYTE type, LONG* start, LONG* consumed, LONG* length);
    // Where the data of the last part in the held bytes begins (past its
    // boundary and header), or -1 when they hold no whole boundary with its
    // header end.
    LONG LastPartStart(const BYTE* bytes, DWORD held) const;
    // The first position at or after `from` where the whole boundary
    // pattern lies within the held bytes, or -1.
    LONG FirstBoundary(const BYTE* bytes, DWORD from, DWORD held) const;
    // Replaces the frame slot with a copy of the bytes and sets the ready
    // flag; false when the copy cannot be allocated.
    bool StoreFrame(const BYTE* bytes, DWORD length);
    // Drops the first `consumed` held bytes of the receive buffer (all of
    // them when it is more), moving the rest to its start through the
    // scratch area. Nothing for zero or less.
    void Consume(LONG consumed);

private:
    StreamBufferBlock* m_pBlock;
};
