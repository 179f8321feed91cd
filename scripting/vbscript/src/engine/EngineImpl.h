// Engine internals: compiled code (statement and expression nodes with names resolved to
// slots), global slots, frames and the engine state the interpreter works on.
#pragma once

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/NodeArena.h"
#include "lib/math/random.h"
#include "values/Ops.h"
#include "vbscript/Engine.h"

namespace vbs {

class EngineImpl;
struct ProcDef;
struct ClassDef;
class ClassInstance;

// Thrown when a run must end at once (time limit): On Error Resume Next does not catch it.
struct AbortRun {
    int number;
};

enum class Flow : uint8_t { Normal, ExitDo, ExitFor, ExitProc };

struct Expr : Node {
    // The node types the compiler looks for by type (As); Other for the rest.
    enum class Shape : uint8_t { Other, Const, Paren, Name, Member };
    int line = 0;
    Shape shape = Shape::Other;
    virtual ~Expr() = default;
    virtual Variant Eval(EngineImpl& e) = 0;
    // The storage of a variable (for ByRef arguments and loops); nullptr when not a variable.
    virtual Variant* Ref(EngineImpl&) { return nullptr; }
    virtual void Assign(EngineImpl&, Variant, bool /*isSet*/) { ThrowError(kErrIllegalAssign); }
    // Used as a statement (calls without using a result).
    virtual void Call(EngineImpl& e) { Eval(e); }
    virtual bool IsParenthesized() const { return false; }
};
using ExprPtr = std::unique_ptr<Expr>;
using ExprList = NodeVector<ExprPtr>;

struct Stmt : Node {
    int line = 0;
    virtual ~Stmt() = default;
    virtual Flow Exec(EngineImpl& e) = 0;
};
using StmtPtr = std::unique_ptr<Stmt>;

struct Block {
    NodeVector<StmtPtr> stmts;
    Flow Exec(EngineImpl& e) const;
};

struct Param {
    std::u16string name;
    bool byRef = true;
};

// A Dim with dimensions, evaluated when its scope starts.
struct ArrayInit {
    int slot = 0;  // local slot or field index
    ExprList dims;
};
struct ConstInit {
    int slot = 0;
    ExprPtr value;
};

enum class ProcKind : uint8_t { Sub, Function, PropGet, PropLet, PropSet };

struct ProcDef : Node {
    std::u16string name;
    int atom = -1;
    ProcKind kind = ProcKind::Sub;
    bool isPublic = true;
    bool isDefault = false;
    int line = 0;
    NodeVector<Param> params;
    int localCount = 1;  // slot 0 is the return value
    // Lower-case names of parameters and locals with their slots (for Execute and Eval).
    NodeVector<std::pair<NodeString, int>> slotNames;
    NodeVector<ArrayInit> arrays;
    NodeVector<ConstInit> consts;
    Block body;
    const ClassDef* owner = nullptr;
};

struct FieldDef {
    std::u16string name;
    bool isPublic = true;
    ExprList dims;         // non-empty: a fixed array
    bool isArray = false;  // declared with () and no dims: a dynamic array
};

struct ClassMember {
    std::u16string name;
    enum Kind : uint8_t { Field, Method, Property } kind = Field;
    bool isPublic = true;
    int field = -1;
    const ProcDef* method = nullptr;
    const ProcDef* get = nullptr;
    const ProcDef* let = nullptr;
    const ProcDef* set = nullptr;
};

struct ClassDef : Node {
    std::u16string name;
    int atom = -1;
    std::vector<FieldDef> fields;
    std::vector<ClassMember> members;
    std::unordered_map<std::u16string, int> byName;  // lower-case name -> member index
    int defaultMember = -1;
    const ProcDef* initialize = nullptr;
    const ProcDef* terminate = nullptr;
    std::vector<std::unique_ptr<ProcDef>> procs;
};

// A global declaration that takes effect when the code is added (before its statements run).
struct GlobalDecl {
    int atom = -1;
    enum Kind : uint8_t { Var, Array, Const } kind = Var;
    ExprList dims;
    ExprPtr value;
    bool isDynamicArray = false;
};

// One compiled piece of program text.
struct Program {
    NodeArena arena;  // first, so that it goes after every node it holds
    bool optionExplicit = false;
    NodeVector<std::unique_ptr<ProcDef>> procs;
    std::vector<std::unique_ptr<ClassDef>> classes;
    NodeVector<GlobalDecl> globals;
    bool dynamicScope = false;  // compiled for Execute/Eval: names may be the caller's locals
    ProcDef top;  // the top-level statements, run by AddCode (hidden locals for With/For Each)
    ExprPtr expression;  // set when compiled as an expression (Eval)
};

struct Builtin;

enum class SlotKind : uint8_t { Unset, Var, Const, Proc, Class, NamedItem, HostMember };

struct GlobalSlot {
    SlotKind kind = SlotKind::Unset;
    bool isArrayFixed = false;
    Variant value;
    const ProcDef* proc = nullptr;
    const ClassDef* cls = nullptr;
    std::shared_ptr<Program> owner;  // Class: the compiled code the class lives in
    Dispatch* host = nullptr;        // HostMember: the object (held by the named item list)
    int dispId = 0;
    uint32_t missGen = 0;  // resolveGen of the last failed host-member lookup
};

// A name as written first and in lower case (both kept in the store's name text).
struct Atom {
    std::u16string_view name;
    std::u16string_view lower;
    const Builtin* builtin = nullptr;
};

// Text that stays where it is for as long as the pool lives: the names of atoms, laid one
// after another in large pieces instead of two small allocations per name.
class NamePool {
  public:
    std::u16string_view Keep(std::u16string_view text) {
        if (text.size() > left_) {
            const size_t size = std::max(kPiece, text.size());
            pieces_.push_back(std::make_unique_for_overwrite<char16_t[]>(size));
            next_ = pieces_.back().get();
            left_ = size;
        }
        std::copy(text.begin(), text.end(), next_);
        const std::u16string_view kept(next_, text.size());
        next_ += text.size();
        left_ -= text.size();
        return kept;
    }

  private:
    static constexpr size_t kPiece = 16 * 1024;  // characters
    std::vector<std::unique_ptr<char16_t[]>> pieces_;
    char16_t* next_ = nullptr;
    size_t left_ = 0;
};

// The global slots by atom. Slots never move once made (nodes and callers keep references),
// and finding one is two loads. Slots are made a chunk at a time (MakeUpTo), so an engine that
// shares names with another has slots only for the names there were when it last ran.
class SlotTable {
  public:
    GlobalSlot& operator[](size_t i) {
        assert(i < size_);
        return chunks_[i >> kShift][i & kMask];
    }
    // Slots for atoms 0 to n - 1.
    void MakeUpTo(size_t n) {
        while (size_ < n) {
            chunks_.push_back(std::make_unique<GlobalSlot[]>(kMask + 1));
            size_ += kMask + 1;
        }
    }
    size_t size() const { return size_; }  // slots made so far
    void clear() {
        chunks_.clear();
        size_ = 0;
    }

  private:
    static constexpr size_t kShift = 8;
    static constexpr size_t kMask = (size_t(1) << kShift) - 1;
    std::vector<std::unique_ptr<GlobalSlot[]>> chunks_;
    size_t size_ = 0;
};

// Atom ids by lower-case name: open addressing over a power-of-two table of (hash, id) pairs,
// the names themselves compared in the atoms. Looking a name up is a hash of its letters and,
// mostly, one probe.
class AtomIndex {
  public:
    static uint32_t Hash(std::u16string_view lower) {
        uint32_t h = 2166136261u;  // FNV-1a over the code units
        for (char16_t c : lower) h = (h ^ c) * 16777619u;
        return h;
    }
    // The atom of `lower` (with its Hash), or -1.
    int Find(std::u16string_view lower, uint32_t hash, const std::vector<Atom>& atoms) const {
        if (slots_.empty()) return -1;
        for (size_t i = hash & mask_;; i = (i + 1) & mask_) {
            const Slot& slot = slots_[i];
            if (slot.id < 0) return -1;
            if (slot.hash == hash && atoms[size_t(slot.id)].lower == lower) return slot.id;
        }
    }
    void Insert(uint32_t hash, int id) {
        if ((count_ + 1) * 2 > slots_.size()) Grow(std::max<size_t>(64, slots_.size() * 2));
        Place(hash, id);
        ++count_;
    }
    void Reserve(size_t names) {
        size_t size = slots_.empty() ? 64 : slots_.size();
        while (names * 2 > size) size *= 2;
        if (size > slots_.size()) Grow(size);
    }
    size_t size() const { return count_; }

  private:
    struct Slot {
        uint32_t hash = 0;
        int32_t id = -1;
    };
    void Place(uint32_t hash, int id) {
        size_t i = hash & mask_;
        while (slots_[i].id >= 0) i = (i + 1) & mask_;
        slots_[i] = {hash, id};
    }
    void Grow(size_t size) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(size, Slot{});
        mask_ = size - 1;
        for (const Slot& slot : old)
            if (slot.id >= 0) Place(slot.hash, slot.id);
    }
    std::vector<Slot> slots_;
    size_t mask_ = 0;
    size_t count_ = 0;
};

// What engines sharing compiled code have in common: the names (atoms, which compiled code
// refers to) and the compile cache. Each engine keeps its own slots.
struct CodeStore {
    std::vector<Atom> atoms;
    NamePool atomNames;
    AtomIndex atomIndex;
    std::u16string lowerScratch;  // AtomOf's lookup key, kept to spare an allocation per name
    // Compiled programs by text and how it was compiled (first line, flags), reused across
    // Reset. Looked up without copying the text.
    struct CacheKey {
        std::u16string_view text;  // points into `owned` once stored
        uint64_t how = 0;
        size_t hash = 0;  // of both, computed once (Of)
        static CacheKey Of(std::u16string_view text, uint64_t how) {
            return {text, how,
                    std::hash<std::u16string_view>()(text) ^ (how * 0x9E3779B97F4A7C15ull)};
        }
        bool operator==(const CacheKey& o) const {
            return hash == o.hash && how == o.how && text == o.text;
        }
    };
    struct CacheHash {
        size_t operator()(const CacheKey& k) const noexcept { return k.hash; }
    };
    struct CacheEntry {
        std::unique_ptr<std::u16string> owned;
        std::shared_ptr<Program> program;
    };
    std::unordered_map<CacheKey, CacheEntry, CacheHash> cache;
    size_t cacheChars = 0;
};

// A text compiled once (Engine::CompileModule), added by any engine sharing the store.
struct ModuleCode {
    std::shared_ptr<CodeStore> store;
    std::vector<std::shared_ptr<Program>> pieces;
    bool optionExplicit = false;
    int nextLine = 1;  // the line a text continuing this one starts on
};

// Named objects with their names looked up once (Engine::PrepareObjects).
struct ObjectSetCode {
    std::shared_ptr<CodeStore> store;
    struct Item {
        int atom = -1;  // -1: the name is reserved or empty
        Ref<Dispatch> obj;
        bool addMembers = false;
    };
    std::vector<Item> items;
};

struct Frame {
    Variant* locals = nullptr;
    ClassInstance* me = nullptr;
    const ProcDef* proc = nullptr;
    bool resumeNext = false;
};

// A built-in function, constant or object.
struct Builtin {
    const char16_t* name;
    Variant (*fn)(EngineImpl& e, std::span<Variant> args);
    int8_t minArgs;
    int8_t maxArgs;
    bool isConstant;           // assignment to it is illegal; no parentheses allowed
    int32_t constValue = 0;    // numeric constants have no fn: this is their value
    bool constIsLong = false;  // ... as a Long (else an Integer)
};
// The value or result of a builtin called with args.
Variant CallBuiltin(EngineImpl& e, const Builtin* b, std::span<Variant> args);
const Builtin* FindBuiltin(std::u16string_view lower);

struct ErrState {
    int32_t number = 0;
    std::u16string description;
    std::u16string source;
    std::u16string helpFile;
    int32_t helpContext = 0;
};

class ClassInstance : public Dispatch {
  public:
    ClassInstance(EngineImpl* e, const ClassDef* cls, std::shared_ptr<void> keep);
    std::u16string TypeName() override { return cls_->name; }
    int FindMember(std::u16string_view name) override;
    Variant Invoke(int id, InvokeKind kind, std::span<Variant> args) override;
    bool WantsReferences() const override { return true; }
    bool Enumerate(std::vector<Variant>& out) override;

    const ClassDef* Class() const { return cls_; }
    std::vector<Variant> fields;
    EngineImpl* engine;
    // Member access from inside the class may reach private members.
    Variant InvokeMember(int index, InvokeKind kind, std::span<Variant> args);

  protected:
    void FinalRelease() override;

  private:
    const ClassDef* cls_;
    std::shared_ptr<void> keep_;  // keeps the compiled code alive
    std::shared_ptr<bool> alive_;
    bool terminated_ = false;  // keeps the compiled code alive
};

class EngineImpl {
  public:
    EngineImpl();
    ~EngineImpl();

    // ---- names ----
    int AtomOf(std::u16string_view name);
    // Room for about `more` new names, so that adding many does not grow the tables step by
    // step.
    void ReserveNames(size_t more);
    // Every atom has its slot in an engine that is running or being called (Guard, AtomOf and
    // AddObjects make the slots of atoms new to this engine).
    GlobalSlot& Slot(int atom) { return globals_[size_t(atom)]; }
    void MakeSlots() { globals_.MakeUpTo(store_->atoms.size()); }
    const Atom& AtomAt(int atom) const { return store_->atoms[size_t(atom)]; }
    // Binds an unset slot to a global member of a host object; false when nothing has the name.
    bool ResolveHostMember(int atom, GlobalSlot& g);

    // ---- running ----
    // Calls a script procedure. With consumeArgs the values in args may be moved from (the
    // caller's own argument buffer).
    Variant CallProc(const ProcDef* def, ClassInstance* me, Variant* args, size_t n,
                     bool consumeArgs = false);
    // Calls a script procedure with argument expressions, evaluated in the current frame.
    Variant CallProc(const ProcDef* def, ClassInstance* me, const ExprList& args);
    // Runs a procedure's body on its prepared variables (the arguments in place).
    Variant RunFrame(const ProcDef* def, ClassInstance* me, Variant* locals);
    void Tick() {
        if ((++steps_ & 0x3FF) == 0) CheckTime();
    }
    void CheckTime();
    // Time spent in the host (message boxes, waits) does not count against the time limit.
    struct HostTime {
        explicit HostTime(EngineImpl& e) : e(e), start(std::chrono::steady_clock::now()) {}
        ~HostTime() { e.deadline_ += std::chrono::steady_clock::now() - start; }
        HostTime(const HostTime&) = delete;
        HostTime& operator=(const HostTime&) = delete;
        EngineImpl& e;
        std::chrono::steady_clock::time_point start;
    };
    void SetErr(const ScriptException& ex);
    void ClearErr() { err = ErrState(); }
    [[noreturn]] void ThrowUndefined(int atom);
    [[noreturn]] void ThrowNamed(int32_t number, std::u16string_view name);
    Variant NewInstance(const ClassDef* cls, std::shared_ptr<void> owner);
    Variant CreateObject(const std::u16string& progId);
    // Compiles and runs code in the global scope (AddCode, ExecuteGlobal, Execute).
    // With localScope (Execute, Eval) the code also sees the calling procedure's variables.
    void AddProgram(std::u16string_view text, int firstLine, bool localScope = false);
    // Compiles text piece by piece (nothing declared or run). `continues`: the Option Explicit
    // of a text this one continues (else the first piece's holds for the others). `remember`:
    // the pieces go into the compile cache (a caller that keeps the pieces itself passes false,
    // sparing the cache a copy of a long text). `nextLine`: as SplitChunks gives it.
    std::vector<std::shared_ptr<Program>> CompilePieces(std::u16string_view text, int firstLine,
                                                        bool localScope,
                                                        std::optional<bool> continues,
                                                        bool remember = true,
                                                        int* nextLine = nullptr);
    // Declares every piece, then runs the pieces' top-level statements in order.
    void RunPieces(const std::vector<std::shared_ptr<Program>>& pieces);
    // Uses `store` (another engine's) for names and compiled code from now on; this engine's
    // own state is reset.
    void UseStore(std::shared_ptr<CodeStore> store);
    const std::shared_ptr<CodeStore>& Store() const { return store_; }
    Variant EvalText(std::u16string_view text, bool localScope = false);
    // The caller's variable of that name while Execute/Eval code runs (nullptr when none).
    Variant* ExecLocal(int atom);
    Frame* execFrame = nullptr;

    // ---- public API helpers ----
    bool Guard(const std::function<void()>& body);  // runs body, turns errors into lastError

    Frame* frame = nullptr;
    int line = 0;
    int depth = 0;
    int running = 0;
    uintptr_t stackBase = 0;  // stack address at the outermost entry (depth limit in bytes)
    int timeoutMs = 10000;
    ErrState err;
    ScriptError lastError;
    rt::RandomGenerator random;
    std::function<int(const MsgBoxRequest&)> msgBoxHook;
    std::function<Variant(const InputBoxRequest&)> inputBoxHook;
    bool dying = false;
    // False once the engine is gone: script objects a host still holds then do nothing.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
    uint32_t resolveGen = 1;  // bumped when objects are added: failed lookups are retried
    // Arrays whose elements are passed by reference to a call in progress: kept alive and
    // locked against ReDim and Erase until the call returns.
    std::vector<ArrData*> refHolds;
    Ref<Dispatch> errObject;
    void InitBuiltinObjects();

    struct NamedItem {
        int atom;
        Ref<Dispatch> obj;
        bool addMembers;
    };
    std::vector<NamedItem> namedItems;
    std::vector<int> procOrder;  // atoms of global procedures in definition order
    std::vector<std::shared_ptr<Program>> programs;

    void ResetState();

  private:
    std::shared_ptr<Program> Compile(std::u16string_view text, int firstLine, bool asExpression,
                                     bool optionExplicit = false, bool dynamicScope = false,
                                     bool remember = true);
    void Declare(const std::shared_ptr<Program>& p);

    std::shared_ptr<CodeStore> store_;
    SlotTable globals_;
    uint32_t steps_ = 0;
    std::chrono::steady_clock::time_point deadline_;
    bool hasDeadline_ = false;
    friend class Engine;
};

// Value helpers shared by the interpreter and the built-ins.
Variant IndexValueOf(EngineImpl& e, const Variant& base, std::span<Variant> args);
Dispatch* RequireObject(const Variant& v);
// Assigns with Let/Set rules into storage.
void StoreValue(Variant& target, Variant v, bool isSet);
Variant LetValue(Variant v);
Variant PlainCopy(const Variant& v);

}  // namespace vbs
