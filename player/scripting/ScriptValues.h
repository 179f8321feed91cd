#pragma once
// Values crossing between scripts and the game: conversions between the engine's variants and
// Qt values, and the script objects over the game's controls, pictures and variables.
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/Control.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Picture.h"
#include "platform/forms/Properties.h"
#include "vbscript/Engine.h"

namespace storyloom {

class ClassVariable;
class ClassVariableVariant;

// ---- Conversions (the engine's own rules: CStr, CDbl, CBool, CInt, CLng) ------------------------
QString ScriptText(const vbs::Variant& value);
double ScriptDouble(const vbs::Variant& value);
bool ScriptBool(const vbs::Variant& value);
qint16 ScriptInteger(const vbs::Variant& value);
qint32 ScriptLong(const vbs::Variant& value);
// The argument at `index`, or Empty when the script left it out.
const vbs::Variant& Arg(std::span<vbs::Variant> args, size_t index);

std::u16string U16(const QString& text);
// The text's own characters, without a copy: valid while the text lives unchanged.
std::u16string_view U16View(const QString& text);
QString FromU16(std::u16string_view text);

// Raises a script run-time error.
[[noreturn]] void RaiseScriptError(int number, const QString& description);

class PictureRegistry;
vbs::Variant ToScript(const forms::PropertyValue& value, PictureRegistry* pictures = nullptr);
forms::PropertyValue FromScript(const vbs::Variant& value);
vbs::Variant ToScript(const QVariant& value);
QVariant ToQVariant(const vbs::Variant& value);

// ---- Pictures ----------------------------------------------------------------------------------
// The pictures scripts were given during a run, by handle: `x.Picture = LoadGraphicFile(..)`
// (without Set) hands the property the picture's default value, its handle, and the property
// finds the picture again here. Emptied before every run.
class PictureRegistry {
  public:
    void Remember(const forms::Picture& picture);
    const forms::Picture* Find(qint64 handle) const;
    void Clear() { pictures_.clear(); }

  private:
    std::vector<forms::Picture> pictures_;
};

// A picture as scripts hold it (what LoadGraphicFile returns and a Picture property gives).
class PictureObject : public vbs::Dispatch {
  public:
    explicit PictureObject(forms::Picture picture) : picture_(std::move(picture)) {}
    const forms::Picture& Picture() const { return picture_; }
    std::u16string TypeName() override { return u"Picture"; }
    int FindMember(std::u16string_view name) override;
    vbs::Variant Invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant> args) override;

  private:
    forms::Picture picture_;
};

// The picture a script hands over: a picture object, a picture's handle (its default value), or
// a control, whose drawing (a picture box) or picture (any other) is meant. Anything else is
// error 13, a handle nobody knows error 481.
forms::Picture ScriptPicture(const vbs::Variant& value, const PictureRegistry* pictures);

// ---- Controls ----------------------------------------------------------------------------------
// Type-erased access to one control array of the game window.
class ControlArrayHandle {
  public:
    virtual ~ControlArrayHandle() = default;
    virtual forms::ControlKind Kind() const = 0;
    virtual forms::Control* Find(int index) const = 0;
    virtual void Load(int index) = 0;
    virtual void Unload(int index) = 0;
    virtual std::vector<int> Indices() const = 0;
};

template <class T>
class ControlArrayHandleOf : public ControlArrayHandle {
  public:
    ControlArrayHandleOf(forms::ControlKind kind, std::function<forms::ControlArray<T>*()> array)
        : kind_(kind), array_(std::move(array)) {}
    forms::ControlKind Kind() const override { return kind_; }
    forms::Control* Find(int index) const override {
        forms::ControlArray<T>* a = array_();
        return a ? a->Find(index) : nullptr;
    }
    void Load(int index) override { Array().Load(index); }
    void Unload(int index) override { Array().Unload(index); }
    std::vector<int> Indices() const override {
        forms::ControlArray<T>* a = array_();
        return a ? a->Indices() : std::vector<int>{};
    }

  private:
    forms::ControlArray<T>& Array() const {
        forms::ControlArray<T>* a = array_();
        if (!a)
            throw forms::ControlError(forms::kErrElementMissing,
                                      QStringLiteral("The control array does not exist"));
        return *a;
    }
    forms::ControlKind kind_;
    std::function<forms::ControlArray<T>*()> array_;
};

// An element of an array that scripts load and unload (LoadControl, UnloadControl). Both throw
// when the array refuses.
class LoadableElement {
  public:
    virtual ~LoadableElement() = default;
    virtual void LoadElement() = 0;
    virtual void UnloadElement() = 0;
};

// One control: every property and method of its kind's table, by name. An element of a control
// array is looked up again at every use, so a reference kept after the element was unloaded
// raises "Control array element 'n' doesn't exist" instead of reaching freed memory; it may
// also name an element not loaded yet, which is what LoadControl loads.
class ControlObject : public vbs::Dispatch, public LoadableElement {
  public:
    explicit ControlObject(forms::Control* control, PictureRegistry* pictures = nullptr)
        : control_(control), pictures_(pictures) {}
    ControlObject(std::shared_ptr<ControlArrayHandle> array, int index,
                  PictureRegistry* pictures = nullptr)
        : array_(std::move(array)), index_(index), pictures_(pictures) {}

    forms::Control& Resolve() const;
    forms::ControlKind Kind() const { return array_ ? array_->Kind() : control_->Kind(); }
    ControlArrayHandle* Array() const { return array_.get(); }
    int ArrayIndex() const { return index_; }

    std::u16string TypeName() override;
    int FindMember(std::u16string_view name) override;
    vbs::Variant Invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant> args) override;
    void LoadElement() override;
    void UnloadElement() override;

  protected:
    static constexpr int kMethodBase = 1000;
    forms::Control* control_ = nullptr;
    std::shared_ptr<ControlArrayHandle> array_;
    int index_ = 0;
    PictureRegistry* pictures_ = nullptr;
};

// A control array: `Hotspot(3)` gives element 3, `Hotspot.Count`, `Hotspot.UBound`, For Each.
class ControlArrayObject : public vbs::Dispatch {
  public:
    explicit ControlArrayObject(std::shared_ptr<ControlArrayHandle> array,
                                PictureRegistry* pictures = nullptr)
        : array_(std::move(array)), pictures_(pictures) {}
    const std::shared_ptr<ControlArrayHandle>& Handle() const { return array_; }
    std::u16string TypeName() override { return u"Object"; }
    int FindMember(std::u16string_view name) override;
    vbs::Variant Invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant> args) override;
    bool Enumerate(std::vector<vbs::Variant>& out) override;

  private:
    std::shared_ptr<ControlArrayHandle> array_;
    PictureRegistry* pictures_ = nullptr;
};

// An object of the game window that this player does not have: using it is a run-time error
// that names it, so a script learns what is missing instead of failing later. It has no
// members, so its global members hide nothing.
class UnavailableObject : public vbs::Dispatch {
  public:
    explicit UnavailableObject(QString name) : name_(std::move(name)) {}
    int FindMember(std::u16string_view) override { return vbs::kDispUnknown; }
    vbs::Variant Invoke(int, vbs::InvokeKind, std::span<vbs::Variant>) override;

  private:
    QString name_;
};

// ---- Game variables ----------------------------------------------------------------------------
// A game variable as scripts see it: `Name` and the default member `Value`, so `Score =
// Score + 1` reads and writes the game's variable. Integer variables keep Basic's 16-bit range
// (a value outside it is error 6, Overflow).
class IntegerVariableObject : public vbs::Dispatch {
  public:
    explicit IntegerVariableObject(std::shared_ptr<ClassVariable> variable)
        : variable_(std::move(variable)) {}
    std::u16string TypeName() override { return u"ClassVariable"; }
    int FindMember(std::u16string_view name) override;
    vbs::Variant Invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant> args) override;

  private:
    std::shared_ptr<ClassVariable> variable_;
};

class VariantVariableObject : public vbs::Dispatch {
  public:
    explicit VariantVariableObject(std::shared_ptr<ClassVariableVariant> variable)
        : variable_(std::move(variable)) {}
    std::u16string TypeName() override { return u"ClassVariableVariant"; }
    int FindMember(std::u16string_view name) override;
    vbs::Variant Invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant> args) override;

  private:
    std::shared_ptr<ClassVariableVariant> variable_;
};

}  // namespace storyloom
