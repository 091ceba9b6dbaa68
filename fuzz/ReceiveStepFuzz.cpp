// The boundary scan and the final extraction over arbitrary bytes cut into
// arbitrary reads: frames always lie inside the held bytes, and so do the
// part starts and boundaries found for a part too large for the buffer.
// The walk to a picture's end over the same reads finds what one walk over
// all of them finds, inside the bytes and at an end-of-image marker.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "stream/JpegEnd.h"
#include "stream/StreamBuffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static CStreamBuffer* buffer = new CStreamBuffer;
    buffer->InitBuffer();
    buffer->Reset();
    StreamBufferBlock* b = buffer->GetBlock();
    // The first byte chooses the read size, as a socket would split reads.
    const std::size_t chunk = size ? (data[0] % 97) + 1 : 1;
    std::size_t at = size ? 1 : 0;
    const std::uint8_t* picture = data + at;
    CJpegEnd walk;
    std::size_t pictureEnd = 0;
    while (at < size) {
        if (b->held >= STREAM_RECEIVE_SIZE) {
            b->held = 0;
            b->parseMode = 0;
        }
        const std::size_t n = std::min({chunk, size - at, static_cast<std::size_t>(STREAM_RECEIVE_SIZE - b->held)});
        std::memcpy(b->receive + b->held, data + at, n);
        b->held += static_cast<DWORD>(n);
        at += n;
        if (const std::size_t end = walk.Walk(picture, static_cast<std::size_t>(data + at - picture))) {
            if (pictureEnd && end != pictureEnd) std::abort();
            pictureEnd = end;
        }
        // What the control asks when it follows a part too large for the
        // buffer: positions inside the held bytes, a whole pattern at a
        // boundary.
        const LONG part = buffer->LastPartStart(b->receive, b->held);
        if (part > static_cast<LONG>(b->held)) std::abort();
        const LONG next = buffer->FirstBoundary(b->receive, static_cast<DWORD>(part > 0 ? part : 0), b->held);
        if (next >= 0 && (static_cast<DWORD>(next) + b->patternLength > b->held ||
                          std::memcmp(b->receive + next, b->pattern, b->patternLength) != 0))
            std::abort();
        if (b->held <= b->patternLength) continue;
        LONG start, consumed, length;
        b->parseMode = buffer->CutFrame(b->receive, b->held - b->patternLength, static_cast<BYTE>(b->parseMode), &start,
                                        &consumed, &length);
        if (start >= 0 && (length <= 0 || static_cast<DWORD>(start) + static_cast<DWORD>(length) > b->held)) std::abort();
        if (start >= 0) buffer->StoreFrame(b->receive + start, static_cast<DWORD>(length));
        if (consumed > 0) {
            if (static_cast<DWORD>(consumed) > b->held) std::abort();
            b->held -= static_cast<DWORD>(consumed);
            std::memmove(b->receive, b->receive + consumed, b->held);
        }
    }
    CJpegEnd whole;
    if (size && whole.Walk(picture, static_cast<std::size_t>(data + size - picture)) != pictureEnd) std::abort();
    if (pictureEnd && (picture + pictureEnd > data + size || picture[pictureEnd - 2] != 0xFF || picture[pictureEnd - 1] != 0xD9))
        std::abort();
    LONG start, consumed, length;
    buffer->CutFinal(b->receive, b->held, b->parseMode == 0 ? 2 : 3, &start, &consumed, &length);
    if (start >= 0 && static_cast<DWORD>(start) + static_cast<DWORD>(length) > b->held) std::abort();
    return 0;
}
