// One request to the service and its answer, as the routes see them:
// libmicrohttpd has read the request (HttpServer); nothing here reads
// HTTP.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct ServeRequest {
    std::string method;
    std::string path; // without the query, percent-decoded by the server
    std::vector<std::pair<std::string, std::string>> query;
    std::string session; // the session cookie's value, or empty
    std::string token;   // the X-Camview-Token header, or empty
    std::string peer;    // the client's address
    std::string body;    // at most the server's limit
    bool bodyTooLarge = false;

    // The value of the query's `name` (the first), or empty.
    std::string arg(const std::string& name) const
    {
        for (const auto& [key, value] : query)
            if (key == name) return value;
        return {};
    }
};

struct ServeReply {
    unsigned status = 200;
    std::string type = "text/plain; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    // A body without end (a stream): asked for more bytes, it writes at most
    // `max` into `out` and says how many (it waits for them: never 0), or
    // -1 when the stream ends. Whatever it holds is released when the
    // connection goes.
    std::function<long(char* out, std::size_t max)> stream;

    static ServeReply text(unsigned status, std::string line)
    {
        ServeReply reply;
        reply.status = status;
        reply.body = std::move(line) + "\n";
        return reply;
    }
};
