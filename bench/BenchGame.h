#pragma once
// What the game benches' generated projects have in common: the project's folders, game
// variables named var_0, var_1 ..., procedures of five-line helper functions, blank frames,
// and the program opened on the project as the player opens it.
#include <QString>
#include <QStringList>

#include "core/Program.h"
#include "project/ProjectWriter.h"
#include "startup/ProjectStartup.h"

namespace storyloom::bench {

inline void MakeProjectFolders(ProjectWriter& project) {
    for (const char* folder : {"Frames", "FramesData", "Areas", "Icons", "Config", "External"})
        project.MakeFolder(QString::fromLatin1(folder));
}

inline QStringList VariableNames(int count) {
    QStringList names;
    for (int i = 0; i < count; ++i) names << QStringLiteral("var_%1").arg(i);
    return names;
}

// `functions` functions HelperN(a, b) of five lines each.
inline QStringList HelperFunctions(int functions) {
    QStringList lines;
    for (int i = 0; i < functions; ++i)
        lines << QStringLiteral("Function Helper%1(a, b)").arg(i)
              << QStringLiteral("  Dim t : t = a * %1 + b").arg(i)
              << QStringLiteral("  If t > 100 Then t = t - 100")
              << QStringLiteral("  Helper%1 = t").arg(i) << QStringLiteral("End Function");
    return lines;
}

// A frame with a plain black background.
inline void WriteBlankFrame(ProjectWriter& project, const QString& name) {
    FrameFile frame;
    frame.BackgroundType = 0;
    frame.BackgroundValue = QStringLiteral("0");
    project.WriteFrame(name, frame);
}

// The project opened as the player opens it (paths, controls, messages, information).
inline void OpenProject(Program& program, const QString& nativeRoot) {
    if (InitializeProject(program, nativeRoot) != InitializeResult::Ready)
        qFatal("the bench project did not open");
}

}  // namespace storyloom::bench
