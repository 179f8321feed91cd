#pragma once
// The game's connection to the question-and-answer dialogue of a frame.
// Until it is built, the default bodies do nothing, so the game calls it at the right moments
// today; tests derive from it to watch the calls.
#include <QString>

namespace storyloom {

class DialogueService {
  public:
    virtual ~DialogueService() = default;
    virtual bool DialogueActive() const { return false; }
    virtual void CloseDialogue() {}
    // Loads the frame's dialogue file and shows its questions.
    virtual void LoadAndShowQuestions(const QString& frameName) { (void)frameName; }
};

}  // namespace storyloom
