#include "game/dialogues/Dialogues.h"

#include <algorithm>

#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"
#include "platform/forms/Color.h"
#include "platform/loop/EventLoop.h"

namespace storyloom {

namespace {

const forms::OleColor kNotAsked = forms::Rgb(200, 200, 200);
const forms::OleColor kAsked = forms::Rgb(120, 120, 120);
const forms::OleColor kNotAskedLit = forms::Rgb(255, 255, 255);
const forms::OleColor kAskedLit = forms::Rgb(230, 230, 230);

// The label's colour dimmed back from its lit shade.
void Dim(forms::Label& label) {
    if (label.ForeColor() == kNotAskedLit) label.SetForeColor(kNotAsked);
    if (label.ForeColor() == kAskedLit) label.SetForeColor(kAsked);
}

}  // namespace

Dialogues::Dialogues(Game& game) : game_(game) {
    fmeDialogue = game.PictureBox->Add<forms::PictureBox>(QStringLiteral("fmeDialogue"));
    fmeDialogue->SetVisible(false);
    fmeDialogue->SetBorderStyle(0);
    fmeDialogue->SetBackColor(forms::Rgb(0, 0, 0));
    auto* templ = fmeDialogue->Add<forms::Label>(QStringLiteral("lblDialogue"));
    templ->SetVisible(false);
    templ->SetAutoSize(true);
    templ->SetBackStyle(0);
    templ->SetForeColor(kNotAsked);
    forms::FontSpec font;
    font.name = QStringLiteral("Arial");
    font.size = 10;
    font.bold = true;
    templ->SetFont(font);
    templ->onClick = [this](forms::Control& c) { RuntimeQuestionClick(c.Index()); };
    templ->onMouseMove = [this](forms::Control& c, int, int, double, double) {
        LabelPointerOver(c.Index());
    };
    fmeDialogue->onMouseMove = [this](forms::Control&, int, int, double, double) {
        PanelPointerOver();
    };
    lblDialogue = std::make_unique<forms::ControlArray<forms::Label>>(templ);
}

Dialogues::~Dialogues() {
    // The labels and the panel belong to the game's window; the array lets go of them first.
    lblDialogue.reset();
}

bool Dialogues::DialogueActive() const {
    return game_.program.DialogueActive;
}

bool Dialogues::PanelVisible() const {
    return fmeDialogue->Visible();
}

void Dialogues::CloseDialogue() {
    fmeDialogue->SetVisible(false);
    game_.program.DialogueActive = false;
    DialogueFrameName_.clear();
}

bool Dialogues::LoadDialogue(const QString& frameName) {
    Program& p = game_.program;
    const QString path = p.paths.FramesDataPath + frameName + QStringLiteral(".dlg");
    if (!p.platform.files.IsFile(path)) {
        questions_.clear();
        return false;
    }
    std::vector<DialogueQuestion> read;
    try {
        read = ReadDialogue(ReadDataFile(p.platform.files, path));
    } catch (const std::exception& e) {
        // A damaged file starts no dialogue: nothing of it is shown.
        questions_.clear();
        p.platform.dialogs.Show(
            BoxIcon::Critical, QStringLiteral("Error"),
            QStringLiteral("Error loading the dialogue.\r\n\r\n") + ErrorDescription(e));
        return false;
    }
    questions_.clear();
    for (DialogueQuestion& q : read) {
        Question question;
        question.Shown = q.InitiallyShown;
        question.data = std::move(q);
        questions_.push_back(std::move(question));
    }
    p.DialogueActive = true;
    DialogueFrameName_ = game_.state.frame.CurrentFrameName;
    return true;
}

void Dialogues::LoadAndShowQuestions(const QString& frameName) {
    if (LoadDialogue(frameName)) RuntimeDisplayQuestions();
}

void Dialogues::RuntimeDisplayQuestions() {
    try {
        lblDialogue->UnloadAll();
        double y = 300;
        int made = 0;
        for (size_t q = 0; q < questions_.size(); ++q) {
            if (!questions_[q].Shown) continue;
            forms::Label* label = lblDialogue->Load(++made);
            label->SetCaption(questions_[q].data.QuestionText);
            label->SetTag(QString::number(q + 1));
            label->Move(360, y);
            label->SetForeColor(questions_[q].Asked ? kAsked : kNotAsked);
            label->SetVisible(true);
            y += label->Height() + 90;
        }
        if (made == 0) {
            CloseDialogue();
            return;
        }
        const double height = y + 300;
        const double pictureH = game_.program.info.ProjectHeight * 15.0;
        const double pictureW = game_.program.info.ProjectWidth * 15.0;
        fmeDialogue->Move(0, pictureH - height, pictureW, height);
        fmeDialogue->SetVisible(true);
        fmeDialogue->ZOrder(0);
    } catch (const std::exception& e) {
        game_.program.ShowErrorBox(QStringLiteral(" Error in RuntimeDisplayQuestions. "),
                                   ErrorDescription(e));
    }
}

void Dialogues::WaitSeconds(double seconds) {
    EventLoop& loop = game_.program.platform.loop;
    const qint64 end = loop.NowMs() + static_cast<qint64>(std::max(0.0, seconds) * 1000.0);
    while (!game_.program.StopRequested && !game_.Closed()) {
        const qint64 left = end - loop.NowMs();
        if (left <= 0) break;
        loop.Wait(static_cast<int>(std::min<qint64>(left, 50)));
    }
}

void Dialogues::RunScript(const QString& code) {
    if (!code.isEmpty()) game_.ExecuteVBScriptAndConsequences(code, true);
}

void Dialogues::RunHotspot(int hotspot) {
    if (hotspot > 0 && hotspot <= game_.scene->AreaCount())
        game_.MakeActionAndConsequences(hotspot, 0, true);
}

void Dialogues::RuntimeQuestionClick(int Index) {
    // The panel is hidden while an answer runs; a second click cannot come through it.
    if (clicking_) return;
    clicking_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{clicking_};
    Program& p = game_.program;
    try {
        const forms::Label* label = lblDialogue->Find(Index);
        if (!label) return;
        bool ok = false;
        const int q = label->Tag().toInt(&ok);
        if (!ok || q < 1 || q > static_cast<int>(questions_.size()))
            throw RunError::SubscriptOutOfRange();
        questions_[size_t(q - 1)].Asked = true;
        // The question as it is now: its answer may load another dialogue.
        const DialogueQuestion question = questions_[size_t(q - 1)].data;
        fmeDialogue->SetVisible(false);

        RunScript(question.ScriptBefore);
        RunHotspot(question.Hotspot1);
        RunScript(question.ScriptMiddle);
        RunHotspot(question.Hotspot2);

        if (!question.AnswerText.isEmpty()) {
            if (question.TimedAnswer) {
                game_.ShowTextMessage(question.AnswerText, true, true);
                WaitSeconds(question.AnswerSeconds);
                if (p.StopRequested) return;
                game_.HideTextMessage();
            } else {
                game_.ShowTextMessage(question.AnswerText, true, false);
                while (game_.MessageStripVisible() && !p.StopRequested && !game_.Closed()) {
                    p.platform.loop.ProcessEvents();
                    if (game_.MessageStripVisible()) p.platform.loop.Wait(20);
                }
            }
        } else if (question.TimedAnswer) {
            WaitSeconds(question.AnswerSeconds);
        }

        if (p.StopRequested || game_.Closed()) return;
        if (question.EndsDialogue) CloseDialogue();
        if (p.StopRequested) return;
        RunScript(question.ScriptAfter);
        RunHotspot(question.Hotspot3);
        if (p.StopRequested || game_.Closed() || question.EndsDialogue) return;

        auto find = [this](qint16 id) -> Question& {
            for (Question& candidate : questions_)
                if (candidate.data.QuestionId == id) return candidate;
            throw RunError::SubscriptOutOfRange();
        };
        for (qint16 id : question.RevealIds) find(id).Shown = true;
        for (qint16 id : question.HideIds) find(id).Shown = false;
        RuntimeDisplayQuestions();
    } catch (const std::exception& e) {
        p.ShowErrorBox(QStringLiteral(" Error in RuntimeQuestionClick. "), ErrorDescription(e));
    }
}

void Dialogues::LabelPointerOver(int Index) {
    for (int i : lblDialogue->Indices()) {
        if (i == 0) continue;
        forms::Label* label = lblDialogue->Find(i);
        if (i != Index) {
            Dim(*label);
        } else if (label->ForeColor() == kNotAsked) {
            label->SetForeColor(kNotAskedLit);
        } else if (label->ForeColor() == kAsked) {
            label->SetForeColor(kAskedLit);
        }
    }
}

void Dialogues::PanelPointerOver() {
    for (int i : lblDialogue->Indices())
        if (i != 0) Dim(*lblDialogue->Find(i));
}

forms::Label* Dialogues::LabelOf(int q) const {
    for (int i : lblDialogue->Indices())
        if (i != 0 && lblDialogue->Find(i)->Tag() == QString::number(q))
            return lblDialogue->Find(i);
    return nullptr;
}

QStringList Dialogues::ShownCaptions() const {
    QStringList out;
    if (!PanelVisible()) return out;
    for (int i : lblDialogue->Indices())
        if (i != 0) out << lblDialogue->Find(i)->Caption();
    return out;
}

}  // namespace storyloom
