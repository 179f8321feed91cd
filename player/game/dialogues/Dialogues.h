#pragma once
// The question-and-answer dialogue of a frame: the questions of its file, the panel at the
// bottom of the game picture that lists the shown ones, and what picking one does (scripts,
// hotspot actions, the answer, questions revealed and hidden). The dialogue stays open while
// its answers open other frames, until a question ends it, an action or script closes it, or
// the game is reset.
#include <QString>
#include <memory>
#include <vector>

#include "game/dialogues/DialogueService.h"
#include "platform/forms/controls/PictureBox.h"
#include "project/DialogueFile.h"

namespace storyloom {

class Game;

class Dialogues : public DialogueService {
  public:
    // Builds the panel and the label template in `game`'s picture area.
    explicit Dialogues(Game& game);
    ~Dialogues() override;

    bool DialogueActive() const override;
    QString DialogueFrameName() const override { return DialogueFrameName_; }
    void CloseDialogue() override;
    void LoadAndShowQuestions(const QString& frameName) override;
    forms::ControlArray<forms::Label>* DialogueLabels() override { return lblDialogue.get(); }
    forms::Control* DialogueCanvas() override { return fmeDialogue; }

    // Reads the frame's dialogue file; false (after the error box) when it is damaged.
    bool LoadDialogue(const QString& frameName);
    void RuntimeDisplayQuestions();
    // The player picked label `Index`.
    void RuntimeQuestionClick(int Index);
    // Pointer feedback: over label `Index`, or over the panel outside the labels.
    void LabelPointerOver(int Index);
    void PanelPointerOver();

    struct Question {
        DialogueQuestion data;
        bool Shown = false;
        bool Asked = false;
    };
    const std::vector<Question>& Questions() const { return questions_; }
    bool PanelVisible() const;
    // The label showing question `q` (1-based), or null.
    forms::Label* LabelOf(int q) const;
    // The shown questions' captions, top to bottom.
    QStringList ShownCaptions() const;

    forms::PictureBox* fmeDialogue = nullptr;
    std::unique_ptr<forms::ControlArray<forms::Label>> lblDialogue;

  private:
    void WaitSeconds(double seconds);
    void RunScript(const QString& code);
    void RunHotspot(int hotspot);
    Game& game_;
    std::vector<Question> questions_;
    QString DialogueFrameName_;
    bool clicking_ = false;
};

}  // namespace storyloom
