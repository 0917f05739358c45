// Linked into each DLL that is loaded and freed again while its process runs (KvApi.dll, KvImage.dll),
// whose link routes malloc, calloc, realloc and free here (--wrap).
//
// The statically linked runtimes keep a few blocks for good: the thread runtime allocates its
// static mutexes on first use and keeps the record of every thread that entered it on a free list,
// the unwinder's mutex likewise; none of them is ever released, and nothing outside those runtimes
// can reach them. That is about 0.3 kB each time the DLL is loaded and freed. So every allocation of
// the DLL, its own code and the runtimes alike, comes from a heap of the DLL's own, which is
// destroyed with the DLL (DllRuntimeRelease.cpp): whatever is left in it goes too.
//
// Blocks the C library allocated for the DLL (a duplicated string, say) may reach free here; each
// of the DLL's own blocks carries a tag that tells them apart.
#include "DllPrivateHeap.h"

#include <windows.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
void __real_free(void* block);
}

namespace {

// Two words keep the caller's block on an 8-byte boundary, as the C library's are.
struct alignas(8) BlockTag {
    uint32_t tag;
    uint32_t check;
};
constexpr uint32_t kTagBase = 0x4B764870u;

HANDLE volatile g_heap = nullptr;
bool volatile g_heapGone = false;  // after the release: the heap's blocks are gone with it

uint32_t TagOf(HANDLE heap)
{
    return kTagBase ^ static_cast<uint32_t>(reinterpret_cast<uintptr_t>(heap));
}

// The DLL's heap, made at the first allocation (the runtimes allocate before any constructor runs);
// null once it was released.
HANDLE Heap()
{
    HANDLE heap = g_heap;
    if (heap || g_heapGone) return heap;
    HANDLE made = ::HeapCreate(0, 0, 0);
    if (!made) return nullptr;
    heap = ::InterlockedCompareExchangePointer(const_cast<PVOID*>(&g_heap), made, nullptr);
    if (heap) {
        ::HeapDestroy(made);
        return heap;
    }
    return made;
}

BlockTag* TagOfBlock(void* block)
{
    return static_cast<BlockTag*>(block) - 1;
}

bool IsOwn(HANDLE heap, void* block)
{
    const BlockTag* tag = TagOfBlock(block);
    return tag->tag == TagOf(heap) && tag->check == ~TagOf(heap);
}

void* Tagged(HANDLE heap, void* raw)
{
    if (!raw) {
        errno = ENOMEM;
        return nullptr;
    }
    BlockTag* tag = static_cast<BlockTag*>(raw);
    tag->tag = TagOf(heap);
    tag->check = ~TagOf(heap);
    return tag + 1;
}

bool TooLarge(size_t size)
{
    return size > static_cast<size_t>(PTRDIFF_MAX) - sizeof(BlockTag);
}

}  // namespace

void ReleaseDllPrivateHeap() noexcept
{
    HANDLE heap = g_heap;
    g_heapGone = true;
    g_heap = nullptr;
    if (heap) ::HeapDestroy(heap);
}

extern "C" void* __wrap_malloc(size_t size)
{
    HANDLE heap = Heap();
    if (!heap) return __real_malloc(size);
    if (TooLarge(size)) {
        errno = ENOMEM;
        return nullptr;
    }
    return Tagged(heap, ::HeapAlloc(heap, 0, size + sizeof(BlockTag)));
}

extern "C" void* __wrap_calloc(size_t count, size_t size)
{
    HANDLE heap = Heap();
    if (!heap) return __real_calloc(count, size);
    if (size != 0 && count > static_cast<size_t>(PTRDIFF_MAX) / size) {
        errno = ENOMEM;
        return nullptr;
    }
    const size_t total = count * size;
    if (TooLarge(total)) {
        errno = ENOMEM;
        return nullptr;
    }
    return Tagged(heap, ::HeapAlloc(heap, HEAP_ZERO_MEMORY, total + sizeof(BlockTag)));
}

extern "C" void __wrap_free(void* block)
{
    if (!block || g_heapGone) return;
    HANDLE heap = g_heap;
    if (heap && IsOwn(heap, block))
        ::HeapFree(heap, 0, TagOfBlock(block));
    else
        __real_free(block);
}

extern "C" void* __wrap_realloc(void* block, size_t size)
{
    if (!block) return __wrap_malloc(size);
    if (size == 0) {
        __wrap_free(block);
        return nullptr;
    }
    HANDLE heap = g_heap;
    if (!heap || !IsOwn(heap, block)) return g_heapGone ? nullptr : __real_realloc(block, size);
    if (TooLarge(size)) {
        errno = ENOMEM;
        return nullptr;
    }
    void* moved = ::HeapReAlloc(heap, 0, TagOfBlock(block), size + sizeof(BlockTag));
    if (!moved) {
        errno = ENOMEM;
        return nullptr;
    }
    return static_cast<BlockTag*>(moved) + 1;
}
