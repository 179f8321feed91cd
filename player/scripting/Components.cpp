#include "scripting/Components.h"

#include <algorithm>
#include <cmath>

#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/components/ControlFacility.h"
#include "platform/forms/controls/ComponentView.h"
#include "scripting/ScriptFunctions.h"
#include "scripting/ScriptHost.h"
#include "scripting/ScriptValues.h"

namespace storyloom {

namespace {

const QChar kQuote(u'"');
const QString kProgIdTest = QStringLiteral("ProgIDTestComponent");

// A name a window control may have: a letter, then letters, digits or "_".
bool IsControlName(const QString& name) {
    if (name.isEmpty() || name.size() > 40 || !name[0].isLetter()) return false;
    for (QChar c : name)
        if (!(c.isLetterOrNumber() || c == u'_') || c.unicode() > 127) return false;
    return true;
}

QString Description(const std::exception& e) {
    return FailureDescription(e);
}

}  // namespace

// ---- Values ---------------------------------------------------------------------------------

ControlValue ToControlValue(const vbs::Variant& value) {
    const vbs::Variant& v = value.IsRef() ? *value.AsRef() : value;
    switch (v.Type()) {
        case vbs::vtEmpty:
        case vbs::vtNull:
            return std::monostate{};
        case vbs::vtInteger:
            return v.AsInteger();
        case vbs::vtByte:
            return static_cast<std::int16_t>(v.AsByte());
        case vbs::vtLong:
            return v.AsLong();
        case vbs::vtBoolean:
            return v.AsBoolRaw();
        case vbs::vtString:
            return ScriptText(v).toStdString();
        case vbs::vtSingle:
        case vbs::vtDouble:
        case vbs::vtCurrency:
        case vbs::vtDate:
            return ScriptDouble(v);
        default:
            RaiseScriptError(13, QStringLiteral("Type mismatch"));
    }
}

vbs::Variant FromControlValue(const ControlValue& value) {
    struct Visit {
        vbs::Variant operator()(std::monostate) const { return {}; }
        vbs::Variant operator()(std::int16_t v) const { return vbs::Variant::Integer(v); }
        vbs::Variant operator()(std::int32_t v) const { return vbs::Variant::Long(v); }
        vbs::Variant operator()(double v) const { return vbs::Variant::Double(v); }
        vbs::Variant operator()(const std::string& v) const {
            return vbs::Variant::String(U16(QString::fromStdString(v)));
        }
        vbs::Variant operator()(bool v) const { return vbs::Variant::Bool(v); }
    };
    return std::visit(Visit{}, value);
}

// ---- Event parameters -----------------------------------------------------------------------

namespace {
constexpr int kCountId = 1;
constexpr int kItemId = 2;
constexpr int kParamBase = 100;
}  // namespace

EventParametersObject::EventParametersObject(const std::vector<EventParameter>& parameters) {
    names_.reserve(parameters.size());
    values_.reserve(parameters.size());
    for (const EventParameter& p : parameters) {
        names_.push_back(U16(QString::fromStdString(p.name)));
        values_.push_back(FromControlValue(p.value));
    }
}

int EventParametersObject::FindMember(std::u16string_view name) {
    const QString n = FromU16(name);
    if (n.compare(QStringLiteral("Count"), Qt::CaseInsensitive) == 0) return kCountId;
    if (n.compare(QStringLiteral("Item"), Qt::CaseInsensitive) == 0) return kItemId;
    for (size_t i = 0; i < names_.size(); ++i)
        if (!names_[i].empty() && FromU16(names_[i]).compare(n, Qt::CaseInsensitive) == 0)
            return kParamBase + static_cast<int>(i);
    return vbs::kDispUnknown;
}

vbs::Variant EventParametersObject::Invoke(int id, vbs::InvokeKind kind,
                                           std::span<vbs::Variant> args) {
    if (kind == vbs::InvokeKind::Let || kind == vbs::InvokeKind::Set) vbs::ThrowError(438);
    if (id == kCountId) return vbs::Variant::Long(static_cast<int32_t>(values_.size()));
    if (id >= kParamBase && id - kParamBase < static_cast<int>(values_.size()))
        return values_[static_cast<size_t>(id - kParamBase)];
    if (id != kItemId && id != vbs::kDispValue) vbs::ThrowError(438);
    if (args.empty()) vbs::ThrowError(450);
    const vbs::Variant& key = args[0].IsRef() ? *args[0].AsRef() : args[0];
    if (key.IsString()) {
        const int member = FindMember(U16(ScriptText(key)));
        if (member < kParamBase) vbs::ThrowError(5);
        return values_[static_cast<size_t>(member - kParamBase)];
    }
    const double position = ScriptDouble(key);
    if (!(position >= 1 && position <= static_cast<double>(values_.size()))) vbs::ThrowError(9);
    return values_[static_cast<size_t>(std::lround(position)) - 1];
}

bool EventParametersObject::Enumerate(std::vector<vbs::Variant>& out) {
    out = values_;
    return true;
}

// ---- The component object -------------------------------------------------------------------

namespace {
enum PlacementId { kLeft = 1, kTop, kWidth, kHeight, kVisible, kMove, kName, kObject };
constexpr int kOwnBase = 100;
}  // namespace

forms::ComponentView& ComponentObject::View() const {
    const std::shared_ptr<ComponentWithEvents> receiver = receiver_.lock();
    if (!receiver || !receiver->Component)
        RaiseScriptError(91, QStringLiteral("Object variable not set"));
    return *receiver->Component;
}

int ComponentObject::FindMember(std::u16string_view name) {
    static const char* const kPlacement[] = {"Left",    "Top",  "Width", "Height",
                                             "Visible", "Move", "Name",  "Object"};
    const QString n = FromU16(name);
    for (int i = 0; i < 8; ++i)
        if (n.compare(QLatin1String(kPlacement[i]), Qt::CaseInsensitive) == 0) return i + 1;
    if (n.isEmpty() || n.size() > static_cast<int>(SL_MAX_NAME_LENGTH)) return vbs::kDispUnknown;
    const std::string own = n.toStdString();
    for (size_t i = 0; i < names_.size(); ++i)
        if (QString::fromStdString(names_[i]).compare(n, Qt::CaseInsensitive) == 0)
            return kOwnBase + static_cast<int>(i);
    names_.push_back(own);
    return kOwnBase + static_cast<int>(names_.size()) - 1;
}

vbs::Variant ComponentObject::Invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant> args) {
    forms::ComponentView& view = View();
    const bool assign = kind == vbs::InvokeKind::Let || kind == vbs::InvokeKind::Set;
    auto twips = [](double v) { return vbs::Variant::Single(static_cast<float>(v)); };
    try {
        switch (id) {
            case kLeft:
                if (!assign) return twips(view.Left());
                view.SetLeft(ScriptDouble(args.back()));
                return {};
            case kTop:
                if (!assign) return twips(view.Top());
                view.SetTop(ScriptDouble(args.back()));
                return {};
            case kWidth:
            case kHeight: {
                if (!assign) return twips(id == kWidth ? view.Width() : view.Height());
                const double value = ScriptDouble(args.back());
                if (value < 0) RaiseScriptError(380, QStringLiteral("Invalid property value"));
                QSize size = view.PixelRect().size();
                const int pixels = static_cast<int>(std::lround(value / forms::kTwipsPerPixel));
                if (id == kWidth)
                    size.setWidth(std::min(pixels, kMaxControlSide));
                else
                    size.setHeight(std::min(pixels, kMaxControlSide));
                view.RequestPixelSize(size);
                return {};
            }
            case kVisible:
                if (!assign) return vbs::Variant::Bool(view.Visible());
                view.SetVisible(ScriptBool(args.back()));
                return {};
            case kMove: {
                if (assign || args.empty()) vbs::ThrowError(450);
                view.SetLeft(ScriptDouble(args[0]));
                if (args.size() > 1 && !args[1].IsEmpty()) view.SetTop(ScriptDouble(args[1]));
                QSize size = view.PixelRect().size();
                auto pixels = [](const vbs::Variant& v) {
                    const double t = ScriptDouble(v);
                    if (t < 0) RaiseScriptError(380, QStringLiteral("Invalid property value"));
                    return std::min(static_cast<int>(std::lround(t / forms::kTwipsPerPixel)),
                                    kMaxControlSide);
                };
                if (args.size() > 2 && !args[2].IsEmpty()) size.setWidth(pixels(args[2]));
                if (args.size() > 3 && !args[3].IsEmpty()) size.setHeight(pixels(args[3]));
                if (size != view.PixelRect().size()) view.RequestPixelSize(size);
                return {};
            }
            case kName:
                if (assign) RaiseScriptError(383, QStringLiteral("Property is read-only"));
                return vbs::Variant::String(U16(view.Name()));
            case kObject:
                if (assign) RaiseScriptError(383, QStringLiteral("Property is read-only"));
                return vbs::Variant::Object(this);
            default:
                break;
        }
    } catch (const forms::ControlError& e) {
        RaiseScriptError(e.Number(), e.Description());
    }
    if (id < kOwnBase || id - kOwnBase >= static_cast<int>(names_.size())) vbs::ThrowError(438);
    const std::string name = names_[static_cast<size_t>(id - kOwnBase)];
    const std::shared_ptr<ControlInstance> instance = view.Instance();
    if (!instance) RaiseScriptError(91, QStringLiteral("Object variable not set"));
    ControlResult result;
    if (assign) {
        if (args.empty()) vbs::ThrowError(450);
        result = instance->SetProperty(name, ToControlValue(args.back()));
    } else {
        if (kind == vbs::InvokeKind::Get && args.empty()) {
            result = instance->GetProperty(name);
            if (result.ok || result.error.number != kErrNotSupported) {
                if (!result.ok)
                    RaiseScriptError(result.error.number,
                                     QString::fromStdString(result.error.description));
                return FromControlValue(result.value);
            }
        }
        std::vector<ControlValue> values;
        values.reserve(args.size());
        for (const vbs::Variant& a : args) values.push_back(ToControlValue(a));
        result = instance->CallMethod(name, values);
    }
    if (!result.ok)
        RaiseScriptError(result.error.number, QString::fromStdString(result.error.description));
    return FromControlValue(result.value);
}

// ---- The components -------------------------------------------------------------------------

Components::Components(Game& game, ScriptHost& host) : game_(game), host_(host) {
    host_.components = this;
}

Components::~Components() {
    if (host_.components == this) host_.components = nullptr;
    // The controls go with the window; they must not call back here meanwhile.
    for (const auto& slot : ComponentEventSlots) {
        if (slot && slot->Component) {
            slot->Component->onControlEvent = nullptr;
            slot->Component->CloseInstance();
            slot->Component = nullptr;
        }
    }
}

forms::ComponentView* Components::AddControl(const QString& progId, const QString& name,
                                             const std::shared_ptr<ComponentWithEvents>& receiver) {
    if (!IsControlName(name))
        throw RunError(
            5,
            QStringLiteral("Invalid procedure call or argument: the control name %1 is not valid")
                .arg(name));
    // The window's names are its own: no second control of a name (letter case ignored). The
    // components' own names are kept apart by their list.
    auto clash = [&name](const forms::Control* parent) {
        for (const auto& child : parent->Children())
            if (child->Kind() != forms::ControlKind::Component &&
                child->Name().compare(name, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    if (clash(&game_.window) || clash(game_.PictureBox))
        throw RunError(727,
                       QStringLiteral("There is already a control with the name '%1'").arg(name));
    auto* view = game_.PictureBox->Add<forms::ComponentView>(name, game_.program.platform.loop);
    view->SetVisible(false);
    ControlError error;
    std::shared_ptr<ControlInstance> instance =
        game_.program.platform.controls.Create(progId.toStdString(), *view, error);
    if (!instance) {
        game_.PictureBox->Remove(view);
        throw RunError(error.number ? error.number : kErrCannotCreate,
                       QString::fromStdString(error.description));
    }
    view->SetInstance(std::move(instance));
    if (receiver) {
        std::weak_ptr<ComponentWithEvents> weak = receiver;
        view->onControlEvent = [this, weak](const std::string& event,
                                            const std::vector<EventParameter>& parameters) {
            if (std::shared_ptr<ComponentWithEvents> r = weak.lock())
                ObjectEvent(r, event, parameters);
        };
    }
    return view;
}

void Components::RemoveControl(const QString& name) {
    for (forms::Control* parent : {static_cast<forms::Control*>(game_.PictureBox), Display()}) {
        if (!parent) continue;
        // The newest first: a reset removes the components from the last to the first.
        const auto& children = parent->Children();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            forms::Control* child = it->get();
            if (child->Kind() != forms::ControlKind::Component || child->Name() != name) continue;
            auto* view = static_cast<forms::ComponentView*>(child);
            view->onControlEvent = nullptr;
            view->CloseInstance();
            parent->Remove(view);
            return;
        }
    }
    throw RunError(730, QStringLiteral("Control '%1' not found").arg(name));
}

forms::Control* Components::Display() const {
    for (const auto& child : game_.window.Children())
        if (child->Name() == u"picWhere") return child.get();
    return nullptr;
}

void Components::AddAdditionalComponent(const QString& sProgID, const QString& sComponentName,
                                        bool bAppearDuringTransitions,
                                        bool bDisappearBeforeAlphablending) {
    Program& p = game_.program;
    for (const auto& row : ComponentsList) {
        if (row->Item(1).toString().compare(sComponentName, Qt::CaseInsensitive) == 0) {
            p.ShowErrorBox(QStringLiteral(" A component named ") + kQuote + sComponentName +
                           kQuote +
                           QStringLiteral(" already exists. Please use a different name."));
            return;
        }
    }
    if (sComponentName.contains(u' ')) {
        p.ShowErrorBox(QStringLiteral(
            " The component name must not contain spaces or other special characters."));
        return;
    }
    try {
        const QString lower = sComponentName.toLower();
        ComponentEventSlots.push_back(nullptr);
        const int n = static_cast<int>(ComponentEventSlots.size());
        ComponentsList.Add({QVariant(lower), QVariant(n), QVariant(bAppearDuringTransitions),
                            QVariant(bDisappearBeforeAlphablending)});
        AddLicense(sProgID);
        auto receiver = std::make_shared<ComponentWithEvents>();
        receiver->progId = sProgID;
        ComponentEventSlots[static_cast<size_t>(n - 1)] = receiver;
        receiver->Component = AddControl(sProgID, lower, receiver);
    } catch (const std::exception& e) {
        p.ShowErrorBox(QStringLiteral(" Error in Game.AddAdditionalComponent. The component is "
                                      "probably not installed properly.  "),
                       Description(e));
    }
}

vbs::Variant Components::GetComponentRef(const QString& sComponentName) {
    try {
        std::shared_ptr<ComponentWithEvents> found;
        bool matched = false;
        for (const auto& row : ComponentsList) {
            if (row->Item(1).toString().compare(sComponentName, Qt::CaseInsensitive) != 0) continue;
            matched = true;
            const int slot = row->Item(2).toInt();
            found = slot >= 1 && slot <= static_cast<int>(ComponentEventSlots.size())
                        ? ComponentEventSlots[static_cast<size_t>(slot - 1)]
                        : nullptr;
        }
        if (!matched) {
            game_.program.ShowErrorBox(QStringLiteral(" The component named ") + kQuote +
                                       sComponentName + kQuote +
                                       QStringLiteral(" could not be found."));
            return vbs::Variant::Object(nullptr);
        }
        if (!found || !found->Component) return vbs::Variant::Object(nullptr);
        return vbs::Variant::Object(new ComponentObject(found));
    } catch (const std::exception& e) {
        game_.program.ShowErrorBox(
            QStringLiteral(" Error in Game.GetComponentRef") + kQuote + QStringLiteral(". "),
            Description(e));
        return vbs::Variant::Object(nullptr);
    }
}

void Components::RemoveAdditionalComponent(const QString& sComponentName) {
    try {
        int found = 0;
        for (int i = ComponentsList.Count(); i >= 1; --i)
            if (ComponentsList.Item(i)->Item(1).toString().compare(sComponentName,
                                                                   Qt::CaseInsensitive) == 0)
                found = i;
        if (found == 0) {
            game_.program.ShowErrorBox(
                QStringLiteral(" The component named ") + kQuote + sComponentName + kQuote +
                QStringLiteral(" could not be removed because it could not be found."));
            return;
        }
        const MultiColumnsList::RowPtr row = ComponentsList.Item(found);
        RemoveControl(row->Item(1).toString());
        const int slot = row->Item(2).toInt();
        if (slot >= 1 && slot <= static_cast<int>(ComponentEventSlots.size())) {
            std::shared_ptr<ComponentWithEvents>& receiver =
                ComponentEventSlots[static_cast<size_t>(slot - 1)];
            if (receiver) receiver->Component = nullptr;
            receiver = nullptr;
        }
        ComponentsList.Remove(found);
    } catch (const std::exception& e) {
        game_.program.ShowErrorBox(QStringLiteral(" Error in Game.RemoveAdditionalComponent. "),
                                   Description(e));
    }
}

bool Components::DoesComponentExist(const QString& sComponentName) const {
    for (int i = ComponentsList.Count(); i >= 1; --i)
        if (ComponentsList.Item(i)->Item(1).toString().compare(sComponentName,
                                                               Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void Components::AddLicense(const QString& sLicenseName) {
    try {
        game_.program.platform.controls.AddLicense(sLicenseName.toStdString());
    } catch (const std::exception&) {
    }
}

bool Components::DoesProgIDExist(const QString& sProgID) {
    AddLicense(sProgID);
    try {
        forms::ComponentView* view = AddControl(sProgID, kProgIdTest, nullptr);
        (void)view;
        RemoveControl(kProgIdTest);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void Components::ResetComponents() {
    try {
        riding_.clear();
        for (int i = ComponentsList.Count(); i >= 1; --i) {
            try {
                RemoveControl(ComponentsList.Item(i)->Item(1).toString());
            } catch (const std::exception&) {
            }
            ComponentsList.Remove(i);
        }
        for (auto it = ComponentEventSlots.rbegin(); it != ComponentEventSlots.rend(); ++it) {
            if (*it) (*it)->Component = nullptr;
            *it = nullptr;
        }
        ComponentEventSlots.clear();
        game_.program.platform.controls.ClearLicenses();
    } catch (const std::exception& e) {
        game_.program.ShowErrorBox(QStringLiteral("Error in ") + kQuote +
                                       QStringLiteral("ResetComponents") + kQuote +
                                       QStringLiteral(". "),
                                   Description(e));
    }
}

void Components::BuildAllEventsList() {
    try {
        AllEventsList.Clear();
        for (const vbs::ProcedureInfo& info : host_.ScriptControl2.Procedures()) {
            const QString name = FromU16(info.name);
            const qsizetype p = name.indexOf(u'_');
            if (p < 0) continue;
            AllEventsList.Add(
                {QVariant(name.left(p).toLower()), QVariant(name.mid(p + 1).toLower())});
        }
    } catch (const std::exception& e) {
        game_.program.ShowErrorBox(QStringLiteral(" Error in BuildAllEventsList. "),
                                   Description(e));
    }
}

std::vector<ComponentInfo> Components::List() const {
    std::vector<ComponentInfo> out;
    for (const auto& row : ComponentsList) {
        ComponentInfo info;
        info.name = row->Item(1).toString();
        const int slot = row->Item(2).toInt();
        const ComponentWithEvents* r =
            slot >= 1 && slot <= static_cast<int>(ComponentEventSlots.size())
                ? ComponentEventSlots[static_cast<size_t>(slot - 1)].get()
                : nullptr;
        if (r) info.progId = r->progId;
        if (r && r->Component) {
            info.created = true;
            info.rect = r->Component->PixelRect();
            info.visible = r->Component->Visible();
        }
        out.push_back(info);
    }
    return out;
}

void Components::PauseComponents() {
    for (int i = 0; i < Count(); ++i) {
        forms::ComponentView* view = ViewOfRow(i);
        if (!view || !view->Instance()) continue;
        // Components without the method, and any other failure, are passed over.
        view->Instance()->CallMethod("PauseComponent", {});
    }
}

void Components::ResumeComponents() {
    for (int i = 0; i < Count(); ++i) {
        forms::ComponentView* view = ViewOfRow(i);
        if (!view || !view->Instance()) continue;
        view->Instance()->CallMethod("ResumeComponent", {});
    }
}

void Components::ObjectEvent(const std::shared_ptr<ComponentWithEvents>& receiver,
                             const std::string& name,
                             const std::vector<EventParameter>& parameters) {
    if (!receiver || !receiver->Component || name.empty()) return;
    if (game_.program.StopRequested) return;
    const QString component = receiver->Component->Name().toLower();
    const QString event = QString::fromStdString(name).toLower();
    for (const auto& row : AllEventsList) {
        if (row->Item(1).toString() != component || row->Item(2).toString() != event) continue;
        try {
            // A handler that makes its own control raise the event again would go on until
            // the stack ran out: past a depth, the event fails instead.
            if (eventDepth_ >= kMaxEventDepth)
                throw RunError(28, QStringLiteral("Out of stack space"));
            ++eventDepth_;
            struct Leave {
                int& depth;
                ~Leave() { --depth; }
            } leave{eventDepth_};
            host_.ResetModule();
            const vbs::Variant argument =
                vbs::Variant::Object(new EventParametersObject(parameters));
            if (!host_.ScriptControl2.Run(U16(component + u'_' + event), {&argument, 1})) {
                const vbs::ScriptError& error = host_.ScriptControl2.LastError();
                QString description = FromU16(error.description);
                if (description.isEmpty())
                    description = FromU16(vbs::ErrorDescription(error.number));
                throw RunError(error.number, description);
            }
            game_.ExecuteConsequences();
        } catch (const std::exception& e) {
            game_.program.ShowErrorBox(QStringLiteral("Error in Component_ObjectEvent. "),
                                       Description(e));
        }
        return;
    }
}

// ---- Transitions ----------------------------------------------------------------------------

forms::ComponentView* Components::ViewOfRow(int index) const {
    if (index < 0 || index >= ComponentsList.Count()) return nullptr;
    const int slot = ComponentsList.Item(index + 1)->Item(2).toInt();
    if (slot < 1 || slot > static_cast<int>(ComponentEventSlots.size())) return nullptr;
    const auto& receiver = ComponentEventSlots[static_cast<size_t>(slot - 1)];
    return receiver ? receiver->Component : nullptr;
}

bool Components::OnFrame(int index) const {
    if (index < 0 || index >= ComponentsList.Count()) return false;
    return ComponentsList.Item(index + 1)->Item(3).toBool();
}

bool Components::MovedBeforeCapture(int index) const {
    if (index < 0 || index >= ComponentsList.Count()) return false;
    return ComponentsList.Item(index + 1)->Item(4).toBool();
}

bool Components::InPictureArea(int index) const {
    forms::ComponentView* view = ViewOfRow(index);
    return view && view->Parent() == game_.PictureBox;
}

void Components::MoveInto(int index, Holder holder) {
    forms::ComponentView* view = ViewOfRow(index);
    if (!view) return;
    auto riding = std::find_if(riding_.begin(), riding_.end(),
                               [view](const Riding& r) { return r.view == view; });
    if (holder == Holder::PictureArea) {
        // Back where it was before the transition took it, whatever the animation did.
        if (riding != riding_.end()) {
            view->SetPixelRect(QRect(riding->home, view->PixelRect().size()));
            riding_.erase(riding);
        }
        view->SetContainer(game_.PictureBox);
        return;
    }
    forms::Control* display = Display();
    if (!display) return;
    if (riding == riding_.end()) {
        riding_.push_back({view, view->PixelRect().topLeft(), false});
        riding = riding_.end() - 1;
    }
    riding->onStrip = holder != Holder::Display;
    view->SetContainer(display);
    view->ZOrder(0);
}

void Components::Shift(int index, int dx, int dy) {
    forms::ComponentView* view = ViewOfRow(index);
    if (!view) return;
    // One taken by the transition rides with its picture and goes home at the end.
    for (const Riding& r : riding_)
        if (r.view == view) return;
    view->SetPixelRect(view->PixelRect().translated(dx, dy));
}

void Components::StripAt(QPoint strip) {
    for (const Riding& r : riding_)
        if (r.onStrip) r.view->SetPixelRect(QRect(strip + r.home, r.view->PixelRect().size()));
}

}  // namespace storyloom
