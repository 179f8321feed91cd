#pragma once
// One QApplication for the whole test program (the Qt loop, fonts, pictures and the Qt dialogs
// need it), and readable Qt values in test failure messages.
#include <QApplication>
#include <QByteArray>
#include <QString>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace storyloom {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "storyloom_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

namespace test {
inline void EnsureApp() {
    if (!QCoreApplication::instance()) TestApp();
}
}  // namespace test

}  // namespace storyloom
