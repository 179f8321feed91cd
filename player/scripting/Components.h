#pragma once
// Run-time components: controls of the registered control libraries that scripts place on the
// frame picture by program identifier, address by a name of their choosing, and whose events
// call script procedures named after the component and the event ("clock_tick").
//
// The list (ComponentsList, one row per component: lower-case name, slot number, appears
// during transitions, moved before the old picture is captured) and the event slots
// (ComponentEventSlots, numbered from 1, a receiver per component, nothing once removed) are
// the game's; AllEventsList files the procedures of the second engine by the part before and
// after their first underscore. Failures are reported in the game's error box.
//
// Wiring: built over a game and its script host after both exist, given to the game as its
// component service and to the transitions; the host's `components` points here while it
// lives.
#include <QRect>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "game/MultiColumnsList.h"
#include "game/ScriptRunner.h"
#include "game/transitions/GameTransitions.h"
#include "platform/components/ControlLibrary.h"
#include "vbscript/Engine.h"

namespace storyloom {

class Game;
class ScriptHost;
namespace forms {
class ComponentView;
class Control;
}  // namespace forms

// ComponentWithEventsClass: the receiver of one component's events. `Component` is the
// control (nothing once the component is removed).
class ComponentWithEvents {
  public:
    forms::ComponentView* Component = nullptr;
    QString progId;
};

class Components : public ComponentService, public TransitionComponents {
  public:
    Components(Game& game, ScriptHost& host);
    ~Components() override;
    Components(const Components&) = delete;
    Components& operator=(const Components&) = delete;

    // ---- What scripts call ---------------------------------------------------------------
    void AddAdditionalComponent(const QString& sProgID, const QString& sComponentName,
                                bool bAppearDuringTransitions, bool bDisappearBeforeAlphablending);
    // The component's script object, or Nothing (after the box) when there is none.
    vbs::Variant GetComponentRef(const QString& sComponentName);
    void RemoveAdditionalComponent(const QString& sComponentName);
    bool DoesComponentExist(const QString& sComponentName) const;
    bool DoesProgIDExist(const QString& sProgID);
    void AddLicense(const QString& sLicenseName);

    // ---- The game's calls ----------------------------------------------------------------
    void ResetComponents() override;
    void BuildAllEventsList() override;
    std::vector<ComponentInfo> List() const override;
    void PauseComponents();
    void ResumeComponents();
    // Accepted and ignored (window messages meant for components).
    void MessageReceived(int, int, int) {}

    // An event the control of `receiver` raised: runs its handler procedure, if any.
    void ObjectEvent(const std::shared_ptr<ComponentWithEvents>& receiver, const std::string& name,
                     const std::vector<EventParameter>& parameters);

    // ---- TransitionComponents ------------------------------------------------------------
    int Count() const override { return ComponentsList.Count(); }
    bool OnFrame(int index) const override;
    bool MovedBeforeCapture(int index) const override;
    bool InPictureArea(int index) const override;
    void MoveInto(int index, Holder holder) override;
    void Shift(int index, int dx, int dy) override;
    void StripAt(QPoint strip) override;
    void Pause() override { PauseComponents(); }
    void Resume() override { ResumeComponents(); }

    MultiColumnsList ComponentsList;
    // Slot n is element n - 1.
    std::vector<std::shared_ptr<ComponentWithEvents>> ComponentEventSlots;
    MultiColumnsList AllEventsList;

  private:
    // A component the transition took off the frame picture.
    struct Riding {
        forms::ComponentView* view = nullptr;
        QPoint home;           // its place on the frame picture
        bool onStrip = false;  // rides on a slide's strip (else lies on the display box)
    };
    forms::ComponentView* ViewOfRow(int index) const;  // 0-based row
    // Adds a control of `progId` named `name` to the frame picture (hidden); throws on failure.
    forms::ComponentView* AddControl(const QString& progId, const QString& name,
                                     const std::shared_ptr<ComponentWithEvents>& receiver);
    // Removes the control named `name` from the window; throws when there is none.
    void RemoveControl(const QString& name);
    forms::Control* Display() const;

    Game& game_;
    ScriptHost& host_;
    std::vector<Riding> riding_;
    // Component events whose handlers are running now, one inside the other.
    int eventDepth_ = 0;
    static constexpr int kMaxEventDepth = 40;
};

// The object `Component("name")` gives: the control's own properties and methods by name,
// plus Left, Top, Width, Height (twips, in the frame picture), Visible, Move and Name. Using
// it after the component was removed is error 91.
class ComponentObject : public vbs::Dispatch {
  public:
    explicit ComponentObject(std::weak_ptr<ComponentWithEvents> receiver)
        : receiver_(std::move(receiver)) {}
    std::u16string TypeName() override { return u"VBControlExtender"; }
    int FindMember(std::u16string_view name) override;
    vbs::Variant Invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant> args) override;

  private:
    forms::ComponentView& View() const;
    std::weak_ptr<ComponentWithEvents> receiver_;
    std::vector<std::string> names_;  // the control's own members asked for, by id
};

// The parameters of one event, as its handler receives them: `p.Count`, `p(1)` or
// `p.Item(1)` (by position from 1), `p("Name")` or `p.Name` (by name, case ignored; the first
// of equal names), For Each over the values.
class EventParametersObject : public vbs::Dispatch {
  public:
    explicit EventParametersObject(const std::vector<EventParameter>& parameters);
    std::u16string TypeName() override { return u"EventParameters"; }
    int FindMember(std::u16string_view name) override;
    vbs::Variant Invoke(int id, vbs::InvokeKind kind, std::span<vbs::Variant> args) override;
    bool Enumerate(std::vector<vbs::Variant>& out) override;

  private:
    std::vector<std::u16string> names_;
    std::vector<vbs::Variant> values_;
};

// Conversions between script values and control values (13, type mismatch, for objects and
// arrays).
ControlValue ToControlValue(const vbs::Variant& value);
vbs::Variant FromControlValue(const ControlValue& value);

}  // namespace storyloom
