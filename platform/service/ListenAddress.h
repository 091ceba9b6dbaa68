// The address a service listens on, from the HOST:PORT a person gives
// ("[::1]:8080" for IPv6): numeric addresses and "localhost" only, so that
// no name look-up decides where the service listens.
#pragma once

#include <string>

struct ListenAddress {
    unsigned char storage[128] = {}; // a sockaddr_in or sockaddr_in6
    int length = 0;
    bool loopback = false; // only this machine can connect
    unsigned short port = 0;
};

// False, saying why in `error`, for anything else.
bool ReadListenAddress(const std::string& text, ListenAddress& address, std::string& error);
// A peer's address in words (192.0.2.7, 2001:db8::1), from a sockaddr.
std::string PeerAddressText(const void* sockaddr);
