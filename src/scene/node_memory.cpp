#include "scene/node_memory.h"

#include <sys/mman.h>

#include <array>
#include <cstdlib>
#include <mutex>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define ORIX_NODE_MEMORY_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORIX_NODE_MEMORY_FROM_HEAP 1
#endif
#endif

namespace orix {

namespace {

constexpr std::size_t kChunkBytes = std::size_t{2} << 20;
constexpr std::size_t kGrain = 64;
constexpr std::size_t kLargest = 4096;

struct FreeBlock {
    FreeBlock* next;
};

struct NodeMemory {
    std::mutex lock;
    std::array<FreeBlock*, kLargest / kGrain + 1> freeBlocks{};
    char* next = nullptr;
    char* end = nullptr;
};

// Never destroyed: nodes freed while the process ends (static objects' members) still find it.
NodeMemory& Memory() {
    static NodeMemory* memory = new NodeMemory;
    return *memory;
}

bool FromHeap(std::size_t size) {
#if defined(ORIX_NODE_MEMORY_FROM_HEAP)
    (void)size;
    return true;
#else
    return size == 0 || size > kLargest;
#endif
}

}  // namespace

void* AllocateNodeMemory(std::size_t size) {
    if (FromHeap(size)) return ::operator new(size);
    const std::size_t sizeClass = (size + kGrain - 1) / kGrain;
    const std::size_t bytes = sizeClass * kGrain;
    NodeMemory& m = Memory();
    std::lock_guard<std::mutex> hold(m.lock);
    if (FreeBlock* block = m.freeBlocks[sizeClass]) {
        m.freeBlocks[sizeClass] = block->next;
        return block;
    }
    if (!m.next || std::size_t(m.end - m.next) < bytes) {
        // The rest of the old chunk, less than one node, is left unused.
        void* chunk = std::aligned_alloc(kChunkBytes, kChunkBytes);
        if (!chunk) throw std::bad_alloc();
        madvise(chunk, kChunkBytes, MADV_HUGEPAGE);
        m.next = static_cast<char*>(chunk);
        m.end = m.next + kChunkBytes;
    }
    void* block = m.next;
    m.next += bytes;
    return block;
}

void FreeNodeMemory(void* memory, std::size_t size) {
    if (!memory) return;
    if (FromHeap(size)) {
        ::operator delete(memory);
        return;
    }
    const std::size_t sizeClass = (size + kGrain - 1) / kGrain;
    NodeMemory& m = Memory();
    std::lock_guard<std::mutex> hold(m.lock);
    auto* block = static_cast<FreeBlock*>(memory);
    block->next = m.freeBlocks[sizeClass];
    m.freeBlocks[sizeClass] = block;
}

}  // namespace orix
