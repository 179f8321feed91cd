// Short texts for the player: a strip over the bottom of the frame that hides itself after a
// time that grows with the text, or an ordinary message box.
#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/dialogs/Dialogs.h"

namespace storyloom {

void Game::ShowTextMessage(const QString& text, bool inFrame, bool keepUntilClicked) {
    if (!inFrame) {
        program.platform.dialogs.Show(BoxIcon::Information, program.info.GameName, text);
        return;
    }
    if (text.compare(QStringLiteral("[hide]"), Qt::CaseInsensitive) == 0) {
        HideTextMessage();
        return;
    }
    try {
        FrameMessageBox->SetLeft(0);
        FrameMessageBox->SetWidth(PictureBox->Width());
        LabelMessageBox->SetAutoSize(true);
        LabelMessageBox->SetCaption(QString());
        LabelMessageBox->SetLeft(FrameMessageBox->Width() / 2);
        LabelMessageBox->SetCaption(text);
        // The label grows evenly around the strip's centre.
        LabelMessageBox->SetLeft(FrameMessageBox->Width() / 2 - LabelMessageBox->Width() / 2);
        const double height = LabelMessageBox->Height() + 525;
        FrameMessageBox->SetHeight(height);
        FrameMessageBox->SetTop(PictureBox->Height() - height);
        LabelMessageBox->SetVisible(true);
        FrameMessageBox->SetVisible(true);
        FrameMessageBox->ZOrder(0);
        if (!keepUntilClicked) {
            timerMessageBox_.SetInterval(static_cast<int>(text.size()) * 70 + 1000);
            timerMessageBox_.SetEnabled(false);
            timerMessageBox_.SetEnabled(true);
        }
    } catch (const std::exception&) {
        program.ShowErrorBox(QStringLiteral(" Unable to display text message."));
    }
}

void Game::HideTextMessage() {
    FrameMessageBox->SetVisible(false);
    LabelMessageBox->SetVisible(false);
    timerMessageBox_.SetEnabled(false);
    timerMessageBox_.SetInterval(0);
}

bool Game::MessageStripVisible() const {
    return FrameMessageBox->Visible();
}

QString Game::MessageStripText() const {
    return FrameMessageBox->Visible() ? LabelMessageBox->Caption() : QString();
}

}  // namespace storyloom
