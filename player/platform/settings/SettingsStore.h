#pragma once
// The per-user settings store, addressed by (application, section, key); values are strings.
// The player always uses application "Software" and the project title as section.
#include <QString>
#include <map>

namespace storyloom {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual QString Get(const QString& application, const QString& section, const QString& key,
                        const QString& defaultValue) const = 0;
    virtual void Save(const QString& application, const QString& section, const QString& key,
                      const QString& value) = 0;
};

// Kept in an INI-style file below a folder (the user's XDG config folder by default, a temp
// folder in tests): one file per application, one section per project title. Every write goes
// through a temporary file, flushed to disk and renamed over the old one, so a crash or a full
// disk during a write never loses the earlier settings. Section names, keys and values are
// stored so that any text survives (line breaks, "=", "]" included); names are matched without
// regard to case.
class FileSettingsStore : public SettingsStore {
  public:
    // folder empty: $XDG_CONFIG_HOME/storyloom (or ~/.config/storyloom).
    explicit FileSettingsStore(QString folder = {});
    QString Get(const QString& application, const QString& section, const QString& key,
                const QString& defaultValue) const override;
    void Save(const QString& application, const QString& section, const QString& key,
              const QString& value) override;
    // Save that tells whether the value reached the disk.
    bool TrySave(const QString& application, const QString& section, const QString& key,
                 const QString& value);
    QString FilePath(const QString& application) const;
    const QString& Folder() const { return folder_; }

  private:
    QString folder_;
};

// In memory, for tests.
class MemorySettingsStore : public SettingsStore {
  public:
    QString Get(const QString& application, const QString& section, const QString& key,
                const QString& defaultValue) const override;
    void Save(const QString& application, const QString& section, const QString& key,
              const QString& value) override;
    std::map<QString, QString> values;  // "application\section\key" lower-cased -> value
};

}  // namespace storyloom
