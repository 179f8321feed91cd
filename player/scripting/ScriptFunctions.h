#pragma once
// The object scripts talk to (added to the engine as "Action" with its members global): the
// game's function library. Most functions act at once; GoToFrame, Quit and the save and load
// windows leave requests that the code which ran the script carries out afterwards.
#include <QString>
#include <QStringList>

#include "vbscript/Engine.h"

namespace storyloom {

class ScriptHost;

class ScriptFunctions : public vbs::HostObject {
  public:
    explicit ScriptFunctions(ScriptHost& host);

    // The file a script names: a bare file name lies in the External folder, a path is used as
    // given.
    QString ExternalFile(const QString& fileTitle) const;
    // Whether scripts may write `path`: inside the game folder or one of the host's writable
    // folders, after "..", links and letter case are resolved.
    bool MayWrite(const QString& path) const;

  private:
    void AddLibrary();
    void AddComponentFunctions();
    // The shared error box with the function's sentence.
    void ErrorBox(const QString& sentence, const QString& description = {});
    ScriptHost& host_;
    // DDir's search: the matches of the last pattern not yet returned.
    QStringList dirMatches_;
};

// The description an error box appends for a failure inside a library function.
QString FailureDescription(const std::exception& e);

}  // namespace storyloom
