#include "scripting/ScriptFunctions.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

#include "core/BasicConvert.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"
#include "platform/forms/Picture.h"
#include "platform/forms/controls/AnimatedGif.h"
#include "platform/ini/IniFile.h"
#include "platform/loop/EventLoop.h"
#include "platform/settings/SettingsStore.h"
#include "platform/shell/Shell.h"
#include "project/MediaFiles.h"
#include "project/ProjectInformation.h"
#include "scripting/Components.h"
#include "scripting/ScriptHost.h"
#include "scripting/ScriptValues.h"

namespace storyloom {

namespace {

using Args = std::span<vbs::Variant>;
const QChar kQuote(u'"');

vbs::Variant Str(const QString& s) {
    return vbs::Variant::String(U16(s));
}
vbs::Variant Int16(int value) {
    return vbs::Variant::Integer(static_cast<int16_t>(value));
}

// The path of an existing project media file (plain or under a disguised name); empty when
// there is none. No box: a script asking for a missing picture just gets nothing.
QString ExistingMedia(const FileSystem& fs, const QString& path) {
    for (const QString& candidate : {path, DisguisedName(path, false), DisguisedName(path, true)})
        if (fs.IsFile(candidate)) return candidate;
    return {};
}

// The deepest existing folder of a native path, with links resolved, plus what lies below it.
QString CanonicalTarget(const QString& nativePath) {
    QString path = QDir::cleanPath(QFileInfo(nativePath).absoluteFilePath());
    QString rest;
    QFileInfo info(path);
    while (!info.exists() && path.size() > 1) {
        const qsizetype slash = path.lastIndexOf(u'/');
        if (slash < 0) break;
        rest = path.mid(slash) + rest;
        path = slash == 0 ? QStringLiteral("/") : path.left(slash);
        info = QFileInfo(path);
    }
    const QString canonical = info.canonicalFilePath();
    return QDir::cleanPath((canonical.isEmpty() ? path : canonical) + rest);
}

bool Inside(const QString& path, const QString& folder) {
    if (folder.isEmpty()) return false;
    const QString root = CanonicalTarget(folder);
    return path.startsWith(root.endsWith(u'/') ? root : root + u'/');
}

}  // namespace

QString FailureDescription(const std::exception& e) {
    if (const auto* s = dynamic_cast<const vbs::ScriptException*>(&e)) {
        QString d = FromU16(s->description);
        return d.isEmpty() ? FromU16(vbs::ErrorDescription(s->number)) : d;
    }
    if (const auto* c = dynamic_cast<const forms::ControlError*>(&e)) return c->Description();
    return ErrorDescription(e);
}

ScriptFunctions::ScriptFunctions(ScriptHost& host)
    : vbs::HostObject(u"VBScriptActionModule"), host_(host) {
    AddLibrary();
    AddComponentFunctions();
}

void ScriptFunctions::ErrorBox(const QString& sentence, const QString& description) {
    host_.program.ShowErrorBox(sentence, description);
}

QString ScriptFunctions::ExternalFile(const QString& fileTitle) const {
    if (FileSystem::FileNamePart(fileTitle) == fileTitle)
        return host_.program.paths.ExternalPath + fileTitle;
    return fileTitle;
}

bool ScriptFunctions::MayWrite(const QString& path) const {
    const FileSystem& fs = host_.program.platform.files;
    const QString target = CanonicalTarget(fs.NativePath(path));
    if (Inside(target, fs.NativePath(host_.program.paths.ProjectPath))) return true;
    for (const QString& folder : host_.WritableFolders)
        if (Inside(target, folder)) return true;
    return false;
}

void ScriptFunctions::AddLibrary() {
    ScriptHost& h = host_;
    Program& p = h.program;
    auto game = [&h]() -> Game& {
        if (!h.game) RaiseScriptError(91, QStringLiteral("Object variable not set"));
        return *h.game;
    };
    auto fn = [this](const char* name, Getter get) {
        AddMethod(U16(QString::fromLatin1(name)), std::move(get));
    };

    // ---- Requests for the code that ran the script ---------------------------------------
    fn("PopupSaveGame", [&h](Args) {
        h.requests.bPopupSaveGame = true;
        return vbs::Variant();
    });
    fn("PopupLoadGame", [&h](Args) {
        h.requests.bPopupLoadGame = true;
        return vbs::Variant();
    });
    fn("GoToFrame", [&h](Args a) {
        h.requests.sFrameToLoad = ScriptText(Arg(a, 0));
        h.requests.dTransitionDuration = ScriptDouble(Arg(a, 1));
        h.requests.iTransitionNumber = ScriptInteger(Arg(a, 2));
        h.requests.iHotspotNumber = 0;
        return vbs::Variant();
    });
    fn("ResetModule", [&h](Args) {
        h.ResetModule();
        return vbs::Variant();
    });
    fn("Quit", [&h](Args) {
        h.requests.bStopGame = true;
        return vbs::Variant();
    });
    fn("StopEverything", [&p, game](Args) {
        Game& g = game();
        p.StopRequested = true;
        g.PictureBox->SetVisible(false);
        g.PauseTimedEvents();
        for (int i = 1; i <= 7; ++i) g.Player(i).Stop();
        g.services.video->StopOneTimeVideoPlayer();
        g.ShowMenus();
        return vbs::Variant();
    });

    // ---- Messages and the desktop ---------------------------------------------------------
    fn("Message", [game](Args a) {
        game().ShowTextMessage(ScriptText(Arg(a, 0)), true, false);
        return vbs::Variant();
    });
    fn("SendEmail", [this, &h](Args a) {
        const QString address = ScriptText(Arg(a, 0));
        if (!address.isEmpty() && !h.shell.Open(QStringLiteral("mailto:") + address))
            ErrorBox(QStringLiteral(" Error opening the default mail client to send email to: ") +
                     address);
        return vbs::Variant();
    });
    fn("OpenURL", [this, &h](Args a) {
        const QString url = ScriptText(Arg(a, 0));
        if (!url.isEmpty() && !h.shell.Open(url))
            ErrorBox(QStringLiteral(" Error opening the following URL with the default browser:") +
                     kCrLf + kCrLf + url);
        return vbs::Variant();
    });
    auto openError = [this](const QString& title, const QString& description) {
        ErrorBox(QStringLiteral(" Error opening the file titled '") + title + QStringLiteral("'.") +
                     kCrLf + kCrLf,
                 description);
    };
    fn("OpenFile", [this, &p, &h, openError](Args a) {
        const QString title = ScriptText(Arg(a, 0));
        if (title.isEmpty()) return vbs::Variant();
        const FileSystem& fs = p.platform.files;
        const QString path = ExternalFile(title);
        if (!fs.IsFile(path))
            openError(title, QStringLiteral("File not found"));
        else if (!h.shell.Open(fs.NativePath(path)))
            openError(title, QStringLiteral("The desktop has no program to open it"));
        return vbs::Variant();
    });
    fn("OpenExeFileAndWait", [this, &p, &h, game, openError](Args a) {
        const QString title = ScriptText(Arg(a, 0));
        if (title.isEmpty()) return vbs::Variant();
        Game& g = game();
        g.window.SetEnabled(false);
        const FileSystem& fs = p.platform.files;
        const QString path = ExternalFile(title);
        if (!fs.IsFile(path)) {
            openError(title, QStringLiteral("File not found"));
        } else {
            const QString native = fs.NativePath(path);
            const bool program = QFileInfo(native).isExecutable();
            if (program && !Inside(CanonicalTarget(native), fs.NativePath(p.paths.ProjectPath))) {
                // Games come from anywhere: only their own programs are started.
                openError(title, QStringLiteral("Only programs inside the game's folder can be "
                                                "started"));
            } else if (!(program ? h.shell.Run(native, {}, true) != -1 : h.shell.Open(native))) {
                openError(title, QStringLiteral("The program could not be started"));
            }
        }
        g.window.SetEnabled(true);
        return vbs::Variant();
    });

    // ---- Pictures -------------------------------------------------------------------------
    fn("LoadAPicture", [this, &p](Args a) {
        vbs::Variant target = Arg(a, 0);
        const QString name = ScriptText(Arg(a, 1));
        if (!target.IsObject() || !target.AsObject()) vbs::ThrowError(424);
        auto assign = [&](const forms::Picture& picture) {
            std::vector<vbs::Variant> args{vbs::Variant::Object(new PictureObject(picture))};
            vbs::Dispatch* obj = target.AsObject();
            const int id = obj->FindMember(u"Picture");
            if (id == vbs::kDispUnknown) vbs::ThrowError(438);
            obj->Invoke(id, vbs::InvokeKind::Set, args);
        };
        if (name.isEmpty()) {
            assign(forms::Picture());
            return vbs::Variant();
        }
        const QString path = ExistingMedia(p.platform.files, p.paths.AreasPath + name);
        if (path.isEmpty()) return vbs::Variant();
        try {
            const forms::PictureResult r =
                forms::LoadPictureFile(p.platform.files.NativePath(path));
            if (!r.Ok()) throw forms::ControlError(r.errorNumber, r.errorDescription);
            assign(r.picture);
        } catch (const std::exception& e) {
            ErrorBox(QStringLiteral(" Error loading the following picture:'") + kCrLf + path +
                         QStringLiteral("'.") + kCrLf + kCrLf,
                     FailureDescription(e));
        }
        return vbs::Variant();
    });
    fn("LoadGraphicFile", [this, &p, &h](Args a) {
        const QString name = ScriptText(Arg(a, 0));
        if (name.isEmpty()) return vbs::Variant::Object(new PictureObject(forms::Picture()));
        const QString path = ExistingMedia(p.platform.files, p.paths.AreasPath + name);
        if (path.isEmpty()) return vbs::Variant::Object(nullptr);
        const forms::PictureResult r = forms::LoadPictureFile(p.platform.files.NativePath(path));
        if (!r.Ok()) {
            ErrorBox(QStringLiteral(" Error loading the following graphic file:'") + kCrLf + path +
                         QStringLiteral("'.") + kCrLf + kCrLf,
                     r.errorDescription);
            return vbs::Variant::Object(nullptr);
        }
        h.Pictures().Remember(r.picture);
        return vbs::Variant::Object(new PictureObject(r.picture));
    });

    fn("CaptureFrame", [game](Args a) {
        const vbs::Variant& ref = Arg(a, 0);
        auto* object = ref.IsObject() ? dynamic_cast<ControlObject*>(ref.AsObject()) : nullptr;
        if (!object) vbs::ThrowError(424);
        auto* target = dynamic_cast<forms::PictureBox*>(&object->Resolve());
        if (!target) vbs::ThrowError(13);
        Game& g = game();
        // Drawn without the screen: the frame as it stands, without the message strip laid
        // over it; otherwise what the player sees of the frame picture area.
        const bool withoutScreen = ScriptBool(Arg(a, 1));
        const bool stripShown = g.FrameMessageBox->Visible();
        // The inventory is not part of the frame: it is hidden while the picture is taken.
        g.services.inventory->HideForCapture();
        // Drawn without the screen, each animation shows its first frame.
        std::vector<std::pair<forms::AnimatedGif*, int>> shownFrames;
        if (withoutScreen && g.services.animated->Players())
            for (int i : g.services.animated->Players()->Indices())
                if (forms::AnimatedGif* player = g.services.animated->Players()->Find(i);
                    player && i > 0) {
                    shownFrames.emplace_back(player, player->CurrentFrame());
                    player->ShowFrame(0);
                }
        QImage frame = withoutScreen ? g.services.transitions->CaptureCurrentFrame()
                                     : g.services.transitions->CaptureActualFrame();
        if (frame.isNull()) {
            if (withoutScreen && stripShown) g.FrameMessageBox->SetVisible(false);
            frame = g.RenderFrame();
            if (withoutScreen && stripShown) g.FrameMessageBox->SetVisible(true);
        }
        for (auto& [player, shown] : shownFrames) player->ShowFrame(shown);
        g.services.inventory->ShowAfterCapture();
        target->SetAutoRedraw(true);
        target->Cls();
        target->CopyRect(frame, frame.rect(), frame.rect());
        return vbs::Variant();
    });
    fn("SaveAPicture", [this, &p, &h](Args a) {
        const forms::Picture picture = ScriptPicture(Arg(a, 0), &h.Pictures());
        QString path = ScriptText(Arg(a, 1));
        if (path.isEmpty()) RaiseScriptError(75, QStringLiteral("Path/File access error"));
        // A bare or relative name is taken in the game's folder, where the game runs from.
        const bool rooted = path.startsWith(u'\\') || path.startsWith(u'/') ||
                            (path.size() > 1 && path.at(1) == u':');
        if (!rooted) path = p.paths.ProjectPath + path;
        if (!MayWrite(path))
            RaiseScriptError(70, QStringLiteral("Permission denied: scripts may only write files "
                                                "inside the game's folder and the player's own "
                                                "settings folder"));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (picture.IsEmpty() || !picture.Image().save(&buffer, "BMP"))
            RaiseScriptError(380, QStringLiteral("Invalid property value"));
        if (!p.platform.files.WriteAll(path, bytes))
            RaiseScriptError(75, QStringLiteral("Path/File access error"));
        return vbs::Variant();
    });

    // ---- Queries --------------------------------------------------------------------------
    fn("GetHotspotNumber", [&h](Args) { return Int16(h.requests.iHotspotNumber); });
    fn("GetPath", [&p](Args a) {
        const ProjectPaths& paths = p.paths;
        switch (ScriptInteger(Arg(a, 0))) {
            case 0:
            case 1:
                return Str(paths.ProjectPath);
            case 3:
                return Str(paths.ConfigPath);
            case 4:
                return Str(paths.AreasPath);
            case 5:
                return Str(paths.FramesPath);
            case 6:
                return Str(paths.FramesDataPath);
            case 7:
                return Str(paths.IconsPath);
            default:
                return Str(paths.ExternalPath);
        }
    });
    fn("GetClickPositionX", [game](Args) { return Int16(game().state.LastClickX); });
    fn("GetClickPositionY", [game](Args) { return Int16(game().state.LastClickY); });
    fn("GetTransitionsStatus",
       [game](Args) { return vbs::Variant::Bool(!game().menus.DisableTransitionsChecked); });
    fn("GetEffectsStatus",
       [game](Args) { return vbs::Variant::Bool(!game().menus.DisableEffectsChecked); });
    fn("GetStoryloomVersion", [](Args) { return Str(QStringLiteral("Version 3.5.2")); });
    fn("GetDisplayResolutionX", [game](Args) { return vbs::Variant::Long(game().ScreenWidthPx); });
    fn("GetDisplayResolutionY", [game](Args) { return vbs::Variant::Long(game().ScreenHeightPx); });
    fn("GetProjectWidth", [&p](Args) { return Int16(p.info.ProjectWidth); });
    fn("GetProjectHeight", [&p](Args) { return Int16(p.info.ProjectHeight); });
    fn("GetCurrentFrameName", [game](Args) { return Str(game().state.frame.CurrentFrameName); });
    fn("GetMergedHotspotIndex",
       [game](Args) { return Int16(game().state.frame.MergedHotspotIndex); });
    fn("GetMergedTextIndex", [game](Args) { return Int16(game().state.frame.MergedTextIndex); });
    fn("AllowControlsReferencesNextTime", [game](Args) {
        game().state.frame.ControlsReferencePolicy = 2;
        return vbs::Variant();
    });
    fn("DoNotAllowControlsReferencesNextTime", [game](Args) {
        game().state.frame.ControlsReferencePolicy = 1;
        return vbs::Variant();
    });
    fn("ChangeDisplayResolutionOnLoadGame", [&h](Args a) {
        h.ResolutionOnLoadGame = ScriptInteger(Arg(a, 0));
        return vbs::Variant();
    });
    fn("ChangeDisplayResolution", [this, game](Args a) {
        try {
            const int choice = ScriptInteger(Arg(a, 0));
            static constexpr int kModes[3][2] = {{640, 480}, {800, 600}, {1024, 768}};
            if (choice >= 1 && choice <= 3) {
                Game& g = game();
                g.ScreenWidthPx = kModes[choice - 1][0];
                g.ScreenHeightPx = kModes[choice - 1][1];
                g.CenterWindowAndPictureBox();
            }
        } catch (const std::exception& e) {
            ErrorBox(QStringLiteral(" Error changing display resolution. "), FailureDescription(e));
        }
        return vbs::Variant();
    });
    fn("InvertTransitionsStatus", [game](Args) {
        game().services.transitions->EnableOrDisableTransitions();
        return vbs::Variant();
    });
    fn("InvertEffectsStatus", [game](Args) {
        game().services.ripple->EnableOrDisableEffects();
        return vbs::Variant();
    });

    // ---- Items --------------------------------------------------------------------------
    fn("AddItem", [game](Args a) {
        game().services.inventory->AddPickedObject(ScriptText(Arg(a, 0)), ScriptBool(Arg(a, 1)));
        return vbs::Variant();
    });
    auto itemCount = [](const InventoryService& inventory) {
        int n = 0;
        while (!inventory.PickedObjectName(n + 1).isEmpty()) ++n;
        return n;
    };
    fn("HideInventoryButton", [game](Args) {
        game().services.inventory->HideInventoryButton();
        return vbs::Variant();
    });
    fn("ShowInventoryButton", [game](Args) {
        game().services.inventory->ShowInventoryButton();
        return vbs::Variant();
    });
    fn("RemoveAllItems", [this, game, itemCount](Args) {
        try {
            InventoryService& inventory = *game().services.inventory;
            for (int guard = itemCount(inventory); guard > 0 && itemCount(inventory) > 0; --guard)
                inventory.RemovePickedObject(1);
        } catch (const std::exception& e) {
            ErrorBox(QStringLiteral(" Error removing all the inventory items. "),
                     FailureDescription(e));
        }
        return vbs::Variant();
    });
    fn("RemoveItem", [this, game, itemCount](Args a) {
        const QString name = ScriptText(Arg(a, 0));
        try {
            const bool duplicates = ScriptBool(Arg(a, 1));
            InventoryService& inventory = *game().services.inventory;
            for (int i = itemCount(inventory); i >= 1; --i) {
                if (inventory.PickedObjectName(i).compare(name, Qt::CaseInsensitive) != 0) continue;
                inventory.RemovePickedObject(i);
                if (!duplicates) break;
            }
        } catch (const std::exception& e) {
            ErrorBox(QStringLiteral(" Error removing from the inventory the item named '") + name +
                         QStringLiteral("'. "),
                     FailureDescription(e));
        }
        return vbs::Variant();
    });

    // ---- Objects and controls ---------------------------------------------------------
    fn("CreateObject", [&p](Args) {
        if (!AllowCreateObject(p) && !p.StopRequested)
            p.platform.dialogs.Show(BoxIcon::Information, QStringLiteral("Unavailable Function"),
                                    QStringLiteral("For security reasons, the \"CreateObject\" "
                                                   "function is disabled in this version of "
                                                   "VBScript."));
        return vbs::Variant::Object(nullptr);
    });
    auto loadOrUnload = [](Args a, bool load) {
        const vbs::Variant& ref = Arg(a, 0);
        auto* element = ref.IsObject() ? dynamic_cast<LoadableElement*>(ref.AsObject()) : nullptr;
        if (!element) return vbs::Variant::Bool(false);
        try {
            if (load)
                element->LoadElement();
            else
                element->UnloadElement();
        } catch (const std::exception&) {
            return vbs::Variant::Bool(false);
        }
        return vbs::Variant::Bool(true);
    };
    fn("LoadControl", [loadOrUnload](Args a) { return loadOrUnload(a, true); });
    fn("UnloadControl", [loadOrUnload](Args a) { return loadOrUnload(a, false); });

    // ---- Timed events -----------------------------------------------------------------
    fn("CreateTimedEvent", [this, game](Args a) {
        int number = 0;
        try {
            const double seconds = ScriptDouble(Arg(a, 0));
            if (seconds > 65) return Int16(0);
            Game& g = game();
            number = static_cast<int>(g.TimedEventTable().size());
            number = g.AddTimedEvent(ScriptText(Arg(a, 1)), seconds, ScriptBool(Arg(a, 2)));
        } catch (const std::exception& e) {
            ErrorBox(QStringLiteral(" Unable to create the timed event #") +
                         QString::number(number) + QStringLiteral(". "),
                     FailureDescription(e));
        }
        return Int16(number);
    });
    fn("RemoveTimedEvent", [this, game](Args a) {
        int number = 0;
        try {
            number = ScriptInteger(Arg(a, 0));
            Game& g = game();
            if (number != 0 && number < static_cast<int>(g.TimedEventTable().size()))
                g.RemoveTimedEvent(number);
        } catch (const std::exception& e) {
            ErrorBox(QStringLiteral(" Unable to remove the timed event #") +
                         QString::number(number) + QStringLiteral(". "),
                     FailureDescription(e));
        }
        return vbs::Variant();
    });

    // ---- Settings -----------------------------------------------------------------------
    fn("SaveParameter", [this, &p](Args a) {
        QString name;
        try {
            name = ScriptText(Arg(a, 0));
            p.SaveUserSetting(QStringLiteral("_") + name, ScriptText(Arg(a, 1)));
        } catch (const std::exception& e) {
            ErrorBox(QStringLiteral(" Unable to save the parameter named ") + kQuote + name +
                         kQuote + QStringLiteral(". "),
                     FailureDescription(e));
        }
        return vbs::Variant();
    });
    fn("LoadParameter", [this, &p](Args a) {
        QString name;
        try {
            name = ScriptText(Arg(a, 0));
            const QString fallback = ScriptText(Arg(a, 1));
            return Str(p.GetUserSetting(QStringLiteral("_") + name, fallback));
        } catch (const std::exception& e) {
            ErrorBox(QStringLiteral(" Unable to load the parameter named ") + kQuote + name +
                         kQuote + QStringLiteral(". "),
                     FailureDescription(e));
        }
        return Str(QString());
    });
    fn("ChangeDefaultCursor", [this, &p, game](Args a) {
        try {
            const QString name = ScriptText(Arg(a, 0));
            const bool standard =
                name.isEmpty() || name.compare(QStringLiteral("default"), Qt::CaseInsensitive) == 0;
            if (!standard && ExistingMedia(p.platform.files, p.paths.IconsPath + name).isEmpty())
                return vbs::Variant();
            Game& g = game();
            p.info.DefaultCursorFile = standard ? QStringLiteral("DEFAULT") : name;
            g.ResetDefaultPointer();
        } catch (const std::exception& e) {
            ErrorBox(QStringLiteral(" Unable to change the default cursor. "),
                     FailureDescription(e));
        }
        return vbs::Variant();
    });
    fn("ReadINI", [this, &p](Args a) {
        const QString file = ScriptText(Arg(a, 0));
        const QString section = ScriptText(Arg(a, 1));
        const QString key = ScriptText(Arg(a, 2));
        if (file.isEmpty() || section.isEmpty() || key.isEmpty()) return Str(QString());
        const QString path = ExternalFile(file);
        if (!p.platform.files.IsFile(path)) return Str(QString());
        return Str(ReadIniValue(p.platform.files, path, section, key));
    });
    fn("WriteINI", [this, &p](Args a) {
        const QString file = ScriptText(Arg(a, 0));
        const QString section = ScriptText(Arg(a, 1));
        const QString key = ScriptText(Arg(a, 2));
        const QString value = ScriptText(Arg(a, 3));
        if (file.isEmpty() || section.isEmpty() || key.isEmpty()) return vbs::Variant();
        const QString path = ExternalFile(file);
        if (!MayWrite(path)) {
            ErrorBox(QStringLiteral(" Unable to write the settings file '") + file +
                     QStringLiteral("': scripts may only write files inside the game's folder "
                                    "and the player's own settings folder."));
            return vbs::Variant();
        }
        WriteIniValue(p.platform.files, path, section, key, value);
        return vbs::Variant();
    });
    fn("DDir", [this, &p](Args a) {
        const QString pattern = ScriptText(Arg(a, 0));
        const int attributes = ScriptInteger(Arg(a, 1));
        if (!pattern.isEmpty()) {
            dirMatches_.clear();
            const QString folder = FileSystem::FolderPart(pattern);
            const QString mask = FileSystem::FileNamePart(pattern);
            const auto list =
                p.platform.files.List(folder.isEmpty() ? p.paths.ProjectPath : folder);
            if (list) {
                const WildcardPattern match(mask.isEmpty() ? QStringLiteral("*") : mask, false);
                for (const DirEntry& entry : *list) {
                    if (entry.isDirectory && !(attributes & 16)) continue;
                    if (entry.isHidden && !(attributes & 2)) continue;
                    if (match.Matches(entry.name)) dirMatches_ << entry.name;
                }
            }
        }
        if (dirMatches_.isEmpty()) return Str(QString());
        return Str(dirMatches_.takeFirst());
    });

    // ---- Variables and texts ----------------------------------------------------------
    fn("GetVariableReferenceFromName", [game](Args a) {
        const QString name = ScriptText(Arg(a, 0));
        Game& g = game();
        for (const auto& v : g.state.vars.VariablesVariant)
            if (v->Name.compare(name, Qt::CaseInsensitive) == 0)
                return vbs::Variant::Object(new VariantVariableObject(v));
        for (const auto& v : g.state.vars.Variables)
            if (v->Name.compare(name, Qt::CaseInsensitive) == 0)
                return vbs::Variant::Object(new IntegerVariableObject(v));
        return vbs::Variant::Object(nullptr);
    });
    fn("NO_FILE_SELECTED", [](Args) { return Str(QString()); });
    fn("DOUBLEQUOTES", [](Args) { return Str(QStringLiteral("\"")); });
    fn("NEWLINE", [](Args) { return Str(kCrLf); });
    fn("ConvertQuotesIntoDoubleQuotes", [](Args a) {
        QString text = ScriptText(Arg(a, 0));
        text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        return Str(text);
    });
    fn("ConvertToNumber", [](Args a) { return vbs::Variant::Double(Val(ScriptText(Arg(a, 0)))); });
    fn("GetEncryptedFileName", [&p](Args a) {
        const QString name = ScriptText(Arg(a, 0));
        const QString disguised = DisguisedName(name, false);
        return Str(p.platform.files.IsFile(disguised) ? disguised : name);
    });

    // ---- The window ---------------------------------------------------------------------
    fn("RefreshWindow", [game](Args) {
        game().window.Refresh();
        return vbs::Variant();
    });
    fn("UpdateHotspotsState", [game](Args) {
        game().ShowOrNotShowAreas();
        return vbs::Variant();
    });
    fn("QuitDialogue", [game](Args) {
        game().services.dialogues->CloseDialogue();
        return vbs::Variant();
    });
    fn("DoComponentsEvents", [&p, game](Args) {
        Game& g = game();
        g.window.SetEnabled(false);
        p.platform.loop.ProcessEvents();
        p.platform.loop.Wait(5);
        g.window.SetEnabled(true);
        return vbs::Variant();
    });
    fn("InterceptComponentEvents", [](Args) { return vbs::Variant(); });
}

// The run-time components (the game's, see Components.h).
void ScriptFunctions::AddComponentFunctions() {
    ScriptHost& h = host_;
    auto components = [&h]() -> Components& {
        if (!h.components) RaiseScriptError(91, QStringLiteral("Object variable not set"));
        return *h.components;
    };
    auto fn = [this](const char* name, Getter get) {
        AddMethod(U16(QString::fromLatin1(name)), std::move(get));
    };
    fn("AddComponent", [components](Args a) {
        components().AddAdditionalComponent(ScriptText(Arg(a, 0)), ScriptText(Arg(a, 1)),
                                            ScriptBool(Arg(a, 2)), ScriptBool(Arg(a, 3)));
        return vbs::Variant();
    });
    fn("RemoveComponent", [components](Args a) {
        components().RemoveAdditionalComponent(ScriptText(Arg(a, 0)));
        return vbs::Variant();
    });
    fn("Component",
       [components](Args a) { return components().GetComponentRef(ScriptText(Arg(a, 0))); });
    fn("DoesComponentExist", [this, components](Args a) {
        try {
            return vbs::Variant::Bool(components().DoesComponentExist(ScriptText(Arg(a, 0))));
        } catch (const std::exception& e) {
            ErrorBox(QStringLiteral(" Error in DoesComponentExist. "), FailureDescription(e));
            return vbs::Variant::Bool(false);
        }
    });
    fn("IsComponentInstalled", [components](Args a) {
        return vbs::Variant::Bool(components().DoesProgIDExist(ScriptText(Arg(a, 0))));
    });
}

}  // namespace storyloom
