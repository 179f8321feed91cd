#include "engine/NodeArena.h"

#include <sys/mman.h>

#include <cstdint>
#include <mutex>
#include <new>

namespace vbs {

namespace {

thread_local NodeArena* tCurrent = nullptr;

// Nodes hold nothing aligned beyond eight bytes (pointers, 64-bit numbers, values).
constexpr size_t kAlign = 8;
constexpr size_t kBlock = 16 * 1024;

// A node's memory starts with a word that says where it came from; the node follows, aligned.
enum : uint64_t { kFromHeap = 0x68656170, kFromArena = 0x6172656e };
constexpr size_t kHeader = kAlign;

size_t RoundUp(size_t n) {
    return (n + kAlign - 1) & ~(kAlign - 1);
}

}  // namespace

// Arena blocks come from regions mapped for the purpose and go back to a free list when their
// program goes, for the next program. Past the first region, regions ask for huge pages: a
// game with thousands of lines of procedures then touches a few large pages instead of
// thousands of small ones (on this kind of machine each first touch of a page costs about a
// microsecond and a half).
class BlockPool {
  public:
    static BlockPool& Instance() {
        static BlockPool* pool = new BlockPool;  // never destroyed: programs may outlive main
        return *pool;
    }

    std::byte* Take() {
        std::lock_guard lock(mutex_);
        if (free_.empty() && !AddRegion()) return nullptr;
        std::byte* block = free_.back();
        free_.pop_back();
        return block;
    }

    void Give(std::byte* block) {
        std::lock_guard lock(mutex_);
        free_.push_back(block);
    }

  private:
    static constexpr size_t kFirstRegion = 256 * 1024;
    static constexpr size_t kRegion = 2 * 1024 * 1024;

    bool AddRegion() {
        // The first region is small and of ordinary pages, enough for a game with a few
        // thousand lines; later ones are huge-page sized and aligned.
        const bool first = regions_ == 0;
        const size_t size = first ? kFirstRegion : kRegion;
        const size_t map = first ? size : 2 * size;  // room to cut an aligned region out of
        void* raw =
            ::mmap(nullptr, map, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED) return false;
        auto* region = static_cast<std::byte*>(raw);
        if (!first) {
            const auto start = reinterpret_cast<uintptr_t>(raw);
            const uintptr_t aligned = (start + size - 1) & ~uintptr_t(size - 1);
            if (aligned > start) ::munmap(raw, aligned - start);
            if (start + map > aligned + size)
                ::munmap(reinterpret_cast<void*>(aligned + size), start + map - aligned - size);
            region = reinterpret_cast<std::byte*>(aligned);
            ::madvise(region, size, MADV_HUGEPAGE);  // a hint: the system may refuse it
        }
        ++regions_;
        for (size_t off = size; off >= kBlock; off -= kBlock)
            free_.push_back(region + off - kBlock);
        return true;
    }

    std::mutex mutex_;
    std::vector<std::byte*> free_;
    int regions_ = 0;
};

NodeArena::~NodeArena() {
    for (std::byte* block : blocks_) BlockPool::Instance().Give(block);
}

void* NodeArena::Allocate(size_t bytes) {
    bytes = RoundUp(bytes);
    if (bytes > left_) {
        if (bytes > kBlock / 4) {
            // A large node gets memory of its own; the current block stays.
            oversized_.push_back(std::make_unique_for_overwrite<std::byte[]>(bytes));
            return oversized_.back().get();
        }
        std::byte* block = BlockPool::Instance().Take();
        if (!block) throw std::bad_alloc();
        blocks_.push_back(block);
        next_ = block;
        left_ = kBlock;
    }
    void* p = next_;
    next_ += bytes;
    left_ -= bytes;
    return p;
}

NodeArenaScope::NodeArenaScope(NodeArena& arena) : saved_(tCurrent) {
    tCurrent = &arena;
}

NodeArenaScope::~NodeArenaScope() {
    tCurrent = saved_;
}

void* NodeAllocate(size_t bytes) {
#if defined(__SANITIZE_ADDRESS__)
    // Under the address sanitizer every node is its own allocation, so that a node used after
    // its program went is reported.
    const bool arena = false;
#else
    const bool arena = tCurrent != nullptr;
#endif
    auto* base = static_cast<std::byte*>(arena ? tCurrent->Allocate(kHeader + bytes)
                                               : ::operator new(kHeader + bytes));
    *reinterpret_cast<uint64_t*>(base) = arena ? kFromArena : kFromHeap;
    return base + kHeader;
}

void NodeFree(void* p) noexcept {
    if (!p) return;
    std::byte* base = static_cast<std::byte*>(p) - kHeader;
    if (*reinterpret_cast<uint64_t*>(base) == kFromHeap) ::operator delete(base);
}

}  // namespace vbs
