#include "core/Program.h"

#include "core/BasicConvert.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/settings/SettingsStore.h"

namespace storyloom {

void ProjectPaths::SetProject(const QString& projectPath) {
    ProjectPath = projectPath;
    FramesDataPath = projectPath + QStringLiteral("FramesData\\");
    FramesPath = projectPath + QStringLiteral("Frames\\");
    AreasPath = projectPath + QStringLiteral("Areas\\");
    IconsPath = projectPath + QStringLiteral("Icons\\");
    ConfigPath = projectPath + QStringLiteral("Config\\");
    SchemesPath = projectPath + QStringLiteral("Schemes\\");
    InventoryPath = projectPath + QStringLiteral("Inventory\\");
    ExternalPath = projectPath + QStringLiteral("External\\");
    CPDataPath = projectPath + QStringLiteral("CPData\\");
    ScriptBasePath = projectPath;
}

void Program::ShowErrorBox(const QString& sentence, const QString& description) {
    if (StopRequested) return;
    platform.dialogs.Show(BoxIcon::Critical, Messages(29),
                          Messages(30) + kCrLf + kCrLf + Messages(31) + sentence + description);
}

QString Program::GetUserSetting(const QString& key, const QString& defaultValue) const {
    return platform.settings.Get(QStringLiteral("Software"), info.ProjectTitle, key, defaultValue);
}

void Program::SaveUserSetting(const QString& key, const QString& value) {
    platform.settings.Save(QStringLiteral("Software"), info.ProjectTitle, key, value);
}

}  // namespace storyloom
