// Memory for the nodes of compiled code. The nodes of one program are carved from large blocks
// that go back with the program, instead of one heap allocation each: compiling a long text
// then costs a few allocations, and the nodes sit next to each other as they run.
#pragma once

#include <cstddef>
#include <memory>
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

// The base of every node: new takes memory from the current arena, or the heap when there is
// none; delete gives heap memory back and leaves arena memory to its arena.
struct Node {
    static void* operator new(size_t bytes);
    static void operator delete(void* p);
};

}  // namespace vbs
