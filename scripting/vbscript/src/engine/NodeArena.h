// Memory for the nodes of compiled code. The nodes of one program are carved from large blocks
// that go back with the program, instead of one heap allocation each: compiling a long text
// then costs a few allocations, and the nodes sit next to each other as they run.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace vbs {

class NodeArena {
  public:
    NodeArena() = default;
    NodeArena(const NodeArena&) = delete;
    NodeArena& operator=(const NodeArena&) = delete;

    // bytes of memory aligned for any node, kept until the arena goes.
    void* Allocate(size_t bytes);

    ~NodeArena();

  private:
    std::vector<std::byte*> blocks_;                       // from the block pool
    std::vector<std::unique_ptr<std::byte[]>> oversized_;  // nodes larger than a block
    std::byte* next_ = nullptr;
    size_t left_ = 0;
};

// While it lives, nodes made on this thread go to the arena (the one before is back after).
class NodeArenaScope {
  public:
    explicit NodeArenaScope(NodeArena& arena);
    ~NodeArenaScope();
    NodeArenaScope(const NodeArenaScope&) = delete;
    NodeArenaScope& operator=(const NodeArenaScope&) = delete;

  private:
    NodeArena* saved_;
};

// Memory from the current arena, or the heap when there is none; NodeFree gives heap memory
// back and leaves arena memory to its arena.
void* NodeAllocate(size_t bytes);
void NodeFree(void* p) noexcept;

// The base of every node: new and delete as NodeAllocate and NodeFree.
struct Node {
    static void* operator new(size_t bytes) { return NodeAllocate(bytes); }
    static void operator delete(void* p) { NodeFree(p); }
};

// For what nodes own (their lists of nodes, names): it comes from the same arena as the
// nodes, so a compile does not go to the heap for each list.
template <typename T>
struct NodeAllocator {
    static_assert(alignof(T) <= 8, "arena memory is aligned to eight bytes");
    using value_type = T;
    NodeAllocator() = default;
    template <typename U>
    NodeAllocator(const NodeAllocator<U>&) noexcept {}
    T* allocate(size_t n) { return static_cast<T*>(NodeAllocate(n * sizeof(T))); }
    void deallocate(T* p, size_t) noexcept { NodeFree(p); }
    friend bool operator==(const NodeAllocator&, const NodeAllocator&) { return true; }
};

template <typename T>
using NodeVector = std::vector<T, NodeAllocator<T>>;
using NodeString = std::basic_string<char16_t, std::char_traits<char16_t>, NodeAllocator<char16_t>>;

}  // namespace vbs
