#include "platform/service/ListenAddress.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

bool ReadListenAddress(const std::string& text, ListenAddress& address, std::string& error)
{
    address = ListenAddress{};
    error = "--listen takes HOST:PORT (an IP address or localhost, and a port), not \"" + text + "\"";
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size() || colon + 6 < text.size()) return false;
    std::string host = text.substr(0, colon);
    const std::string portText = text.substr(colon + 1);
    for (char c : portText)
        if (c < '0' || c > '9') return false;
    const long port = std::strtol(portText.c_str(), nullptr, 10);
    if (port > 65535) return false;
    address.port = static_cast<unsigned short>(port);
    if (host == "localhost") host = "127.0.0.1";
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        sockaddr_in6 v6{};
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(address.port);
        if (inet_pton(AF_INET6, host.substr(1, host.size() - 2).c_str(), &v6.sin6_addr) != 1) return false;
        address.loopback = IN6_IS_ADDR_LOOPBACK(&v6.sin6_addr);
        std::memcpy(address.storage, &v6, sizeof v6);
        address.length = sizeof v6;
    } else {
        sockaddr_in v4{};
        v4.sin_family = AF_INET;
        v4.sin_port = htons(address.port);
        if (inet_pton(AF_INET, host.c_str(), &v4.sin_addr) != 1) return false;
        address.loopback = (ntohl(v4.sin_addr.s_addr) >> 24) == 127;
        std::memcpy(address.storage, &v4, sizeof v4);
        address.length = sizeof v4;
    }
    error.clear();
    return true;
}

std::string PeerAddressText(const void* sockaddr)
{
    if (!sockaddr) return "?";
    char text[64] = {};
    const auto* any = static_cast<const struct sockaddr*>(sockaddr);
    if (any->sa_family == AF_INET) {
        const auto* v4 = static_cast<const sockaddr_in*>(sockaddr);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    } else if (any->sa_family == AF_INET6) {
        const auto* v6 = static_cast<const sockaddr_in6*>(sockaddr);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    }
    return text[0] ? text : "?";
}
