#pragma once
// One QApplication for the whole test program (the Qt loop and the Qt dialogs need it).
#include <QApplication>

namespace storyloom {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace storyloom
