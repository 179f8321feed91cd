#include "scripting/ScriptMedia.h"

#include <cmath>
#include <vector>

#include "platform/forms/Control.h"
#include "platform/media/MediaPlayer.h"
#include "scripting/ScriptValues.h"

namespace storyloom {

namespace {

using Args = std::span<vbs::Variant>;
constexpr int kTwipsPerPixel = 15;

[[noreturn]] void Missing(int index) {
    RaiseScriptError(340, QStringLiteral("Control array element '%1' doesn't exist").arg(index));
}

class MediaElementObject;

// A member of a player: `get` also serves methods (which take the call's arguments); `set` is
// null for methods, which cannot be assigned.
struct MediaMember {
    const char16_t* name;
    vbs::Variant (*get)(MediaElementObject& self, Args args);
    void (*set)(MediaElementObject& self, const vbs::Variant& value);
};

const std::vector<MediaMember>& MediaMembers();

// One player of an array. Every member finds the player again, so the object stays safe after
// the element was unloaded or the frame that owned the video was left. The members come from
// one shared table, so naming an element costs no more than a pointer and an index.
class MediaElementObject : public vbs::Dispatch, public LoadableElement {
  public:
    MediaElementObject(std::shared_ptr<MediaArrayAccess> access, int index)
        : access_(std::move(access)), index_(index) {}

    std::u16string TypeName() override { return u"MediaPlayer"; }
    int FindMember(std::u16string_view name) override {
        const std::vector<MediaMember>& members = MediaMembers();
        for (size_t i = 0; i < members.size(); ++i)
            if (SameName(name, members[i].name)) return static_cast<int>(i) + 1;
        return vbs::kDispUnknown;
    }
    vbs::Variant Invoke(int id, vbs::InvokeKind kind, Args args) override {
        const std::vector<MediaMember>& members = MediaMembers();
        if (id <= 0 || id > static_cast<int>(members.size())) vbs::ThrowError(438);
        const MediaMember& m = members[static_cast<size_t>(id - 1)];
        if (kind == vbs::InvokeKind::Let || kind == vbs::InvokeKind::Set) {
            if (!m.set || args.empty()) vbs::ThrowError(438);
            m.set(*this, args.back());
            return {};
        }
        return m.get(*this, args);
    }

    void LoadElement() override {
        if (!access_->load) throw forms::ControlError(360, QStringLiteral("Object already loaded"));
        access_->load(index_);
    }
    void UnloadElement() override {
        if (!access_->unload)
            throw forms::ControlError(
                362, QStringLiteral("Can't unload controls created at design time"));
        access_->unload(index_);
    }

    int Index() const { return index_; }
    MediaSlot Slot() const {
        MediaSlot slot = access_->find(index_);
        if (!slot.player) Missing(index_);
        return slot;
    }
    MediaPlayer& Player() const { return *Slot().player; }
    QRect& Place() const {
        MediaSlot slot = Slot();
        if (!slot.pixelRect)
            RaiseScriptError(438, QStringLiteral("Object doesn't support this property or method"));
        return *slot.pixelRect;
    }

  private:
    static bool SameName(std::u16string_view a, const char16_t* b) {
        const std::u16string_view bv(b);
        if (a.size() != bv.size()) return false;
        auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
        for (size_t i = 0; i < a.size(); ++i)
            if (lower(a[i]) != lower(bv[i])) return false;
        return true;
    }

    std::shared_ptr<MediaArrayAccess> access_;
    int index_;
};

int Pixels(const vbs::Variant& twips) {
    const double pixels = ScriptDouble(twips) / kTwipsPerPixel;
    if (!(std::abs(pixels) <= 1'000'000)) RaiseScriptError(6, QStringLiteral("Overflow"));
    return static_cast<int>(pixels);
}

[[noreturn]] void InvalidValue() {
    RaiseScriptError(380, QStringLiteral("Invalid property value"));
}

[[noreturn]] void ReadOnly(const char* name) {
    RaiseScriptError(383, QStringLiteral("'%1' property is read-only").arg(QLatin1String(name)));
}

vbs::Variant Twips(int pixels) {
    return vbs::Variant::Long(pixels * kTwipsPerPixel);
}

const std::vector<MediaMember>& MediaMembers() {
    using E = MediaElementObject;
    using V = vbs::Variant;
    static const std::vector<MediaMember> members = {
        {u"FileName", [](E& e, Args) { return V::String(U16(e.Player().FileName())); },
         [](E& e, const V& v) { e.Player().SetFileName(ScriptText(v)); }},
        {u"PlayCount", [](E& e, Args) { return V::Long(e.Player().PlayCount()); },
         [](E& e, const V& v) {
             const qint32 count = ScriptLong(v);
             if (count < 0) InvalidValue();
             e.Player().SetPlayCount(count);
         }},
        // Hundredths of a decibel: 0 is full, -10000 silence.
        {u"Volume", [](E& e, Args) { return V::Long(e.Player().Volume()); },
         [](E& e, const V& v) {
             const qint32 volume = ScriptLong(v);
             if (volume > 0 || volume < -10000) InvalidValue();
             e.Player().SetVolume(volume);
         }},
        {u"Rate", [](E& e, Args) { return V::Double(e.Player().Rate()); },
         [](E& e, const V& v) {
             const double rate = ScriptDouble(v);
             if (!(rate > 0) || rate > 16) InvalidValue();
             e.Player().SetRate(rate);
         }},
        {u"CurrentPosition", [](E& e, Args) { return V::Double(e.Player().CurrentPosition()); },
         [](E& e, const V& v) { e.Player().SetCurrentPosition(std::max(0.0, ScriptDouble(v))); }},
        {u"PlayState", [](E& e, Args) { return V::Long(e.Player().PlayState()); },
         [](E& e, const V&) {
             e.Slot();
             ReadOnly("PlayState");
         }},
        {u"Duration", [](E& e, Args) { return V::Double(e.Player().Duration()); },
         [](E& e, const V&) {
             e.Slot();
             ReadOnly("Duration");
         }},
        {u"AutoSize", [](E& e, Args) { return V::Bool(e.Player().AutoSize()); },
         [](E& e, const V& v) { e.Player().SetAutoSize(ScriptBool(v)); }},
        {u"ShowControls", [](E& e, Args) { return V::Bool(e.Player().ShowControls()); },
         [](E& e, const V& v) { e.Player().SetShowControls(ScriptBool(v)); }},
        // The status display and status bar are never shown by this player; scripts that
        // switch them off keep working.
        {u"ShowDisplay",
         [](E& e, Args) {
             e.Slot();
             return V::Bool(false);
         },
         [](E& e, const V& v) {
             e.Slot();
             ScriptBool(v);
         }},
        {u"ShowStatusBar",
         [](E& e, Args) {
             e.Slot();
             return V::Bool(false);
         },
         [](E& e, const V& v) {
             e.Slot();
             ScriptBool(v);
         }},
        {u"Play",
         [](E& e, Args) {
             e.Player().Play();
             return V();
         },
         nullptr},
        {u"Stop",
         [](E& e, Args) {
             e.Player().Stop();
             return V();
         },
         nullptr},
        {u"Pause",
         [](E& e, Args) {
             e.Player().Pause();
             return V();
         },
         nullptr},
        {u"Visible",
         [](E& e, Args) {
             MediaSlot slot = e.Slot();
             return V::Bool(slot.visible && *slot.visible);
         },
         [](E& e, const V& v) {
             MediaSlot slot = e.Slot();
             if (!slot.visible)
                 RaiseScriptError(438,
                                  QStringLiteral("Object doesn't support this property or method"));
             *slot.visible = ScriptBool(v);
         }},
        // Place and size in twips; a size below zero is an invalid value.
        {u"Left", [](E& e, Args) { return Twips(e.Place().left()); },
         [](E& e, const V& v) { e.Place().moveLeft(Pixels(v)); }},
        {u"Top", [](E& e, Args) { return Twips(e.Place().top()); },
         [](E& e, const V& v) { e.Place().moveTop(Pixels(v)); }},
        {u"Width", [](E& e, Args) { return Twips(e.Place().width()); },
         [](E& e, const V& v) {
             const int pixels = Pixels(v);
             if (pixels < 0) InvalidValue();
             e.Place().setWidth(pixels);
         }},
        {u"Height", [](E& e, Args) { return Twips(e.Place().height()); },
         [](E& e, const V& v) {
             const int pixels = Pixels(v);
             if (pixels < 0) InvalidValue();
             e.Place().setHeight(pixels);
         }},
        {u"Move",
         [](E& e, Args a) {
             QRect& r = e.Place();
             auto given = [&a](size_t i) { return a.size() > i && !Arg(a, i).IsEmpty(); };
             QRect moved = r;
             moved.moveLeft(Pixels(Arg(a, 0)));
             if (given(1)) moved.moveTop(Pixels(Arg(a, 1)));
             if (given(2)) moved.setWidth(Pixels(Arg(a, 2)));
             if (given(3)) moved.setHeight(Pixels(Arg(a, 3)));
             if (moved.width() < 0 || moved.height() < 0) InvalidValue();
             r = moved;
             return V();
         },
         nullptr},
        {u"Index", [](E& e, Args) { return V::Integer(int16_t(e.Index())); }, nullptr},
    };
    return members;
}

// The array: `AudioPlayerObject(6)`, `.Count`, `.UBound`, `.LBound`, For Each.
class MediaArrayObject : public vbs::HostObject {
  public:
    explicit MediaArrayObject(std::shared_ptr<MediaArrayAccess> access)
        : vbs::HostObject(u"Object"), access_(std::move(access)) {
        AddMethod(u"Item", [this](Args a) {
            if (a.empty()) return vbs::Variant::Object(this);
            return Element(ScriptLong(a[0]));
        });
        SetDefault(u"Item");
        AddMethod(u"Count", [this](Args) {
            return vbs::Variant::Integer(int16_t(access_->indices().size()));
        });
        AddMethod(u"UBound", [this](Args) {
            const std::vector<int> all = access_->indices();
            return vbs::Variant::Integer(int16_t(all.empty() ? -1 : all.back()));
        });
        AddMethod(u"LBound", [this](Args) {
            const std::vector<int> all = access_->indices();
            return vbs::Variant::Integer(int16_t(all.empty() ? 0 : all.front()));
        });
        SetEnumerator([this] {
            std::vector<vbs::Variant> out;
            for (int index : access_->indices()) out.push_back(Element(index));
            return out;
        });
    }

  private:
    vbs::Variant Element(int index) {
        return vbs::Variant::Object(new MediaElementObject(access_, index));
    }
    std::shared_ptr<MediaArrayAccess> access_;
};

}  // namespace

vbs::Ref<vbs::Dispatch> MakeMediaArrayObject(std::shared_ptr<MediaArrayAccess> access) {
    return vbs::Ref<vbs::Dispatch>(new MediaArrayObject(std::move(access)));
}

}  // namespace storyloom
