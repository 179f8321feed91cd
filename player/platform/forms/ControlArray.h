#pragma once
// Control arrays: element 0 is the design-time template, never shown; elements 1 and up are
// loaded from it at run time and unloaded again.
#include <QString>
#include <map>
#include <vector>

#include "platform/forms/Control.h"

namespace storyloom::forms {

class ControlArrayBase {
  public:
    virtual ~ControlArrayBase() = default;
    // A loaded element is being destroyed (by Unload or with its container).
    virtual void Forget(int index) = 0;

  protected:
    static void Attach(Control& control, ControlArrayBase* array, int index) {
        control.array_ = array;
        control.index_ = index;
    }
    static std::unique_ptr<Control> Clone(const Control& control) {
        return control.CloneForArray();
    }
    static void Adopt(Control& container, std::unique_ptr<Control> child) {
        container.AdoptChild(std::move(child));
    }
};

template <class T>
class ControlArray : public ControlArrayBase {
  public:
    // `templateElement` becomes element 0; it must already sit in its container.
    explicit ControlArray(T* templateElement) {
        Attach(*templateElement, this, 0);
        elements_[0] = templateElement;
    }
    ~ControlArray() override {
        for (auto& [index, element] : elements_) Attach(*element, nullptr, index);
    }
    ControlArray(const ControlArray&) = delete;
    ControlArray& operator=(const ControlArray&) = delete;

    // Basic's Load: a copy of the template's properties and handlers, hidden, in the
    // template's container, in front of its siblings.
    T* Load(int index) {
        if (index < 0 || index > 32767)
            throw ControlError(
                kErrElementMissing,
                QStringLiteral("Control array element '%1' doesn't exist").arg(index));
        if (elements_.count(index))
            throw ControlError(kErrAlreadyLoaded, QStringLiteral("Object already loaded"));
        T* templ = Template();
        Control* container = templ->Parent();
        if (!container) throw ControlError(kErrElementMissing, QStringLiteral("No container"));
        std::unique_ptr<Control> copy = Clone(*templ);
        T* raw = static_cast<T*>(copy.get());
        Attach(*raw, this, index);
        raw->SetVisible(false);
        Adopt(*container, std::move(copy));
        elements_[index] = raw;
        return raw;
    }
    // Basic's Unload. Element 0 cannot be unloaded.
    void Unload(int index) {
        if (index == 0)
            throw ControlError(kErrCannotUnloadDesignTime,
                               QStringLiteral("Can't unload controls created at design time"));
        T* element = Find(index);
        if (!element)
            throw ControlError(
                kErrElementMissing,
                QStringLiteral("Control array element '%1' doesn't exist").arg(index));
        element->Parent()->Remove(element);  // calls Forget
    }
    // Unloads every element above 0.
    void UnloadAll() {
        while (UBound() > 0) Unload(UBound());
    }
    T* Find(int index) const {
        auto it = elements_.find(index);
        return it == elements_.end() ? nullptr : it->second;
    }
    // Basic's Item(index): error 340 when the element does not exist.
    T* Item(int index) const {
        T* element = Find(index);
        if (!element)
            throw ControlError(
                kErrElementMissing,
                QStringLiteral("Control array element '%1' doesn't exist").arg(index));
        return element;
    }
    T* operator[](int index) const { return Item(index); }
    T* Template() const { return elements_.at(0); }
    bool Exists(int index) const { return elements_.count(index) != 0; }
    int UBound() const { return elements_.empty() ? -1 : elements_.rbegin()->first; }
    int LBound() const { return elements_.empty() ? 0 : elements_.begin()->first; }
    int Count() const { return static_cast<int>(elements_.size()); }
    std::vector<int> Indices() const {
        std::vector<int> out;
        for (const auto& [index, element] : elements_) out.push_back(index);
        return out;
    }

    void Forget(int index) override {
        // Losing the template (its window closing) leaves an array without elements.
        elements_.erase(index);
    }

  private:
    std::map<int, T*> elements_;
};

}  // namespace storyloom::forms
