// Timed events (script code run after a delay, once or repeatedly) and the frame timer, which
// jumps to another frame, back to the previous one, or out of the game.
#include "core/Program.h"
#include "game/Game.h"

namespace storyloom {

void Game::ResetTimedEvents() {
    ++timedEventGeneration_;
    timedEventTable_.assign(1, TimedEventSlot{});
    timedEvents_.resize(1);
    timedEvents_[0]->SetEnabled(false);
    timedEvents_[0]->SetInterval(0);
}

void Game::StartTimedEvents() {
    for (size_t i = 1; i < timedEvents_.size(); ++i)
        if (timedEventTable_[i].EventActive && !timedEvents_[i]->Enabled())
            timedEvents_[i]->SetEnabled(true);
}

void Game::PauseTimedEvents() {
    for (auto& timer : timedEvents_) timer->SetEnabled(false);
}

int Game::AddTimedEvent(const QString& code, double seconds, bool repeats) {
    const int index = static_cast<int>(timedEvents_.size());
    auto timer = std::make_unique<Timer>(loop_);
    // Created stopped; the next StartTimedEvents starts it.
    timer->SetEnabled(false);
    const double ms = seconds * 1000.0;
    timer->SetInterval(ms >= 1 && ms <= 2147483647.0 ? static_cast<int>(ms + 0.5) : 0);
    timer->onTick = [this, index] { TimedEvent_Timer(index); };
    timedEvents_.push_back(std::move(timer));
    timedEventTable_.push_back(TimedEventSlot{true, repeats, code});
    return index;
}

bool Game::RemoveTimedEvent(int index) {
    if (index < 1 || index >= static_cast<int>(timedEvents_.size())) return false;
    TimedEventSlot& slot = timedEventTable_[static_cast<size_t>(index)];
    slot.EventActive = false;
    timedEvents_[static_cast<size_t>(index)]->SetEnabled(false);
    timedEvents_[static_cast<size_t>(index)]->SetInterval(0);
    return true;
}

bool Game::TimedEventRunning(int index) const {
    if (index < 0 || index >= static_cast<int>(timedEvents_.size())) return false;
    return timedEvents_[static_cast<size_t>(index)]->Armed();
}

void Game::TimedEvent_Timer(int Index) {
    if (program.StopRequested) return;
    if (Index <= 0 || Index >= static_cast<int>(timedEventTable_.size())) return;
    // Copies: the code may reset the table (a frame opening) while it runs.
    const TimedEventSlot slot = timedEventTable_[static_cast<size_t>(Index)];
    if (!slot.EventActive || slot.EventCode.isEmpty()) return;
    if (!slot.EventRepeats) RemoveTimedEvent(Index);
    const int generation = timedEventGeneration_;
    const bool failed = ExecuteVBScriptAndConsequences(slot.EventCode, true);
    // A failing event is switched off for good, unless the table was rebuilt meanwhile.
    if (failed && generation == timedEventGeneration_) RemoveTimedEvent(Index);
}

void Game::Timer1_Timer() {
    if (services.inventory->InventoryMoving()) {
        // Try the jump again a second later.
        timer1_.SetInterval(1000);
        return;
    }
    if (program.StopRequested) {
        timer1_.SetEnabled(false);
        return;
    }
    services.sound->FadeChannels(1);
    const QString target = timer1Tag_;
    const QString lower = target.toLower();
    if (lower.isEmpty()) return;
    if (lower == u"[quit]") {
        StartUnloading();
        return;
    }
    QString frame;
    if (lower == u"[last visited frame]") {
        if (state.History.Count() <= 1) return;
        state.History.RemoveLast();
        frame = state.History.Entries().constLast();
    } else {
        frame = target;
    }
    if (state.FrameTimerTransition) {
        services.transitions->TransitionStep1(state.FrameTimerTransitionNumber);
        OpenFrame(frame, true, state.FrameTimerTransitionNumber,
                  state.FrameTimerTransitionDuration / 1000.0);
    } else {
        OpenFrame(frame, false, 0, 0);
    }
}

}  // namespace storyloom
