#include "host/core/serve/HttpServer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include <microhttpd.h>

#include "platform/service/ListenAddress.h"

namespace {

// What one request has gathered between libmicrohttpd's calls.
struct RequestState {
    std::string body;
    bool tooLarge = false;
};

// A stream's body and what it holds, freed with the connection's response.
struct StreamState {
    std::function<long(char*, std::size_t)> read;
};

ssize_t readStream(void* cls, uint64_t, char* out, size_t max)
{
    const long n = static_cast<StreamState*>(cls)->read(out, max);
    return n < 0 ? MHD_CONTENT_READER_END_OF_STREAM : static_cast<ssize_t>(n);
}

void freeStream(void* cls) { delete static_cast<StreamState*>(cls); }

MHD_Result collectArgument(void* cls, MHD_ValueKind, const char* key, const char* value)
{
    auto* query = static_cast<std::vector<std::pair<std::string, std::string>>*>(cls);
    if (query->size() >= 32) return MHD_NO;
    query->emplace_back(key ? key : "", value ? value : "");
    return MHD_YES;
}

void logLine(void*, const char* format, va_list args)
{
    char line[512];
    std::vsnprintf(line, sizeof line, format, args);
    std::size_t n = std::strlen(line);
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) line[--n] = 0;
    std::fprintf(stderr, "camview: http: %s\n", line);
}

MHD_Result queue(MHD_Connection* connection, const ServeReply& reply)
{
    MHD_Response* response = nullptr;
    if (reply.stream) {
        auto* state = new StreamState{reply.stream};
        response = MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 32 * 1024, readStream, state, freeStream);
        if (!response) delete state;
    } else {
        response = MHD_create_response_from_buffer(reply.body.size(), const_cast<char*>(reply.body.data()),
                                                   MHD_RESPMEM_MUST_COPY);
    }
    if (!response) return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.type.c_str());
    // Nothing the service answers is kept, sniffed, framed or referred on.
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "X-Frame-Options", "DENY");
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    for (const auto& [name, value] : reply.headers) MHD_add_response_header(response, name.c_str(), value.c_str());
    const MHD_Result queued = MHD_queue_response(connection, reply.status, response);
    MHD_destroy_response(response);
    return queued;
}

} // namespace

struct HttpServerCalls {
    static MHD_Result access(void* cls, MHD_Connection* connection, const char* url, const char* method, const char*,
                             const char* uploadData, size_t* uploadSize, void** context)
    {
        auto* server = static_cast<HttpServer*>(cls);
        auto* state = static_cast<RequestState*>(*context);
        if (!state) {
            state = new RequestState;
            *context = state;
            // A body announced larger than the limit is refused before it is read.
            const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
            if (length && std::strtoull(length, nullptr, 10) > server->m_bodyLimit) state->tooLarge = true;
            if (!state->tooLarge) return MHD_YES;
        }
        if (*uploadSize != 0) {
            if (state->body.size() + *uploadSize > server->m_bodyLimit) state->tooLarge = true;
            else state->body.append(uploadData, *uploadSize);
            *uploadSize = 0;
            if (!state->tooLarge) return MHD_YES;
        }
        ServeRequest request;
        request.method = method ? method : "";
        request.path = url ? url : "";
        request.bodyTooLarge = state->tooLarge;
        request.body = std::move(state->body);
        MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, collectArgument, &request.query);
        if (const char* cookie = MHD_lookup_connection_value(connection, MHD_COOKIE_KIND, "camview_session"))
            request.session = cookie;
        if (const char* token = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "X-Camview-Token"))
            request.token = token;
        const MHD_ConnectionInfo* peer = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
        request.peer = PeerAddressText(peer ? peer->client_addr : nullptr);
        const ServeReply reply = request.bodyTooLarge ? ServeReply::text(413, "the request's body is too large")
                                                      : server->m_handler(request);
        return queue(connection, reply);
    }

    static void completed(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode)
    {
        delete static_cast<RequestState*>(*context);
        *context = nullptr;
    }
};

HttpServer::~HttpServer() { stop(); }

bool HttpServer::tlsAvailable() { return MHD_is_feature_supported(MHD_FEATURE_TLS) == MHD_YES; }

bool HttpServer::start(const HttpServerSetup& setup, Handler handler, std::string& error)
{
    ListenAddress address;
    if (!ReadListenAddress(setup.listen, address, error)) return false;
    const bool tls = !setup.certificatePem.empty();
    if (tls && !tlsAvailable()) {
        error = "this build's HTTP server has no TLS: it serves this machine only, on 127.0.0.1";
        return false;
    }
    m_handler = std::move(handler);
    m_bodyLimit = setup.bodyLimit;
    unsigned flags = MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_ERROR_LOG;
    if (reinterpret_cast<const sockaddr*>(address.storage)->sa_family != AF_INET) flags |= MHD_USE_IPv6;
    if (tls) flags |= MHD_USE_TLS;
    MHD_OptionItem options[] = {
        {MHD_OPTION_EXTERNAL_LOGGER, reinterpret_cast<intptr_t>(&logLine), nullptr},
        {MHD_OPTION_SOCK_ADDR, 0, address.storage},
        {MHD_OPTION_CONNECTION_LIMIT, static_cast<intptr_t>(setup.connections), nullptr},
        {MHD_OPTION_PER_IP_CONNECTION_LIMIT, static_cast<intptr_t>(setup.connectionsPerPeer), nullptr},
        {MHD_OPTION_CONNECTION_TIMEOUT, static_cast<intptr_t>(setup.idleSeconds), nullptr},
        // Bounds the request's head (and each part of it) in memory.
        {MHD_OPTION_CONNECTION_MEMORY_LIMIT, 32 * 1024, nullptr},
        {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&HttpServerCalls::completed), nullptr},
        {tls ? MHD_OPTION_HTTPS_MEM_KEY : MHD_OPTION_END, 0, const_cast<char*>(setup.keyPem.c_str())},
        {tls ? MHD_OPTION_HTTPS_MEM_CERT : MHD_OPTION_END, 0, const_cast<char*>(setup.certificatePem.c_str())},
        {MHD_OPTION_END, 0, nullptr},
    };
    m_daemon = MHD_start_daemon(flags, address.port, nullptr, nullptr, &HttpServerCalls::access, this,
                                MHD_OPTION_ARRAY, options, MHD_OPTION_END);
    if (!m_daemon) {
        error = "cannot listen on " + setup.listen +
                (tls ? " (is it in use, or are the certificate and key not a matching PEM pair?)" : " (is it in use?)");
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : address.port;
    return true;
}

void HttpServer::stop()
{
    if (!m_daemon) return;
    MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
}
