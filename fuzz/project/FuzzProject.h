#pragma once
// A project folder and test services shared by the data-file fuzzers: each input is written into
// the folder as one project file and read by the player's own reader through a fresh Program.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/PlatformBundle.h"
#include "core/Program.h"
#include "project/Messages.h"
#include "project/ProjectFolder.h"

namespace storyloom::fuzz {

class FuzzProject {
  public:
    FuzzProject() {
        QDir root(folder_.path());
        for (const char* sub : {"Config", "Frames", "FramesData"})
            root.mkpath(QString::fromLatin1(sub));
    }

    void Write(const QString& relativePath, const QByteArray& bytes) const {
        QFile file(folder_.path() + u'/' + relativePath);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
    }
    void Remove(const QString& relativePath) const {
        QFile::remove(folder_.path() + u'/' + relativePath);
    }

    // A Program over the folder with the neutral messages, ready for one reader call.
    std::unique_ptr<Program> NewProgram() {
        platform_.dialogs.shown.clear();
        platform_.dialogs.answers.clear();
        auto program = std::make_unique<Program>(platform_.Services());
        program->paths.SetProject(ProjectPathOf(folder_.path()));
        SetDefaultMessages(program->Messages, 0);
        return program;
    }

    // One instance per fuzzer process.
    static FuzzProject& Instance() {
        static FuzzProject project;
        return project;
    }

  private:
    QTemporaryDir folder_;
    TestPlatform platform_;
};

inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

}  // namespace storyloom::fuzz
