// `run --walkthrough FILE [--out DIR] [FOLDER]`: the game played headless, on offscreen windows.
#include <QApplication>

#include "app/Commands.h"
#include "app/walkthrough/RandomWalk.h"
#include "app/walkthrough/Walkthrough.h"

namespace storyloom {

int RunWalkthrough(int argc, char** argv) {
    // Nothing reaches a real screen: the windows are drawn into pictures.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RunWalkthroughCommand(app.arguments().mid(2), DefaultProjectFolder());
}

int RunRandomWalks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RunRandomWalkCommand(app.arguments().mid(2), DefaultProjectFolder());
}

}  // namespace storyloom
