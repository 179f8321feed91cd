// The objects scripts reach the game through, in the order they are added to the engine.
#include <QClipboard>
#include <QGuiApplication>

#include "core/BasicConvert.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/forms/controls/AnimatedGif.h"
#include "platform/loop/EventLoop.h"
#include "platform/media/MediaPlayer.h"
#include "scripting/PrinterObjects.h"
#include "scripting/ScriptHost.h"
#include "scripting/ScriptMedia.h"
#include "scripting/ScriptValues.h"

namespace storyloom {

namespace {

using Args = std::span<vbs::Variant>;

vbs::Variant Str(const QString& s) {
    return vbs::Variant::String(U16(s));
}

template <class T>
std::shared_ptr<ControlArrayHandle> Handle(forms::ControlKind kind,
                                           std::function<forms::ControlArray<T>*()> array) {
    return std::make_shared<ControlArrayHandleOf<T>>(kind, std::move(array));
}

vbs::Ref<vbs::Dispatch> ArrayObject(std::shared_ptr<ControlArrayHandle> handle,
                                    PictureRegistry* pictures) {
    return vbs::Ref<vbs::Dispatch>(new ControlArrayObject(std::move(handle), pictures));
}

// A spare control array of the host (which outlives the objects scripts hold).
template <class T>
vbs::Ref<vbs::Dispatch> SpareArrayObject(forms::ControlKind kind,
                                         std::unique_ptr<forms::ControlArray<T>>& array,
                                         PictureRegistry* pictures) {
    return ArrayObject(Handle<T>(kind, [&array] { return array.get(); }), pictures);
}

void ReadOnly(vbs::HostObject& o, const char* name, std::function<vbs::Variant()> get) {
    o.AddProperty(
        U16(QString::fromLatin1(name)), [get](Args) { return get(); },
        [](Args, const vbs::Variant&) {
            RaiseScriptError(383, QStringLiteral("Property is read-only"));
        });
}

// A menu item of the game window: Caption, Visible, Checked, Enabled. Visibility and ticks
// stay in the game's menu state, which decides what the menu bar shows.
vbs::Ref<vbs::Dispatch> MenuObject(Game& g, const QString& itemName, bool GameMenus::*visible,
                                   QString GameMenus::*caption, bool GameMenus::*checked) {
    auto* o = new vbs::HostObject(u"Menu");
    o->AddProperty(
        u"Caption",
        [&g, caption, itemName](Args) {
            if (caption) return Str(g.menus.*caption);
            forms::MenuItem* item = g.window.FindMenu(itemName);
            return Str(item ? item->caption : QString());
        },
        [&g, caption, itemName](Args, const vbs::Variant& v) {
            const QString text = ScriptText(v);
            if (caption) g.menus.*caption = text;
            if (forms::MenuItem* item = g.window.FindMenu(itemName)) {
                item->caption = text;
                g.window.MenusChanged();
            }
        });
    o->AddProperty(
        u"Visible", [&g, visible](Args) { return vbs::Variant::Bool(g.menus.*visible); },
        [&g, visible](Args, const vbs::Variant& v) {
            g.menus.*visible = ScriptBool(v);
            g.SyncWindowMenus();
        });
    o->AddProperty(
        u"Checked", [&g, checked](Args) { return vbs::Variant::Bool(checked && g.menus.*checked); },
        [&g, checked](Args, const vbs::Variant& v) {
            const bool on = ScriptBool(v);
            if (!checked) return;
            g.menus.*checked = on;
            g.SyncWindowMenus();
        });
    o->AddProperty(
        u"Enabled",
        [&g, itemName](Args) {
            forms::MenuItem* item = g.window.FindMenu(itemName);
            return vbs::Variant::Bool(!item || item->enabled);
        },
        [&g, itemName](Args, const vbs::Variant& v) {
            if (forms::MenuItem* item = g.window.FindMenu(itemName)) {
                item->enabled = ScriptBool(v);
                g.window.MenusChanged();
            }
        });
    ReadOnly(*o, "Name", [itemName] { return Str(itemName); });
    o->SetDefault(u"Caption");
    return vbs::Ref<vbs::Dispatch>(o);
}

// The game window: its own properties, and with them its controls by name (Area, Text,
// TimerObject ...), as a script that may reference every control sees it.
class GameWindowObject : public ControlObject {
  public:
    GameWindowObject(Game& game, std::vector<std::pair<QString, vbs::Ref<vbs::Dispatch>>> controls,
                     PictureRegistry* pictures)
        : ControlObject(&game.window, pictures), controls_(std::move(controls)) {}
    int FindMember(std::u16string_view name) override {
        const QString n = FromU16(name);
        for (size_t i = 0; i < controls_.size(); ++i)
            if (controls_[i].first.compare(n, Qt::CaseInsensitive) == 0)
                return kControlBase + static_cast<int>(i);
        return ControlObject::FindMember(name);
    }
    vbs::Variant Invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant> args) override {
        if (id < kControlBase) return ControlObject::Invoke(id, kind, args);
        vbs::Dispatch* control = controls_.at(static_cast<size_t>(id - kControlBase)).second.get();
        if (args.empty() && kind == vbs::InvokeKind::Get) return vbs::Variant::Object(control);
        return control->Invoke(vbs::kDispValue, kind, args);
    }

  private:
    static constexpr int kControlBase = 5000;
    std::vector<std::pair<QString, vbs::Ref<vbs::Dispatch>>> controls_;
};

enum class Media { SoundChannels, HotspotVideos, Spare };

std::vector<int> Keys(const std::map<int, PlacedPlayer>& players) {
    std::vector<int> keys;
    for (const auto& [index, placed] : players)
        if (placed.player) keys.push_back(index);
    return keys;
}

MediaSlot SlotOf(std::map<int, PlacedPlayer>& players, int index) {
    auto it = players.find(index);
    if (it == players.end() || !it->second.player) return {};
    return {it->second.player.get(), &it->second.pixelRect, &it->second.visible};
}

// The game's media players as script arrays: the sound channels (elements 1 to 7), the videos
// of the frame's hotspots (by hotspot number) and the spare players (element 0 and what
// scripts load).
vbs::Ref<vbs::Dispatch> MediaArrays(Game& g, Media which) {
    auto access = std::make_shared<MediaArrayAccess>();
    switch (which) {
        case Media::SoundChannels:
            access->find = [&g](int i) -> MediaSlot {
                if (i < 1 || i >= static_cast<int>(g.MPlayer.size())) return {};
                return {g.MPlayer[static_cast<size_t>(i)].get(), nullptr, nullptr};
            };
            access->indices = [&g] {
                std::vector<int> all;
                for (int i = 1; i < static_cast<int>(g.MPlayer.size()); ++i) all.push_back(i);
                return all;
            };
            break;
        case Media::HotspotVideos:
            access->find = [&g](int i) { return SlotOf(g.scene->VideoPlayers(), i); };
            access->indices = [&g] { return Keys(g.scene->VideoPlayers()); };
            break;
        case Media::Spare:
            access->find = [&g](int i) { return SlotOf(g.CustomMediaPlayer, i); };
            access->indices = [&g] { return Keys(g.CustomMediaPlayer); };
            access->load = [&g](int i) {
                if (i < 0 || i > 32767)
                    throw forms::ControlError(
                        340, QStringLiteral("Control array element '%1' doesn't exist").arg(i));
                if (SlotOf(g.CustomMediaPlayer, i).player)
                    throw forms::ControlError(360, QStringLiteral("Object already loaded"));
                PlacedPlayer placed;
                placed.player = g.MediaPlayers().Create();
                placed.player->SetShowControls(false);
                placed.pixelRect = g.CustomMediaPlayer[0].pixelRect;
                g.CustomMediaPlayer[i] = std::move(placed);
                AttachVideoView(g.window, g.CustomMediaPlayer, i);
            };
            access->unload = [&g](int i) {
                if (i == 0)
                    throw forms::ControlError(
                        362, QStringLiteral("Can't unload controls created at design time"));
                auto it = g.CustomMediaPlayer.find(i);
                if (it == g.CustomMediaPlayer.end())
                    throw forms::ControlError(
                        340, QStringLiteral("Control array element '%1' doesn't exist").arg(i));
                it->second.player->Stop();
                g.CustomMediaPlayer.erase(it);
            };
            break;
    }
    return MakeMediaArrayObject(std::move(access));
}

}  // namespace

void ScriptHost::BuildObjects() {
    Game& g = *game;
    fixedObjects_.clear();
    objects_ = PreparedObjects{};
    auto add = [this](const char* name, vbs::Ref<vbs::Dispatch> object, bool members) {
        fixedObjects_.push_back({QString::fromLatin1(name), std::move(object), members});
    };
    auto control = [this](forms::Control* c) {
        return vbs::Ref<vbs::Dispatch>(new ControlObject(c, pictures_.get()));
    };
    auto unavailable = [](const char* name) {
        return vbs::Ref<vbs::Dispatch>(new UnavailableObject(QString::fromLatin1(name)));
    };

    const auto areas =
        Handle<forms::Image>(forms::ControlKind::Image, [&g] { return g.scene->Area.get(); });
    const auto texts =
        Handle<forms::Label>(forms::ControlKind::Label, [&g] { return g.scene->Text.get(); });
    const auto timers = Handle<forms::TimerControl>(forms::ControlKind::Timer,
                                                    [this] { return TimerObject.get(); });
    PictureRegistry* registry = pictures_.get();
    using K = forms::ControlKind;
    vbs::Ref<vbs::Dispatch> checkBoxArray = SpareArrayObject(K::CheckBox, CheckBox, registry);
    vbs::Ref<vbs::Dispatch> lineArray = SpareArrayObject(K::Line, LineObject, registry);
    vbs::Ref<vbs::Dispatch> shapeArray = SpareArrayObject(K::Shape, Shape, registry);
    vbs::Ref<vbs::Dispatch> textBoxArray = SpareArrayObject(K::TextBox, TextBox, registry);
    vbs::Ref<vbs::Dispatch> listBoxArray = SpareArrayObject(K::ListBox, ListBox, registry);
    vbs::Ref<vbs::Dispatch> fileBoxArray = SpareArrayObject(K::FileListBox, FileBox, registry);
    vbs::Ref<vbs::Dispatch> dirBoxArray = SpareArrayObject(K::DirListBox, DirBox, registry);
    vbs::Ref<vbs::Dispatch> driveBoxArray = SpareArrayObject(K::DriveListBox, DriveBox, registry);
    vbs::Ref<vbs::Dispatch> hotspotArray = ArrayObject(areas, pictures_.get());
    vbs::Ref<vbs::Dispatch> textArray = ArrayObject(texts, pictures_.get());
    vbs::Ref<vbs::Dispatch> timerArray = ArrayObject(timers, pictures_.get());
    vbs::Ref<vbs::Dispatch> pictureArray = SpareArrayObject(K::PictureBox, PicBox, registry);
    vbs::Ref<vbs::Dispatch> imageArray = SpareArrayObject(K::Image, ImgBox, registry);

    add("Hotspot", hotspotArray, true);
    add("Text", textArray, true);
    add("LoopingVideo", MediaArrays(g, Media::HotspotVideos), true);

    auto* screen = new vbs::HostObject(u"Screen");
    ReadOnly(*screen, "Width", [&g] { return vbs::Variant::Double(g.ScreenWidthPx * 15.0); });
    ReadOnly(*screen, "Height", [&g] { return vbs::Variant::Double(g.ScreenHeightPx * 15.0); });
    ReadOnly(*screen, "TwipsPerPixelX", [] { return vbs::Variant::Long(15); });
    ReadOnly(*screen, "TwipsPerPixelY", [] { return vbs::Variant::Long(15); });
    add("ScreenObject", vbs::Ref<vbs::Dispatch>(screen), true);

    auto* app = new vbs::HostObject(u"App");
    ReadOnly(*app, "Path", [this] {
        QString path = program.paths.ProjectPath;
        if (path.endsWith(u'\\') && path.size() > 1) path.chop(1);
        return Str(path);
    });
    ReadOnly(*app, "Title", [this] { return Str(program.info.ProjectTitle); });
    ReadOnly(*app, "EXEName", [] { return Str(QStringLiteral("run")); });
    ReadOnly(*app, "Major", [] { return vbs::Variant::Integer(3); });
    ReadOnly(*app, "Minor", [] { return vbs::Variant::Integer(5); });
    ReadOnly(*app, "Revision", [] { return vbs::Variant::Integer(2); });
    ReadOnly(*app, "PrevInstance", [] { return vbs::Variant::Bool(false); });
    add("AppObject", vbs::Ref<vbs::Dispatch>(app), true);

    Printing& printers = *printing;
    add("PrinterObject", MakePrinterObject(printers, pictures_.get()), true);
    add("PrintersCollection", MakePrintersCollection(printers), true);

    auto* clipboard = new vbs::HostObject(u"Clipboard");
    clipboard->AddMethod(u"GetText", [](Args) {
        auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        return Str(app ? QGuiApplication::clipboard()->text() : QString());
    });
    clipboard->AddMethod(u"SetText", [](Args a) {
        const QString text = ScriptText(Arg(a, 0));
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::clipboard()->setText(text);
        return vbs::Variant();
    });
    clipboard->AddMethod(u"Clear", [](Args) {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::clipboard()->clear();
        return vbs::Variant();
    });
    add("ClipboardObject", vbs::Ref<vbs::Dispatch>(clipboard), true);
    add("TimerObject", timerArray, true);

    add("CheckBoxObject", checkBoxArray, false);
    add("LineObject", lineArray, false);
    add("ShapeObject", shapeArray, false);
    add("TextBoxObject", textBoxArray, false);
    add("PictureBoxObject", pictureArray, false);
    add("ListBoxObject", listBoxArray, false);
    add("ImageBoxObject", imageArray, false);
    add("FileBoxObject", fileBoxArray, false);
    add("DirBoxObject", dirBoxArray, false);
    add("DriveBoxObject", driveBoxArray, false);
    add("MediaPlayerObject", MediaArrays(g, Media::Spare), false);
    add("MessageObject", control(g.LabelMessageBox), false);
    add("MessageCanvasObject", control(g.FrameMessageBox), false);
    auto* messageTimer = new vbs::HostObject(u"Timer");
    ReadOnly(*messageTimer, "Interval",
             [&g] { return vbs::Variant::Long(g.MessageTimerInterval()); });
    ReadOnly(*messageTimer, "Enabled", [&g] { return vbs::Variant::Bool(g.MessageTimerArmed()); });
    add("MessageTimerObject", vbs::Ref<vbs::Dispatch>(messageTimer), false);
    if (g.services.dialogues->DialogueLabels())
        add("DialogueObject",
            ArrayObject(
                Handle<forms::Label>(forms::ControlKind::Label,
                                     [&g] { return g.services.dialogues->DialogueLabels(); }),
                registry),
            false);
    else
        add("DialogueObject", unavailable("DialogueObject"), false);
    if (forms::Control* canvas = g.services.dialogues->DialogueCanvas())
        add("DialogueCanvasObject", control(canvas), false);
    else
        add("DialogueCanvasObject", unavailable("DialogueCanvasObject"), false);
    add("BackgroundObject", control(g.PictureBox), false);
    add("BackgroundHotspotObject", control(g.scene->BackImage), false);
    add("AudioPlayerObject", MediaArrays(g, Media::SoundChannels), false);
    // The inventory's controls, when the game has an inventory.
    InventoryService& inventory = *g.services.inventory;
    add("InventoryItemObject",
        inventory.PickedObjects()
            ? ArrayObject(
                  Handle<forms::Image>(forms::ControlKind::Image,
                                       [&g] { return g.services.inventory->PickedObjects(); }),
                  registry)
            : unavailable("InventoryItemObject"),
        false);
    auto single = [&](const char* name, forms::Control* c) {
        add(name, c ? control(c) : unavailable(name), false);
    };
    single("InventoryButtonObject", inventory.InventoryButton());
    single("InventoryCanvasObject", inventory.InventoryCanvas());
    single("InventoryBackgroundObject", inventory.InventoryBackground());
    if (Timer* timer = inventory.InventoryTimer()) {
        auto* o = new vbs::HostObject(u"Timer");
        o->AddProperty(
            u"Interval", [timer](Args) { return vbs::Variant::Long(timer->Interval()); },
            [timer](Args, const vbs::Variant& v) {
                const int ms = ScriptLong(v);
                if (ms < 0 || ms > 65535)
                    RaiseScriptError(380, QStringLiteral("Invalid property value"));
                timer->SetInterval(ms);
            });
        o->AddProperty(
            u"Enabled", [timer](Args) { return vbs::Variant::Bool(timer->Enabled()); },
            [timer](Args, const vbs::Variant& v) { timer->SetEnabled(ScriptBool(v)); });
        add("InventoryTimerObject", vbs::Ref<vbs::Dispatch>(o), false);
    } else {
        add("InventoryTimerObject", unavailable("InventoryTimerObject"), false);
    }

    // The visited frames, oldest first, as a list box shows them.
    auto* history = new vbs::HostObject(u"ListBox");
    ReadOnly(*history, "ListCount",
             [&g] { return vbs::Variant::Integer(int16_t(g.state.History.Count())); });
    history->AddMethod(u"List", [&g](Args a) {
        const int i = ScriptLong(Arg(a, 0));
        if (i < 0 || i >= g.state.History.Count())
            RaiseScriptError(381, QStringLiteral("Invalid property array index"));
        return Str(g.state.History.Entries().at(i));
    });
    history->AddMethod(u"RemoveItem", [&g](Args a) {
        const int i = ScriptLong(Arg(a, 0));
        if (i < 0 || i >= g.state.History.Count())
            RaiseScriptError(5, QStringLiteral("Invalid procedure call or argument"));
        QStringList kept = g.state.History.Entries();
        kept.removeAt(i);
        g.state.History.Clear();
        for (const QString& frame : kept) g.state.History.FramesHistoryAdd(frame);
        return vbs::Variant();
    });
    history->AddMethod(u"Clear", [&g](Args) {
        g.state.History.Clear();
        return vbs::Variant();
    });
    add("FramesHistoryObject", vbs::Ref<vbs::Dispatch>(history), false);
    if (forms::PictureBox* water = g.services.ripple->Picture())
        add("RipplingWaterObject", control(water), false);
    else
        add("RipplingWaterObject", unavailable("RipplingWaterObject"), false);
    // The animated pictures of the frame's hotspots and their containers, by hotspot number.
    if (g.services.animated->Players() && g.services.animated->Canvases()) {
        add("AnimatedGifObject",
            ArrayObject(Handle<forms::AnimatedGif>(forms::ControlKind::AnimatedGif,
                                                   [&g] { return g.services.animated->Players(); }),
                        registry),
            false);
        add("AnimatedGifCanvasObject",
            ArrayObject(
                Handle<forms::AnimationCanvas>(forms::ControlKind::PictureBox,
                                               [&g] { return g.services.animated->Canvases(); }),
                registry),
            false);
    } else {
        add("AnimatedGifObject", unavailable("AnimatedGifObject"), false);
        add("AnimatedGifCanvasObject", unavailable("AnimatedGifCanvasObject"), false);
    }

    auto engineObject = [](vbs::Engine& engine) {
        auto* o = new vbs::HostObject(u"ScriptControl");
        o->AddProperty(
            u"Timeout", [&engine](Args) { return vbs::Variant::Long(engine.Timeout()); },
            [&engine](Args, const vbs::Variant& v) { engine.SetTimeout(ScriptLong(v)); });
        return vbs::Ref<vbs::Dispatch>(o);
    };
    add("ScriptControlObject", engineObject(ScriptControl), false);
    add("ScriptControl2Object", engineObject(ScriptControl2), false);

    // The timed events: TimedEventObject(n).Enabled tells whether event n's timer runs.
    auto* timed = new vbs::HostObject(u"Object");
    ReadOnly(*timed, "Count",
             [&g] { return vbs::Variant::Integer(int16_t(g.TimedEventTable().size())); });
    timed->AddMethod(u"Item", [&g](Args a) {
        const int i = ScriptLong(Arg(a, 0));
        if (i < 0 || i >= static_cast<int>(g.TimedEventTable().size()))
            RaiseScriptError(340,
                             QStringLiteral("Control array element '%1' doesn't exist").arg(i));
        auto* e = new vbs::HostObject(u"Timer");
        ReadOnly(*e, "Enabled", [&g, i] { return vbs::Variant::Bool(g.TimedEventRunning(i)); });
        ReadOnly(*e, "Index", [i] { return vbs::Variant::Integer(int16_t(i)); });
        return vbs::Variant::Object(e);
    });
    timed->SetDefault(u"Item");
    add("TimedEventObject", vbs::Ref<vbs::Dispatch>(timed), false);

    std::vector<std::pair<QString, vbs::Ref<vbs::Dispatch>>> controls = {
        {QStringLiteral("Area"), hotspotArray},
        {QStringLiteral("Text"), textArray},
        {QStringLiteral("TimerObject"), timerArray},
        {QStringLiteral("PicBox"), pictureArray},
        {QStringLiteral("ImgBox"), imageArray},
        {QStringLiteral("CheckBox"), checkBoxArray},
        {QStringLiteral("LineObject"), lineArray},
        {QStringLiteral("Shape"), shapeArray},
        {QStringLiteral("TextBox"), textBoxArray},
        {QStringLiteral("ListBox"), listBoxArray},
        {QStringLiteral("FileBox"), fileBoxArray},
        {QStringLiteral("DirBox"), dirBoxArray},
        {QStringLiteral("DriveBox"), driveBoxArray},
        {QStringLiteral("PictureBox"), control(g.PictureBox)},
        {QStringLiteral("BackImage"), control(g.scene->BackImage)},
        {QStringLiteral("LabelMessageBox"), control(g.LabelMessageBox)},
        {QStringLiteral("FrameMessageBox"), control(g.FrameMessageBox)},
    };
    vbs::Ref<vbs::Dispatch> window(new GameWindowObject(g, controls, pictures_.get()));
    add("WindowObject", window, false);
    softwareObjects_ = window;

    add("ExitMenuObject",
        MenuObject(g, QStringLiteral("mnuExit"), &GameMenus::ExitVisible, &GameMenus::ExitCaption,
                   nullptr),
        false);
    add("SaveMenuObject",
        MenuObject(g, QStringLiteral("mnuSaveGame"), &GameMenus::SaveGameVisible,
                   &GameMenus::SaveGameCaption, nullptr),
        false);
    add("LoadMenuObject",
        MenuObject(g, QStringLiteral("mnuLoadGame"), &GameMenus::LoadGameVisible,
                   &GameMenus::LoadGameCaption, nullptr),
        false);
    add("OptionsMenuObject",
        MenuObject(g, QStringLiteral("mnuOptions"), &GameMenus::OptionsVisible,
                   &GameMenus::OptionsCaption, nullptr),
        false);
    add("DebugMenuObject",
        MenuObject(g, QStringLiteral("mnuDebug"), &GameMenus::DebugVisible, nullptr, nullptr),
        false);
    add("DisableEffectsMenuObject",
        MenuObject(g, QStringLiteral("mnuDisableEffects"), &GameMenus::DisableEffectsVisible,
                   &GameMenus::DisableEffectsCaption, &GameMenus::DisableEffectsChecked),
        false);
    add("TransitionsMenuObject",
        MenuObject(g, QStringLiteral("mnuDisableTransitions"),
                   &GameMenus::DisableTransitionsVisible, &GameMenus::DisableTransitionsCaption,
                   &GameMenus::DisableTransitionsChecked),
        false);
}

}  // namespace storyloom
