// The Linux stand-in's POSIX side of its sockets, in neutral types, so that
// the Windows-named calls and the POSIX ones never meet in one file.
// Addresses are passed in the Windows layout (Windows family numbers).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vesock {

struct Resolved {
    int family; // Windows numbers
    int type;
    int protocol;
    std::vector<unsigned char> address; // Windows layout
};

// Each returns 0 or sets *error to a Winsock number and returns -1.
std::uintptr_t create(int family, int type, int protocol, int* error);
int connectTo(std::uintptr_t s, const void* address, int length, int* error);
int bindTo(std::uintptr_t s, const void* address, int length, int* error);
int listenOn(std::uintptr_t s, int backlog, int* error);
std::uintptr_t acceptFrom(std::uintptr_t s, void* address, int* length, int* error);
long sendSome(std::uintptr_t s, const void* data, std::size_t length, int* error);
// peek: the bytes stay waiting on the socket.
long receiveSome(std::uintptr_t s, void* data, std::size_t length, bool peek, int* error);
// Bounds each blocking receive to `ms` milliseconds (0: no bound).
int setReceiveTimeout(std::uintptr_t s, unsigned long ms, int* error);
int shutdownSocket(std::uintptr_t s, int how, int* error);
int closeSocket(std::uintptr_t s, int* error);
int setNonBlocking(std::uintptr_t s, bool on, int* error);
int peerName(std::uintptr_t s, void* address, int* length, int* error);
int localName(std::uintptr_t s, void* address, int* length, int* error);
int resolve(const char* node, const char* service, int flags, int family, int type, int protocol,
            std::vector<Resolved>* out);
std::uintptr_t registerPeerOnly(const void* address, int length);

// Calls notify(event) from the process's socket watcher thread when the
// socket becomes readable (event kReadable, once until the next receive
// arms it again) or its peer hangs up (kHungUp, once). events 0 stops it.
constexpr long kReadable = 0x01;
constexpr long kHungUp = 0x20;
int watch(std::uintptr_t s, long events, std::function<void(long event)> notify, int* error);

} // namespace vesock
