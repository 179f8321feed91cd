#include "platform/components/SettingsProgIdStore.h"

#include "platform/settings/SettingsStore.h"

namespace storyloom {

namespace {
const QString kApplication = QStringLiteral("Controls");
const QString kSection = QStringLiteral("ProgIDs");
}  // namespace

std::string SettingsProgIdStore::Get(const std::string& progId) const {
    return settings_.Get(kApplication, kSection, QString::fromStdString(progId), QString())
        .toStdString();
}

bool SettingsProgIdStore::Set(const std::string& progId, const std::string& path) {
    const QString key = QString::fromStdString(progId);
    const QString value = QString::fromStdString(path);
    if (auto* file = dynamic_cast<FileSettingsStore*>(&settings_)) {
        return file->TrySave(kApplication, kSection, key, value);
    }
    settings_.Save(kApplication, kSection, key, value);
    return true;
}

}  // namespace storyloom
