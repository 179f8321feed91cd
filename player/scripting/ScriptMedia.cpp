#include "scripting/ScriptMedia.h"

#include <cmath>

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

// One player of an array. Every member finds the player again, so the object stays safe after
// the element was unloaded or the frame that owned the video was left.
class MediaElementObject : public vbs::HostObject, public LoadableElement {
  public:
    MediaElementObject(std::shared_ptr<MediaArrayAccess> access, int index)
        : vbs::HostObject(u"MediaPlayer"), access_(std::move(access)), index_(index) {
        AddMembers();
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

  private:
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

    void Number(const char16_t* name, std::function<vbs::Variant(MediaPlayer&)> get,
                std::function<void(MediaPlayer&, const vbs::Variant&)> set) {
        AddProperty(
            name, [this, get](Args) { return get(Player()); },
            [this, set, name](Args, const vbs::Variant& v) {
                if (!set)
                    RaiseScriptError(383, QStringLiteral("'%1' property is read-only")
                                              .arg(FromU16(std::u16string_view(name))));
                set(Player(), v);
            });
    }

    // Left, Top, Width and Height in twips. A size below zero is an invalid value.
    void PlaceProperty(const char16_t* name, int (QRect::*get)() const, void (QRect::*put)(int),
                       bool isSize) {
        AddProperty(
            name,
            [this, get](Args) { return vbs::Variant::Long((Place().*get)() * kTwipsPerPixel); },
            [this, put, isSize](Args, const vbs::Variant& v) {
                const int pixels = Pixels(v);
                if (isSize && pixels < 0)
                    RaiseScriptError(380, QStringLiteral("Invalid property value"));
                (Place().*put)(pixels);
            });
    }

    static int Pixels(const vbs::Variant& twips) {
        const double pixels = ScriptDouble(twips) / kTwipsPerPixel;
        if (!(std::abs(pixels) <= 1'000'000)) RaiseScriptError(6, QStringLiteral("Overflow"));
        return static_cast<int>(pixels);
    }

    void AddMembers() {
        AddProperty(
            u"FileName", [this](Args) { return vbs::Variant::String(U16(Player().FileName())); },
            [this](Args, const vbs::Variant& v) { Player().SetFileName(ScriptText(v)); });
        Number(
            u"PlayCount", [](MediaPlayer& p) { return vbs::Variant::Long(p.PlayCount()); },
            [](MediaPlayer& p, const vbs::Variant& v) {
                const qint32 count = ScriptLong(v);
                if (count < 0) RaiseScriptError(380, QStringLiteral("Invalid property value"));
                p.SetPlayCount(count);
            });
        Number(
            u"Volume", [](MediaPlayer& p) { return vbs::Variant::Long(p.Volume()); },
            [](MediaPlayer& p, const vbs::Variant& v) {
                // Hundredths of a decibel: 0 is full, -10000 silence.
                const qint32 volume = ScriptLong(v);
                if (volume > 0 || volume < -10000)
                    RaiseScriptError(380, QStringLiteral("Invalid property value"));
                p.SetVolume(volume);
            });
        Number(
            u"Rate", [](MediaPlayer& p) { return vbs::Variant::Double(p.Rate()); },
            [](MediaPlayer& p, const vbs::Variant& v) {
                const double rate = ScriptDouble(v);
                if (!(rate > 0) || rate > 16)
                    RaiseScriptError(380, QStringLiteral("Invalid property value"));
                p.SetRate(rate);
            });
        Number(
            u"CurrentPosition",
            [](MediaPlayer& p) { return vbs::Variant::Double(p.CurrentPosition()); },
            [](MediaPlayer& p, const vbs::Variant& v) {
                p.SetCurrentPosition(std::max(0.0, ScriptDouble(v)));
            });
        Number(u"PlayState", [](MediaPlayer& p) { return vbs::Variant::Long(p.PlayState()); }, {});
        Number(u"Duration", [](MediaPlayer& p) { return vbs::Variant::Double(p.Duration()); }, {});
        Number(
            u"AutoSize", [](MediaPlayer& p) { return vbs::Variant::Bool(p.AutoSize()); },
            [](MediaPlayer& p, const vbs::Variant& v) { p.SetAutoSize(ScriptBool(v)); });
        Number(
            u"ShowControls", [](MediaPlayer& p) { return vbs::Variant::Bool(p.ShowControls()); },
            [](MediaPlayer& p, const vbs::Variant& v) { p.SetShowControls(ScriptBool(v)); });
        // The status display and status bar are never shown by this player; scripts that
        // switch them off keep working.
        for (const char16_t* name : {u"ShowDisplay", u"ShowStatusBar"})
            Number(
                name, [](MediaPlayer&) { return vbs::Variant::Bool(false); },
                [](MediaPlayer&, const vbs::Variant& v) { ScriptBool(v); });
        AddMethod(u"Play", [this](Args) {
            Player().Play();
            return vbs::Variant();
        });
        AddMethod(u"Stop", [this](Args) {
            Player().Stop();
            return vbs::Variant();
        });
        AddMethod(u"Pause", [this](Args) {
            Player().Pause();
            return vbs::Variant();
        });
        AddProperty(
            u"Visible",
            [this](Args) {
                MediaSlot slot = Slot();
                return vbs::Variant::Bool(slot.visible && *slot.visible);
            },
            [this](Args, const vbs::Variant& v) {
                MediaSlot slot = Slot();
                if (!slot.visible)
                    RaiseScriptError(
                        438, QStringLiteral("Object doesn't support this property or method"));
                *slot.visible = ScriptBool(v);
            });
        PlaceProperty(u"Left", &QRect::left, &QRect::moveLeft, false);
        PlaceProperty(u"Top", &QRect::top, &QRect::moveTop, false);
        PlaceProperty(u"Width", &QRect::width, &QRect::setWidth, true);
        PlaceProperty(u"Height", &QRect::height, &QRect::setHeight, true);
        AddMethod(u"Move", [this](Args a) {
            QRect& r = Place();
            auto given = [&a](size_t i) { return a.size() > i && !Arg(a, i).IsEmpty(); };
            QRect moved = r;
            moved.moveLeft(Pixels(Arg(a, 0)));
            if (given(1)) moved.moveTop(Pixels(Arg(a, 1)));
            if (given(2)) moved.setWidth(Pixels(Arg(a, 2)));
            if (given(3)) moved.setHeight(Pixels(Arg(a, 3)));
            if (moved.width() < 0 || moved.height() < 0)
                RaiseScriptError(380, QStringLiteral("Invalid property value"));
            r = moved;
            return vbs::Variant();
        });
        AddMethod(u"Index", [this](Args) { return vbs::Variant::Integer(int16_t(index_)); });
    }

    std::shared_ptr<MediaArrayAccess> access_;
    int index_;
};

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
