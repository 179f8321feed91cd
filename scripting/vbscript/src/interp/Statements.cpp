// Statements: blocks, assignment, If, Select, the loops, ReDim, Erase, On Error, With.
#include <cmath>
#include <functional>
#include <memory>

#include "interp/Interp.h"

namespace vbs {

using namespace interp;

Flow Block::Exec(EngineImpl& e) const {
    for (const auto& s : stmts) {
        e.line = s->line;
        if (!e.frame->resumeNext) {
            Flow f = s->Exec(e);
            if (f != Flow::Normal) return f;
            continue;
        }
        try {
            Flow f = s->Exec(e);
            if (f != Flow::Normal) return f;
        } catch (const ScriptException& ex) {
            e.SetErr(ex);
        }
    }
    return Flow::Normal;
}

void AssignStmt::Prepare() {
    auto* n = As<NameExpr>(target.get());
    if (!n || !n->IsPlain() || isSet) return;
    plain_ = n;
    auto* cat = dynamic_cast<BinaryExpr*>(value.get());
    if (!cat || cat->op != BinOp::Concat) return;
    auto* left = As<NameExpr>(cat->left.get());
    if (!left || !left->IsPlain() || !left->SameVariable(*n)) return;
    if (cat->rightConst) {
        appendConst_ = cat->rightConst;
    } else if (auto* right = As<NameExpr>(cat->right.get()); right && right->IsPlain()) {
        appendFrom_ = right;
    }
}

// x = x & y with x a string nobody else holds and y a string: y is appended to x's text
// where it is, as the general path would give the same string, new.
bool AssignStmt::AppendInPlace(EngineImpl& e) {
    Variant* x = plain_->PlainStorage(e);
    if (!x) return false;
    std::u16string* text = x->UniqueText();
    if (!text) return false;
    const Variant* y = appendConst_ ? appendConst_ : appendFrom_->PlainStorage(e);
    if (!y || y == x || y->Type() != vtString) return false;
    text->append(y->Str());
    return true;
}

Flow AssignStmt::Exec(EngineImpl& e) {
    if ((appendConst_ || appendFrom_) && AppendInPlace(e)) return Flow::Normal;
    if (plain_) {
        Variant v = value->Eval(e);
        uint16_t t = v.Type();
        if (t != vtObject && t != vtRef && !(t & vtArray)) {
            if (Variant* x = plain_->PlainStorage(e)) {
                *x = std::move(v);
                return Flow::Normal;
            }
        }
        plain_->NameExpr::Assign(e, std::move(v), false);
        return Flow::Normal;
    }
    target->Assign(e, value->Eval(e), isSet);
    return Flow::Normal;
}

Flow IfStmt::Exec(EngineImpl& e) {
    for (size_t i = 0; i < conds.size(); ++i) {
        bool c;
        if (e.frame->resumeNext) {
            // After an error in the condition, execution resumes inside the branch.
            try {
                c = CondTrue(conds[i]->Eval(e));
            } catch (const ScriptException& ex) {
                e.SetErr(ex);
                c = true;
            }
        } else {
            c = CondTrue(conds[i]->Eval(e));
        }
        if (c) return blocks[i].Exec(e);
    }
    if (blocks.size() > conds.size()) return blocks.back().Exec(e);
    return Flow::Normal;
}

// Under On Error Resume Next an error in a statement's head resumes as the original does:
// HeadFailed records it and tells the caller to take its fallback path.
static bool HeadFailed(EngineImpl& e, const std::function<void()>& eval) {
    if (!e.frame->resumeNext) {
        eval();
        return false;
    }
    try {
        eval();
        return false;
    } catch (const ScriptException& ex) {
        e.SetErr(ex);
        return true;
    }
}

Flow SelectStmt::Exec(EngineImpl& e) {
    Variant v;
    // An error in the tested value skips the whole Select.
    if (HeadFailed(e, [&] { v = subject->Eval(e); })) return Flow::Normal;
    for (auto& c : cases) {
        if (c.values.empty()) return c.body.Exec(e);
        for (auto& x : c.values) {
            bool match = false;
            // An error in a Case value selects that case.
            if (HeadFailed(e, [&] { match = Compare(v, x->Eval(e)) == 0; })) match = true;
            if (match) return c.body.Exec(e);
        }
    }
    return Flow::Normal;
}

// The body once, then the loop's own error: what a failed loop head resumes into.
static Flow BodyOnceThen(EngineImpl& e, const Block& body, int32_t error) {
    Flow f = body.Exec(e);
    if (f == Flow::ExitFor) f = Flow::Normal;
    if (f != Flow::Normal) return f;
    e.SetErr(ScriptException(error));
    return Flow::Normal;
}

Flow ForStmt::Exec(EngineImpl& e) {
    Variant start, end, inc;
    if (HeadFailed(e, [&] {
            start = ToNumeric(from->Eval(e));
            end = ToNumeric(to->Eval(e));
            inc = step ? ToNumeric(step->Eval(e)) : Variant::Integer(1);
            if (start.IsNull() || end.IsNull() || inc.IsNull()) ThrowError(kErrInvalidNull);
        }))
        return BodyOnceThen(e, body, 92);
    var->Assign(e, start, false);
    bool intLoop = IsIntType(start.Type()) && IsIntType(end.Type()) && IsIntType(inc.Type());
    if (intLoop) {
        int64_t last = IntOf(end), st = IntOf(inc);
        uint16_t stepType = inc.Type();
        // A plain variable's storage stays where it is for the whole loop (a local of this
        // frame or a global slot): it is found once. Other counters are looked up each time.
        Variant* fixed = nullptr;
        if (auto* plainVar = As<NameExpr>(var.get()); plainVar && plainVar->IsPlain())
            fixed = plainVar->PlainStorage(e);
        for (;;) {
            Variant* p = fixed ? fixed : var->Ref(e);
            Variant held;
            if (!p) {
                held = var->Eval(e);
                p = &held;
            }
            if (!IsIntType(p->Type())) {
                intLoop = false;
                break;
            }
            int64_t c = IntOf(*p);
            if (st >= 0 ? c > last : c < last) return Flow::Normal;
            Flow f = body.Exec(e);
            if (f == Flow::ExitFor) return Flow::Normal;
            if (f != Flow::Normal) return f;
            e.Tick();
            p = fixed ? fixed : var->Ref(e);
            if (!p) {
                held = var->Eval(e);
                p = &held;
            }
            if (!IsIntType(p->Type())) {
                var->Assign(e, OpAdd(*p, inc), false);
                intLoop = false;
                break;
            }
            Variant next = FitInt(IntOf(*p) + st, p->Type(),
                                  stepType == vtByte ? uint16_t(vtInteger) : stepType);
            if (p != &held)
                *p = std::move(next);
            else
                var->Assign(e, std::move(next), false);
        }
    }
    bool down = Compare(inc, Variant::Integer(0)) < 0;
    for (;;) {
        Variant cur = var->Eval(e);
        int c = Compare(cur, end);
        if (down ? c < 0 : c > 0) return Flow::Normal;
        Flow f = body.Exec(e);
        if (f == Flow::ExitFor) return Flow::Normal;
        if (f != Flow::Normal) return f;
        e.Tick();
        var->Assign(e, OpAdd(var->Eval(e), inc), false);
    }
}

Flow ForEachStmt::Exec(EngineImpl& e) {
    Variant c;
    if (HeadFailed(e, [&] {
            c = collection->Eval(e);
            const Variant& d = c.Deref();
            if (!d.IsArray() && d.Type() != vtObject) ThrowError(kErrNotCollection);
        }))
        return BodyOnceThen(e, body, kErrNotCollection);
    const Variant& coll = c.Deref();
    std::vector<Variant> items;
    if (coll.IsArray()) {
        Variant keep = coll;  // the loop walks a snapshot
        for (auto& it : keep.AsArray()->items) {
            var->Assign(e, it, it.Type() == vtObject);
            Flow f = body.Exec(e);
            if (f == Flow::ExitFor) return Flow::Normal;
            if (f != Flow::Normal) return f;
            e.Tick();
        }
        return Flow::Normal;
    }
    if (coll.Type() != vtObject) ThrowError(kErrNotCollection);
    Dispatch* d = RequireObject(coll);
    if (!d->Enumerate(items)) ThrowError(kErrNotCollection);
    for (auto& it : items) {
        var->Assign(e, it, it.Type() == vtObject);
        Flow f = body.Exec(e);
        if (f == Flow::ExitFor) return Flow::Normal;
        if (f != Flow::Normal) return f;
        e.Tick();
    }
    // The enumerator's end leaves the loop variable Empty.
    var->Assign(e, Variant(), false);
    return Flow::Normal;
}

// A loop condition; after an error under On Error Resume Next, execution goes on with the
// statement that follows the test: into the body for a test at the top, out of the loop for one
// at the bottom.
static bool LoopTest(EngineImpl& e, Expr& cond, bool isUntil, bool atEnd) {
    if (!e.frame->resumeNext) {
        bool c = CondTrue(cond.Eval(e));
        return isUntil ? !c : c;
    }
    try {
        bool c = CondTrue(cond.Eval(e));
        return isUntil ? !c : c;
    } catch (const ScriptException& ex) {
        e.SetErr(ex);
        return !atEnd;
    }
}

Flow DoStmt::Exec(EngineImpl& e) {
    for (;;) {
        if (cond && !condAtEnd && !LoopTest(e, *cond, isUntil, false)) return Flow::Normal;
        Flow f = body.Exec(e);
        if (f == Flow::ExitDo) return Flow::Normal;
        if (f != Flow::Normal) return f;
        e.Tick();
        if (cond && condAtEnd && !LoopTest(e, *cond, isUntil, true)) return Flow::Normal;
    }
}

Flow ReDimStmt::Exec(EngineImpl& e) {
    for (auto& item : items) {
        auto* n = static_cast<NameExpr*>(item.target.get());
        Variant* s = n->Storage(e, true);
        if (!s) {
            if (n->explicitOpt && n->mode == NameMode::Global &&
                e.Slot(n->atom).kind == SlotKind::Unset)
                e.ThrowUndefined(n->atom);
            ThrowError(kErrIllegalAssign);
        }
        if (!preserve && s->IsArray() && (s->AsArray()->fixed || s->AsArray()->locks))
            ThrowError(kErrArrayLocked);
        std::vector<ArrayBound> bounds;
        size_t total = 1;
        for (auto& d : item.dims) {
            int32_t ub = ToLong(d->Eval(e));
            if (ub < -1) ThrowError(kErrSubscript);
            bounds.push_back({0, ub + 1});
            total *= size_t(ub + 1);
            if (total > (size_t(1) << 26)) ThrowError(kErrOutOfMemory);
        }
        if (s->IsArray()) {
            ArrData* old = s->AsArray();
            if (old->fixed) ThrowError(kErrArrayLocked);
            if (old->locks) ThrowError(kErrArrayLocked);
            if (preserve) {
                if (old->bounds.size() != bounds.size()) ThrowError(kErrSubscript);
                for (size_t i = 0; i + 1 < bounds.size(); ++i)
                    if (old->bounds[i].count != bounds[i].count) ThrowError(kErrSubscript);
                ArrData* a = s->MutableArray();
                a->bounds = std::move(bounds);
                a->items.resize(total);
                continue;
            }
        } else if (preserve && !s->IsEmpty()) {
            ThrowError(kErrTypeMismatch);
        }
        *s = Variant::NewArray(std::move(bounds));
    }
    return Flow::Normal;
}

Flow EraseStmt::Exec(EngineImpl& e) {
    auto* n = static_cast<NameExpr*>(target.get());
    Variant* s = n->Storage(e, false);
    if (!s || !s->IsArray()) ThrowError(kErrTypeMismatch);
    if (s->AsArray()->locks) ThrowError(kErrArrayLocked);
    ArrData* a = s->MutableArray();
    if (a->fixed) {
        for (auto& v : a->items) v = Variant();
    } else {
        a->bounds.clear();
        a->items.clear();
    }
    return Flow::Normal;
}

Flow OnErrorStmt::Exec(EngineImpl& e) {
    e.frame->resumeNext = resumeNext;
    e.ClearErr();
    return Flow::Normal;
}

Flow WithStmt::Exec(EngineImpl& e) {
    Variant obj;
    HeadFailed(e, [&] { obj = object->Eval(e); });
    e.frame->locals[slot] = std::move(obj);
    struct Clear {
        EngineImpl& e;
        Frame* f;
        int slot;
        ~Clear() { f->locals[slot] = Variant(); }
    } clear{e, e.frame, slot};
    return body.Exec(e);
}

Flow DimArrayStmt::Exec(EngineImpl& e) {
    auto* n = static_cast<NameExpr*>(target.get());
    Variant* s = n->Storage(e, true);
    if (!s) ThrowError(kErrIllegalAssign);
    *s = MakeFixedArray(e, dims, true);
    return Flow::Normal;
}

Flow RandomizeStmt::Exec(EngineImpl& e) {
    if (seed)
        e.random.Randomize(ToDouble(seed->Eval(e)));
    else
        e.random.Randomize();
    return Flow::Normal;
}

}  // namespace vbs
