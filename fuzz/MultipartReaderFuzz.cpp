// Any picture stream's reader over arbitrary heads and bodies cut into
// arbitrary reads, with and without chunk framing, in a small buffer:
// parts always lie inside the held bytes, what is dropped was held, and a
// full buffer always gets room again.
//
// Input: a byte choosing the read size, a byte choosing the buffer size and
// the chunk framing, the Content-Type value up to the first line feed, then
// the body.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "stream/ChunkedDecoder.h"
#include "stream/MultipartReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    const std::size_t chunk = (data[0] % 97) + 1;
    const DWORD capacity = 32 + (data[1] & 0x7f) * 8;
    const bool chunked = data[1] & 0x80;
    const auto* text = reinterpret_cast<const char*>(data + 2);
    const std::string_view rest(text, size - 2);
    const std::size_t lf = rest.find('\n');
    const std::string_view head = rest.substr(0, lf);
    const std::string_view body = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);

    const MultipartType type = CMultipartReader::ParseContentType(head);
    if (type.mediaType.size() > CMultipartReader::kMaxMediaType || type.boundary.size() > CMultipartReader::kMaxBoundary)
        std::abort();
    CMultipartReader reader;
    if (!reader.Begin(type, capacity)) return 0;
    CChunkedDecoder decoder;
    std::vector<BYTE> held;
    held.reserve(capacity);
    std::vector<BYTE> read;
    for (std::size_t at = 0; at < body.size();) {
        if (held.size() >= capacity) {
            const DWORD drop = reader.Overflow(static_cast<DWORD>(held.size()));
            if (drop > held.size() || held.size() - drop >= capacity) std::abort();
            held.erase(held.begin(), held.begin() + drop);
        }
        const std::size_t n = std::min({chunk, body.size() - at, static_cast<std::size_t>(capacity - held.size())});
        read.assign(body.begin() + static_cast<std::ptrdiff_t>(at), body.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
        DWORD added = static_cast<DWORD>(n);
        if (chunked) added = decoder.Decode(read.data(), added);
        if (added > n) std::abort();
        held.insert(held.end(), read.begin(), read.begin() + added);
        LONG start = -1, length = 0;
        while (reader.NextPart(held.data(), static_cast<DWORD>(held.size()), &start, &length))
            if (start < 0 || length <= 0 || static_cast<std::size_t>(start) + static_cast<std::size_t>(length) > held.size())
                std::abort();
        DWORD count = 0, last = 0;
        if (reader.TakeOversized(&count, &last) && count == 0) std::abort();
        const DWORD done = reader.Settle();
        if (done > held.size()) std::abort();
        held.erase(held.begin(), held.begin() + done);
    }
    return 0;
}
