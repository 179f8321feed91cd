#pragma once
// The game's connection to the question-and-answer dialogue of a frame.
// Until it is built, the default bodies do nothing, so the game calls it at the right moments
// today; tests derive from it to watch the calls.
#include <QString>

#include "platform/forms/ControlArray.h"
#include "platform/forms/controls/Label.h"

namespace storyloom {

class DialogueService {
  public:
    virtual ~DialogueService() = default;
    virtual bool DialogueActive() const { return false; }
    // The frame on which the running dialogue started ("" when none).
    virtual QString DialogueFrameName() const { return {}; }
    virtual void CloseDialogue() {}
    // Loads the frame's dialogue file and shows its questions.
    virtual void LoadAndShowQuestions(const QString& frameName) { (void)frameName; }
    // The question labels and their panel, for scripts (null while there are none).
    virtual forms::ControlArray<forms::Label>* DialogueLabels() { return nullptr; }
    virtual forms::Control* DialogueCanvas() { return nullptr; }
};

}  // namespace storyloom
