// Classifying arbitrary page addresses and stream paths: host, port and
// prefix always come out bounded and terminated.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "stream/StreamClient.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static CStreamBuffer* buffer = new CStreamBuffer;
    static CStreamClient* client = [] {
        auto* c = new CStreamClient(buffer);
        c->PublishState(STREAM_FAILED);
        return c;
    }();
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t split = text.find('\n');
    StreamBufferBlock* b = buffer->GetBlock();
    b->path = text.substr(0, split);
    b->pageUrl = split == std::string::npos ? "" : text.substr(split + 1);
    const bool parsed = b->path.compare(0, 7, "http://") == 0 ? client->ParseImageUrl() : client->ParsePageUrl();
    if (parsed) {
        if (!b->host) std::abort();
        const std::size_t hostLength = std::strlen(b->host);
        const int port = CStreamClient::ParsePort(b->host);
        if (port < 0 || port > 99999 || std::strlen(b->host) > hostLength) std::abort();
        if (b->hostPrefix.size() > text.size()) std::abort();
    }
    return 0;
}
