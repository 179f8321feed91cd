// Text boxes: the fixed texts of a frame, one auto-sized Text label each.
#include <QVariant>
#include <functional>
#include <optional>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "frames/Game.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"

namespace storyloom {

void Game::ResetFrameTexts() {
    for (int k = Text->UBound(); k >= 1; --k) {
        try {
            if (Text->Exists(k)) Text->Unload(k);
        } catch (const std::exception&) {
        }
    }
}

void Game::LoadTexts() {
    Program& p = program;
    const FileSystem& fs = p.platform.files;
    const QString base = p.paths.FramesDataPath + p.frame.CurrentFrameName;
    const QString merged = base + QStringLiteral(".mr1");
    const QString plain = base + QStringLiteral(".fm1");
    if (fs.FileExists(merged).isEmpty() && fs.FileExists(plain).isEmpty()) return;
    p.frame.MergedTextIndex = 1;
    std::optional<SeqReader> reader;
    try {
        reader.emplace(OpenSeqFile(fs, fs.FileExists(merged).isEmpty() ? plain : merged));
    } catch (const std::exception& e) {
        if (!p.StopRequested)
            p.platform.dialogs.Show(BoxIcon::None, QStringLiteral("Error"),
                                    p.Messages(30) + kCrLf + kCrLf + p.Messages(31) +
                                        QStringLiteral(" Error loading TextBoxes. ") +
                                        ErrorDescription(e));
        return;
    }
    SeqReader& r = *reader;
    // Inside the records every failure is skipped: a bad value leaves that property at its
    // default and reading goes on with the next field.
    auto field = [&r](const std::function<void(const QVariant&)>& apply) {
        if (r.AtEnd()) return;
        try {
            apply(r.ReadVariant());
        } catch (const std::exception&) {
        }
    };
    int i = 0;
    while (!r.AtEnd()) {
        if (p.StopRequested) return;
        const qsizetype start = r.Tell();
        ++i;
        const int k = std::max(0, Text->UBound()) + 1;
        field([](const QVariant&) {});
        field([&](const QVariant& v) {
            if (CInt(v) == 1 && i != 1 && p.frame.MergedTextIndex == 1)
                p.frame.MergedTextIndex = static_cast<qint16>(k);
        });
        for (int f = 3; f <= 10; ++f) field([](const QVariant&) {});
        forms::Label* label = nullptr;
        try {
            label = Text->Load(k);
            label->SetVisible(false);
            // Sized once, when the whole record has been read, instead of after every field.
            label->SetAutoSize(false);
        } catch (const std::exception&) {
            for (int f = 11; f <= 21; ++f) field([](const QVariant&) {});
            continue;
        }
        forms::FontSpec font = label->Font();
        field([&](const QVariant& v) {
            const QString caption = CStr(v);
            label->SetCaption(caption.compare(QStringLiteral("[empty]"), Qt::CaseInsensitive) == 0
                                  ? QString()
                                  : caption);
        });
        field([&](const QVariant& v) { label->SetLeft(CDbl(v)); });
        field([&](const QVariant& v) { label->SetTop(CDbl(v)); });
        field([&](const QVariant& v) { font.bold = CBool(v); });
        field([&](const QVariant& v) { font.italic = CBool(v); });
        field([&](const QVariant& v) {
            const QString name = CStr(v);
            font.name = name.isEmpty() ? QStringLiteral("Arial") : name;
        });
        field([&](const QVariant& v) {
            const double size = CDbl(v);
            if (size > 0 && size <= 2048) font.size = size;
        });
        field([&](const QVariant& v) { font.strikethrough = CBool(v); });
        field([&](const QVariant& v) { font.underline = CBool(v); });
        field([&](const QVariant& v) {
            label->SetForeColor(static_cast<forms::OleColor>(CLng(v)) & 0xFFFFFFu);
        });
        try {
            label->SetFont(font);
        } catch (const std::exception&) {
        }
        label->SetAutoSize(true);
        label->SetVisible(true);
        if (window.Visible()) label->ZOrder(0);
        field([](const QVariant&) {});
        // A field the reader cannot get past ends the file rather than looping on it.
        if (r.Tell() == start) break;
    }
}

}  // namespace storyloom
