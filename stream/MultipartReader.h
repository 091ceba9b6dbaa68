// CMultipartReader: cuts the parts of a multipart/x-mixed-replace body out
// of the bytes held in the receive buffer, for any boundary the response
// names. It keeps only positions into those bytes: the caller feeds the
// held bytes, takes the parts it is given, then drops from the buffer's
// start what the reader no longer needs (Settle), and asks what to drop
// when the buffer is full with no part in sight (Overflow).
//
// A part runs from the empty line that ends its header to either its
// Content-Length (when the header gives one) or the line ending before the
// next boundary line. A part too large for the buffer is skipped and
// reported once its length is known.
#pragma once

#include <string>
#include <string_view>

#include "platform/win/WinTypes.h"

// What a response's Content-Type says: the media type (lower case, without
// parameters) and the boundary parameter, unquoted and without a leading
// "--" (empty when there is none).
struct MultipartType {
    std::string mediaType;
    std::string boundary;
    bool dashed = false; // the boundary was named with a leading "--"
    bool IsPictureStream() const { return mediaType == "multipart/x-mixed-replace"; }
};

class CMultipartReader {
public:
    // The longest boundary and header texts taken; longer ones are not
    // boundaries (garbage), and a header without end within the limit is
    // skipped.
    static constexpr size_t kMaxBoundary = 200;
    static constexpr DWORD kMaxHeader = 16 * 1024;
    // The longest media type reported; visible ASCII only.
    static constexpr size_t kMaxMediaType = 64;

    static MultipartType ParseContentType(std::string_view value);

    // Starts a new body with this boundary (without its leading "--"), in a
    // buffer of `capacity` bytes. `dashed`: the response named the boundary
    // with a leading "--", so lines that repeat it ("----NAME") are
    // boundaries too. An empty boundary is learnt from the body's first
    // line, which must then be a boundary line ("--NAME").
    
    void Begin(std::string_view boundary, DWORD capacity, bool dashed = false);
    // Begins a body of the type a response gave: false, with nothing
    // begun, when the type is no picture stream. A byte stream (what
    // ffmpeg calls its stream) learns its boundary from the body; a picture
    // stream without a boundary uses the camera's.
    bool Begin(const MultipartType& type, DWORD capacity);
    bool Started() const { return m_started; }
    // The body's first line was to name the boundary and did not: it is no
    // multipart body.
    bool NoBoundary() const { return m_noBoundary; }
    void Stop() { m_started = false; }

    // The next whole part within bytes[0, held): its start and length, or
    // false when more bytes are needed first.
    bool NextPart(const BYTE* bytes, DWORD held, LONG* start, LONG* length);
    // The bytes at the buffer's start no longer needed; the reader's
    // positions move down by as many. Call after taking the parts.
    DWORD Settle();
    // The buffer is full and no part can be cut: how many bytes to drop
    // from its start (the caller drops them).
    DWORD Overflow(DWORD held);
    // Parts dropped for their size since the last call: how many, and the
    // last one's length; false when none.
    bool TakeOversized(DWORD* count, DWORD* lastLength);

private:
    enum class Phase { Boundary, Header, Body, Skip };
    // Where the boundary line beginning at or after `from` starts and the
    // position past its line end; false when none is complete yet (*wait
    // then tells where to look again).
    // With `lineFrom` (not kNoLine) only boundaries at the start of a line
    // count, a line starting at lineFrom or after a line feed.
    static constexpr DWORD kNoLine = 0xFFFFFFFFu;
    enum class Found { None, Boundary, Close };
    Found findBoundary(const BYTE* bytes, DWORD from, DWORD held, DWORD lineFrom, DWORD* at, DWORD* past, DWORD* wait) const;
    // What follows the boundary name that ends at `end`: a boundary line
    // (past its line end in *past), a closing one, neither (None), or -1
    // in *more when its line is not complete yet.
    Found boundaryLine(const BYTE* bytes, DWORD end, DWORD held, DWORD* past, bool* more) const;
    // The start of the line holding the pattern at q, or kNoLine.
    DWORD lineStartOf(const BYTE* bytes, DWORD q, DWORD lineFrom) const;
    void reportOversized(unsigned long long length);

    // Learns the boundary from the first line at m_pos; false when more
    // bytes are needed or the line names none (then m_noBoundary).
    bool learnBoundary(const BYTE* bytes, DWORD held);

    bool m_started = false;
    bool m_noBoundary = false;
    std::string m_pattern; // "--" and the boundary name
    bool m_dashed = false;
    DWORD m_capacity = 0;
    Phase m_phase = Phase::Boundary;
    DWORD m_pos = 0;  // the first byte still needed
    DWORD m_scan = 0; // where the search for the closing boundary goes on
    long long m_length = -1; // the part's Content-Length; -1: none
    DWORD m_headerBytes = 0;
    unsigned long long m_skipLeft = 0;      // of a part too large, with its length
    unsigned long long m_droppedBytes = 0;  // of a part too large, without one
    DWORD m_oversizedCount = 0;
    DWORD m_oversizedLength = 0;
};
