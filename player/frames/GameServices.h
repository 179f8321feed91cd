#pragma once
// The game window's connections to the inventory, transitions, dialogues, rippling water, the
// sound-channel mixer, one-time videos, animated objects, plug-ins, components and saved games.
// Each is a small interface whose default bodies do nothing, so the frame engine and the
// actions call them at the right moment today and the subsystems plug in as they are built.
// Tests derive from them to watch the calls.
#include <QString>
#include <QStringList>

namespace storyloom {

class SeqReader;

class InventoryService {
  public:
    virtual ~InventoryService() = default;
    // A click on a hotspot whose item can be picked up takes it (before the action runs).
    virtual void PickOrNotPickObject(int areaIndex) { (void)areaIndex; }
    virtual void AddPickedObject(const QString& itemName, bool doNotPopup) {
        (void)itemName;
        (void)doNotPopup;
    }
    virtual void RemovePickedObject(int objectIndex) { (void)objectIndex; }
    // The name (tag) of the item picture PickedObject(index); empty when there is none.
    virtual QString PickedObjectName(int objectIndex) const {
        (void)objectIndex;
        return {};
    }
    // The index of the item picture being dragged (0 when none).
    virtual int DraggedItemIndex() const { return 0; }
    // Keeps the item pictures and the two inventory panels above the frame's new hotspots.
    virtual void BringToFront() {}
    // True while the inventory panel slides.
    virtual bool InventoryMoving() const { return false; }
    // The pointer is over the frame: the panel closes (and pops up again when it should).
    virtual void PointerOverFrame() {}
    // An item is dragged over the frame.
    virtual void HideInventoryIfItem() {}
    // New game: no item, the item pictures destroyed but the template.
    virtual void ClearItems() {}
    // New game: panel, template container, background and button built afresh.
    virtual void BuildInventory() {}
};

class TransitionService {
  public:
    virtual ~TransitionService() = default;
    virtual void InitTransitions() {}
    // The first half (captures the old frame) and the second half (shows the new one).
    virtual void TransitionStep1(int transitionNumber) { (void)transitionNumber; }
    virtual void TransitionStep2(int transitionNumber, double durationSeconds) {
        (void)transitionNumber;
        (void)durationSeconds;
    }
    // The transition overlay picture is on screen.
    virtual bool OverlayVisible() const { return false; }
    virtual void ClearAlphaBlendErrorFlag() {}
    virtual void EnableOrDisableTransitions() {}
};

class DialogueService {
  public:
    virtual ~DialogueService() = default;
    virtual bool DialogueActive() const { return false; }
    virtual void CloseDialogue() {}
    // Loads the frame's dialogue file and shows its questions.
    virtual void LoadAndShowQuestions(const QString& frameName) { (void)frameName; }
};

class RippleService {
  public:
    virtual ~RippleService() = default;
    virtual bool TimerEnabled() const { return false; }
    virtual void DisableTimer() {}
    // The effect's current step has finished (set by its timer).
    virtual bool StepDone() const { return true; }
    // RippleEffectActive := False and the ripple picture hidden.
    virtual void SwitchOff() {}
    virtual bool EffectActive() const { return false; }
    virtual void LoadWaveEffectIfAny(const QString& frameName) { (void)frameName; }
    // Restart the effect's clock and its timer.
    virtual void Restart() {}
    virtual void EnableOrDisableEffects() {}
};

class SoundChannelService {
  public:
    virtual ~SoundChannelService() = default;
    // Applies the pending changes of the channel table.
    virtual void StartChannelChanges() {}
    // One fade step (1 or more ends the fade at once).
    virtual void FadeChannels(double progress) { (void)progress; }
    virtual void EnableFadeTimer() {}
    virtual void DisableFadeTimer() {}
    // Plays the old-style sound block at the reader's position.
    virtual void PlaySoundChannels(SeqReader& reader) { (void)reader; }
    virtual void ClearAudioProblemShown() {}
};

class VideoService {
  public:
    virtual ~VideoService() = default;
    virtual void PlayMovieWithStop(const QString& fileName, bool stretched, int left, int top,
                                   int width, int height) {
        (void)fileName;
        (void)stretched;
        (void)left;
        (void)top;
        (void)width;
        (void)height;
    }
    virtual void StopOneTimeVideoPlayer() {}
    virtual bool IsOneTimeVideoPlaying() const { return false; }
};

class AnimatedObjectService {
  public:
    virtual ~AnimatedObjectService() = default;
    // Creates the animated picture of a hotspot; returns its index k (0 when none was made).
    virtual int AniGifNewWithIndex(int hotspot, const QString& path, int leftTwips, int topTwips,
                                   int speed) {
        (void)hotspot;
        (void)path;
        (void)leftTwips;
        (void)topTwips;
        (void)speed;
        return 0;
    }
    virtual void SetPointer(int index, const QString& pointerPath) {
        (void)index;
        (void)pointerPath;
    }
    virtual bool BoxVisible(int index) const {
        (void)index;
        return false;
    }
    virtual void SetBoxVisible(int index, bool visible) {
        (void)index;
        (void)visible;
    }
    virtual void StopAnimation(int index) { (void)index; }
    virtual void StartAnimation(int index) { (void)index; }
    // Unloads every animated picture above the template.
    virtual void UnloadAll() {}
};

class PluginService {
  public:
    virtual ~PluginService() = default;
    virtual void LoadPlugins() {}
    // Per-frame code of every loaded plug-in, each followed by a line break.
    virtual QString PerFrameCode() const { return {}; }
    // Script code for a frame's plug-in settings text.
    virtual QString CodeForFrameSettings(const QString& settings) const {
        (void)settings;
        return {};
    }
    // Script code for one plug-in action description.
    virtual QString CodeForAction(const QString& description) const {
        (void)description;
        return {};
    }
    // Variable names the plug-ins declare.
    virtual QStringList IntegerVariables() const { return {}; }
    virtual QStringList VariantVariables() const { return {}; }
};

class ComponentService {
  public:
    virtual ~ComponentService() = default;
    virtual void ResetComponents() {}
    virtual void BuildAllEventsList() {}
};

class SavedGameService {
  public:
    virtual ~SavedGameService() = default;
    virtual void ShowLoadGameWindow(bool abortIfATimerIsEnabled) { (void)abortIfATimerIsEnabled; }
    virtual void ShowSaveGameWindow() {}
};

// The set a Game talks to; any left null gets a do-nothing instance.
struct GameServices {
    InventoryService* inventory = nullptr;
    TransitionService* transitions = nullptr;
    DialogueService* dialogues = nullptr;
    RippleService* ripple = nullptr;
    SoundChannelService* sound = nullptr;
    VideoService* video = nullptr;
    AnimatedObjectService* animated = nullptr;
    PluginService* plugins = nullptr;
    ComponentService* components = nullptr;
    SavedGameService* savedGames = nullptr;
};

}  // namespace storyloom
