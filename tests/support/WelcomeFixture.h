#pragma once
// A welcome window over a project in a temp folder, on the test platform: virtual clock,
// scripted boxes, in-memory settings, a screen of fixed size, a recording shell and windows
// kept in memory.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <optional>
#include <utility>

#include "TestProgram.h"
#include "core/Errors.h"
#include "game/Game.h"
#include "platform/display/Display.h"
#include "platform/forms/Renderer.h"
#include "platform/forms/WindowHost.h"
#include "platform/media/NullMediaPlayer.h"
#include "platform/seqfile/SeqFile.h"
#include "platform/shell/Shell.h"
#include "startup/Resolutions.h"
#include "startup/Welcome.h"

namespace storyloom::test {

// One value of a scheme file, written as the authoring tool writes it.
struct SchemeFile {
    QStringList pictures;   // entries for Img(0), Img(1) ...
    int pictureCount = -1;  // -1: the number of entries
    std::vector<qint64> colours;
    int colourCount = -1;                      // -1: the number of colours
    std::optional<int> hideName;               // the optional group with the name flag
    std::optional<std::pair<int, bool>> logo;  // the optional group with the logo choice
};

class WelcomeTest : public ::testing::Test {
  protected:
    WelcomeTest() {
        EnsureApp();
        general.ProjectWidth = 64;
        general.ProjectHeight = 48;
        general.InitialFrameName = QStringLiteral("Start");
        for (const char* f : {"Frames", "FramesData", "Areas", "Icons", "Config", "Schemes"})
            t.project.MakeFolder(QString::fromLatin1(f));
        FrameFile start;
        start.BackgroundValue = QString::number(0x00FF00);
        t.project.WriteFrame(QStringLiteral("Start"), start);
        t.project.WriteVariables({QStringLiteral("score")});
    }

    // Writes the project information and runs the start-up.
    bool Start() {
        t.project.WriteGeneral(general);
        welcome = std::make_unique<frmWelcome>(
            t.program, WelcomeServices{display, resolutions, shell, windows, [this] {
                                           if (gameFails)
                                               throw RunError(7, QStringLiteral("Out of memory"));
                                           return std::make_unique<Game>(t.program, scripts);
                                       }});
        return welcome->Start(t.project.Root());
    }

    void WriteScheme(const QString& name, const SchemeFile& s) {
        t.project.WriteRecords(
            QStringLiteral("Schemes/%1/Scheme.txt").arg(name), [&](SeqWriter& w) {
                w.WriteString(QStringLiteral("Scheme"));
                w.WriteString(name);
                w.WriteInteger(1);
                w.EndRecord();
                w.WriteInteger(s.pictureCount < 0 ? s.pictures.size() : s.pictureCount);
                w.EndRecord();
                for (const QString& p : s.pictures) {
                    w.WriteString(p);
                    w.EndRecord();
                }
                if (s.pictureCount == 0) return;
                w.WriteInteger(s.colourCount < 0 ? qint64(s.colours.size()) : s.colourCount);
                w.EndRecord();
                for (qint64 c : s.colours) {
                    w.WriteInteger(c);
                    w.EndRecord();
                }
                if (s.hideName) {
                    w.WriteString(QStringLiteral("a"));
                    w.WriteString(QStringLiteral("b"));
                    w.WriteString(QStringLiteral("c"));
                    w.WriteInteger(*s.hideName);
                    w.EndRecord();
                }
                if (s.logo) {
                    w.WriteString(QStringLiteral("logo"));
                    w.WriteInteger(s.logo->first);
                    w.WriteBoolean(s.logo->second);
                    w.EndRecord();
                }
            });
    }

    // A picture file of one colour in the scheme folder.
    void WritePicture(const QString& relativePath, QSize size, QColor colour) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        t.project.MakeFolder(QFileInfo(relativePath).path());
        ASSERT_TRUE(image.save(t.project.NativePath(relativePath), "BMP"));
    }

    QStringList BoxTexts() const {
        QStringList out;
        for (const auto& b : t.Boxes()) out << b.text;
        return out;
    }
    QString ErrorText(const QString& sentence) const {
        return t.program.Messages(30) + QStringLiteral("\r\n\r\n") + t.program.Messages(31) +
               sentence;
    }
    QImage Render() const { return forms::Renderer::Compose(welcome->window); }
    const HeadlessWindowHost::State* WelcomeState() const {
        return windows.StateOf(welcome->window);
    }

    TestProgram t;
    GeneralFile general;
    FixedDisplay& display = t.platform.display;
    Resolutions resolutions{t.program, display};
    RecordingShell& shell = t.platform.shell;
    HeadlessWindowHost& windows = t.platform.windows;
    NullMediaLibrary& media = t.platform.media;
    NoScriptRunner scripts;
    bool gameFails = false;
    std::unique_ptr<frmWelcome> welcome;
};

}  // namespace storyloom::test
