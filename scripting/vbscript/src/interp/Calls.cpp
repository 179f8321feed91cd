// Calls of script procedures: the frame of variables, arguments evaluated into it, the body.
#include <cmath>
#include <functional>
#include <memory>

#include "interp/Interp.h"

namespace vbs {

using namespace interp;

namespace {

// A procedure's variables: on the stack for most procedures, only as many as it has.
class FrameLocals {
  public:
    explicit FrameLocals(size_t count) : n_(count) {
        if (count > kInline) {
            heap_.reset(new Variant[count]);
            p_ = heap_.get();
        } else {
            p_ = reinterpret_cast<Variant*>(raw_);
            for (size_t i = 0; i < count; ++i) new (p_ + i) Variant();
        }
    }
    ~FrameLocals() {
        if (!heap_) std::destroy_n(p_, n_);
    }
    FrameLocals(const FrameLocals&) = delete;
    FrameLocals& operator=(const FrameLocals&) = delete;
    Variant* data() { return p_; }

  private:
    static constexpr size_t kInline = 12;
    alignas(Variant) unsigned char raw_[kInline * sizeof(Variant)];
    std::unique_ptr<Variant[]> heap_;
    Variant* p_;
    size_t n_;
};

}  // namespace

Variant EngineImpl::RunFrame(const ProcDef* def, ClassInstance* me, Variant* locals) {
    // Recursion ends with "Out of stack space" well before the thread's stack runs out,
    // whatever the frame sizes of this build are.
    char probe = 0;
    uintptr_t here = reinterpret_cast<uintptr_t>(&probe);
    if (depth >= kMaxDepth || (stackBase > here && stackBase - here > kStackBudget))
        ThrowError(kErrOutOfStack);
    Tick();
    Frame f;
    f.locals = locals;
    f.me = me;
    f.proc = def;
    struct Restore {
        EngineImpl* e;
        Frame* saved;
        ~Restore() {
            e->frame = saved;
            --e->depth;
        }
    } restore{this, frame};
    frame = &f;
    ++depth;
    for (auto& a : def->arrays) locals[a.slot] = MakeFixedArray(*this, a.dims, true);
    for (auto& c : def->consts) locals[c.slot] = c.value->Eval(*this);
    def->body.Exec(*this);
    return std::move(locals[0]);
}

Variant EngineImpl::CallProc(const ProcDef* def, ClassInstance* me, Variant* args, size_t n,
                             bool consumeArgs) {
    if (n != def->params.size()) ThrowError(kErrWrongArgs);
    FrameLocals frameLocals(size_t(def->localCount));
    Variant* locals = frameLocals.data();
    for (size_t i = 0; i < n; ++i) {
        Variant& a = args[i];
        if (a.IsRef()) {
            if (def->params[i].byRef)
                locals[i + 1] = a;
            else
                locals[i + 1] = PlainCopy(a.Deref());
        } else if (a.IsArray() && a.AsArray()->fixed) {
            locals[i + 1] = PlainCopy(a);
        } else if (consumeArgs) {
            locals[i + 1] = std::move(a);
        } else {
            locals[i + 1] = a;
        }
    }
    return RunFrame(def, me, locals);
}

Variant EngineImpl::CallProc(const ProcDef* def, ClassInstance* me, const ExprList& args) {
    if (args.size() != def->params.size()) {
        ArgBuf a(*this, args.size());
        EvalArgs(*this, args, def, a);
        return CallProc(def, me, a.data(), a.size(), true);
    }
    // Arrays whose elements are passed by reference stay locked until the call returns.
    struct Unlock {
        EngineImpl& e;
        size_t mark;
        ~Unlock() {
            while (e.refHolds.size() > mark) {
                Variant::UnlockArray(e.refHolds.back());
                e.refHolds.pop_back();
            }
        }
    } unlock{*this, refHolds.size()};
    // The arguments are evaluated (in the caller's frame) straight into the callee's variables.
    FrameLocals frameLocals(size_t(def->localCount));
    Variant* locals = frameLocals.data();
    for (size_t i = 0; i < args.size(); ++i) {
        if (def->params[i].byRef) {
            if (Variant* r = args[i]->Ref(*this)) {
                locals[i + 1] = Variant::MakeRef(r);
                continue;
            }
        }
        Variant& v = locals[i + 1];
        v = args[i]->Eval(*this);
        if (v.IsArray() && v.AsArray()->fixed) v = PlainCopy(v);
    }
    return RunFrame(def, me, locals);
}

}  // namespace vbs
