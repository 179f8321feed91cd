// Text boxes: the fixed texts of a frame, one auto-sized Text label each.
#include <optional>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/FrameGlobals.h"
#include "core/Program.h"
#include "frames/FrameScene.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"
#include "project/TextBoxRecords.h"

namespace storyloom {

void FrameScene::ResetFrameTexts() {
    for (int k = Text->UBound(); k >= 1; --k) {
        try {
            if (Text->Exists(k)) Text->Unload(k);
        } catch (const std::exception&) {
        }
    }
}

void FrameScene::LoadTexts() {
    Program& p = program_;
    const FileSystem& fs = p.platform.files;
    const QString file = TextBoxFile(fs, p.paths.FramesDataPath, frame_.CurrentFrameName);
    if (file.isEmpty()) return;
    frame_.MergedTextIndex = 1;
    std::optional<SeqReader> reader;
    try {
        reader.emplace(OpenSeqFile(fs, file));
    } catch (const std::exception& e) {
        if (!p.StopRequested)
            p.platform.dialogs.Show(BoxIcon::None, QStringLiteral("Error"),
                                    p.Messages(30) + kCrLf + kCrLf + p.Messages(31) +
                                        QStringLiteral(" Error loading TextBoxes. ") +
                                        ErrorDescription(e));
        return;
    }
    SeqReader& r = *reader;
    // Every failure inside a record is skipped: a bad value leaves that property at its default.
    auto apply = [](const auto& value, const auto& set) {
        if (!value) return;
        try {
            set(*value);
        } catch (const std::exception&) {
        }
    };
    const bool windowVisible = PictureBox->OwnerWindow() && PictureBox->OwnerWindow()->Visible();
    int i = 0;
    while (!r.AtEnd()) {
        if (p.StopRequested) return;
        const qsizetype start = r.Tell();
        ++i;
        const int k = std::max(0, Text->UBound()) + 1;
        const TextBoxRecord t = ReadTextBoxRecord(r);
        if (t.MergedFlag && *t.MergedFlag == 1 && i != 1 && frame_.MergedTextIndex == 1)
            frame_.MergedTextIndex = static_cast<qint16>(k);
        forms::Label* label = nullptr;
        try {
            label = Text->Load(k);
            label->SetVisible(false);
            // Sized once, when the whole record has been applied, instead of after every field.
            label->SetAutoSize(false);
        } catch (const std::exception&) {
            continue;
        }
        forms::FontSpec font = label->Font();
        apply(t.Caption, [&](const QString& v) { label->SetCaption(v); });
        apply(t.Left, [&](double v) { label->SetLeft(v); });
        apply(t.Top, [&](double v) { label->SetTop(v); });
        if (t.Bold) font.bold = *t.Bold;
        if (t.Italic) font.italic = *t.Italic;
        if (t.FontName) font.name = *t.FontName;
        if (t.FontSize) font.size = *t.FontSize;
        if (t.Strikethrough) font.strikethrough = *t.Strikethrough;
        if (t.Underline) font.underline = *t.Underline;
        apply(t.ForeColor, [&](quint32 v) { label->SetForeColor(v); });
        try {
            label->SetFont(font);
        } catch (const std::exception&) {
        }
        label->SetAutoSize(true);
        label->SetVisible(true);
        if (windowVisible) label->ZOrder(0);
        // A record the reader cannot get past ends the file rather than looping on it.
        if (r.Tell() == start) break;
    }
}

}  // namespace storyloom
