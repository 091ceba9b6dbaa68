#include "platform/kernel/Memory.h"

#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <map>
#include <set>
#include <mutex>
#include <new>

#include "platform/kernel/Kernel.h"
#include "platform/trace/Trace.h"

namespace {

struct Block {
    void* data;
    std::size_t size;
    int locks;
};

struct GlobalTable {
    std::mutex mutex;
    // Keyed by the data pointer: a handle is the address of its record.
    std::map<const void*, Block*> byPointer;
    // Live blocks, so that a stale or foreign handle is never dereferenced.
    std::set<const Block*> live;
};

// The process heap keeps what is freed for the next request, as Windows'
// heap keeps its committed memory. glibc's allocator otherwise hands every
// block over its (moving) threshold to the kernel on free and takes fresh
// pages back on the next request: a viewer that decodes each frame into a
// new picture block of a few megabytes then met each page of it anew in a
// page fault (some 200 a frame at 1280x720, an eighth of its CPU time, more
// or less from run to run as the threshold happened to move). Large blocks
// now come from the heap, which is not shrunk below its high-water mark.
bool keepFreedMemory()
{
    // 32 MiB, the ceiling glibc's own moving threshold stops at on 64-bit:
    // larger blocks (the biggest pictures) still come from the kernel.
    const bool fromHeap = mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024) == 1;
    const bool kept = mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024) == 1;
    return fromHeap && kept;
}

GlobalTable& table()
{
    // Never destroyed: threads still running at exit may use it.
    static GlobalTable* t = new GlobalTable;
    return *t;
}

Block* blockOf(HGLOBAL handle) { return static_cast<Block*>(handle); }

} // namespace

HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes)
{
    VE_TRACE(kernel, "(0x%lx, 0x%lx)", static_cast<unsigned long>(flags), static_cast<unsigned long>(bytes));
    static const bool heapKept = keepFreedMemory();
    (void)heapKept;
    // A zero-sized request still yields a distinct block.
    void* data = (flags & GMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* block = new (std::nothrow) Block{data, bytes, 0};
    if (!block) {
        std::free(data);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto& t = table();
    std::lock_guard lock(t.mutex);
    t.byPointer[data] = block;
    t.live.insert(block);
    return block;
}

namespace {
bool known(Block* block)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    return t.live.count(block) != 0;
}
} // namespace

LPVOID GlobalLock(HGLOBAL handle)
{
    VE_TRACE(kernel, "(%p)", traceHandle(handle));
    if (!handle) return nullptr;
    Block* block = blockOf(handle);
    if (!known(block)) return nullptr;
    ++block->locks;
    return block->data;
}

BOOL GlobalUnlock(HGLOBAL handle)
{
    VE_TRACE(kernel, "(%p)", traceHandle(handle));
    if (!handle) return FALSE;
    Block* block = blockOf(handle);
    if (!known(block) || block->locks == 0) return FALSE;
    return --block->locks > 0 ? TRUE : FALSE;
}

HGLOBAL GlobalHandle(LPCVOID pointer)
{
    VE_TRACE(kernel, "(%p)", traceHandle(pointer));
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.byPointer.find(pointer);
    return it == t.byPointer.end() ? nullptr : it->second;
}

std::size_t GlobalSize(HGLOBAL handle)
{
    VE_TRACE(kernel, "(%p)", traceHandle(handle));
    if (!handle) return 0;
    Block* block = blockOf(handle);
    return known(block) ? block->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL handle)
{
    VE_TRACE(kernel, "(%p)", traceHandle(handle));
    if (!handle) return nullptr;
    Block* block = blockOf(handle);
    {
        auto& t = table();
        std::lock_guard lock(t.mutex);
        if (!t.live.erase(block)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return handle;
        }
        t.byPointer.erase(block->data);
    }
    std::free(block->data);
    delete block;
    return nullptr;
}

HLOCAL LocalAlloc(UINT flags, std::size_t bytes)
{
    VE_TRACE(kernel, "(0x%lx, 0x%lx)", static_cast<unsigned long>(flags), static_cast<unsigned long>(bytes));
    void* data = (flags & LMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
    if (!data) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return data;
}

HLOCAL LocalFree(HLOCAL block)
{
    VE_TRACE(kernel, "(%p)", traceHandle(block));
    std::free(block);
    return nullptr;
}
