#pragma once
// Plug-ins: script code that extends a game (procedures every script can call, code run when a
// game starts and when a frame opens, the variables it needs) and the plug-in actions that the
// author configured on frames and hotspots. The project lists them in Config\Plugins; each one
// is a .cp file in the CPData folder, read again at every game reset.
#include <QString>
#include <QStringList>
#include <vector>

#include "game/GameServices.h"

namespace storyloom {

class Program;

struct Plugin {
    QString Name;
    qint16 FormatVersion = 0;
    bool Compiled = false;
    bool Protected = false;
    QString ActionIdentifier;
    QString GameStartCode;
    QString FrameOpenCode;
    QString GlobalCode;
    QStringList IntegerVariables;
    QStringList VariantVariables;
    QString FrameProcedureName;
    QString ActionProcedureName;
};

class PluginTable : public PluginService {
  public:
    explicit PluginTable(Program& program) : program_(program) {}

    // Rebuilds the table from the list file. A damaged list or .cp file stops the loading with
    // a box; the plug-ins read so far (the damaged one with the fields read so far) stay.
    void LoadPlugins() override;
    QString PerFrameCode() const override;
    QString CodeForFrameSettings(const QString& settings) const override;
    QString CodeForAction(const QString& description) const override;
    QStringList IntegerVariables() const override;
    QStringList VariantVariables() const override;

    // Script statements for a text of plug-in action descriptions (pieces after each character
    // 164, arguments after each character 165): the plug-in's action procedure (forAction) or
    // frame procedure, called with every argument in double quotes.
    QString BuildPluginCode(const QString& descriptions, bool forAction) const;
    // Every plug-in's global code, each followed by a line break.
    QString GlobalCode() const;
    // Every non-empty game-start code, each followed by a line break.
    QString GameStartCode() const;

    const std::vector<Plugin>& Plugins() const { return plugins_; }
    int PluginCount() const { return static_cast<int>(plugins_.size()); }

  private:
    QString Statement(const QString& piece, bool forAction) const;
    Program& program_;
    std::vector<Plugin> plugins_;
};

}  // namespace storyloom
