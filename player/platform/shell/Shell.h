#pragma once
// Handing things to the desktop: open a document, a mail address or a web address with the
// program the desktop associates with it, or start a program (and wait for it to end).
// QtShell does it for real; RecordingShell notes every request for tests and headless runs.
#include <QString>
#include <QStringList>
#include <vector>

namespace storyloom {

class EventLoop;

class Shell {
  public:
    virtual ~Shell() = default;

    // Opens `target`: an address with a scheme ("mailto:someone@example.org",
    // "http://..."), a bare web address ("www.example.org") or a native file path. False
    // when the desktop could not hand it to any program.
    virtual bool Open(const QString& target) = 0;

    // Starts the program at the native path `program` with `arguments`. With `wait` set the
    // call returns when the program has ended (letting events run meanwhile) and gives its
    // exit code; without, it returns 0 once the program has started. -1 when it could not be
    // started at all.
    virtual int Run(const QString& program, const QStringList& arguments, bool wait) = 0;
};

// The real desktop, through QDesktopServices and QProcess.
class QtShell : public Shell {
  public:
    explicit QtShell(EventLoop& loop) : loop_(loop) {}
    bool Open(const QString& target) override;
    int Run(const QString& program, const QStringList& arguments, bool wait) override;

    // The address QDesktopServices gets for `target` (exposed for tests).
    static QString UrlFor(const QString& target);

  private:
    EventLoop& loop_;
};

// Notes every request and answers as told.
class RecordingShell : public Shell {
  public:
    struct Request {
        bool isRun = false;
        QString target;  // the address or the program
        QStringList arguments;
        bool wait = false;
    };

    bool Open(const QString& target) override;
    int Run(const QString& program, const QStringList& arguments, bool wait) override;

    // The addresses opened so far, in order.
    QStringList Opened() const;

    std::vector<Request> requests;
    bool openSucceeds = true;
    int exitCode = 0;  // what Run reports
};

}  // namespace storyloom
