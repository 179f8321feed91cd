#include "platform/shell/Shell.h"

namespace storyloom {

bool RecordingShell::Open(const QString& target) {
    requests.push_back(Request{false, target, {}, false});
    return openSucceeds;
}

int RecordingShell::Run(const QString& program, const QStringList& arguments, bool wait) {
    requests.push_back(Request{true, program, arguments, wait});
    return wait ? exitCode : 0;
}

QStringList RecordingShell::Opened() const {
    QStringList out;
    for (const Request& r : requests)
        if (!r.isRun) out << r.target;
    return out;
}

}  // namespace storyloom
