#pragma once
// INI files with the Windows profile-string rules: sections and keys matched without regard to
// case, values at most 254 characters when read, file, section and key created as needed on
// write. Files are code page 1252.
#include <QByteArray>
#include <QString>
#include <optional>

namespace storyloom {

class FileSystem;

// Empty when the file, section or key is absent or on any error.
QString ReadIniValue(const FileSystem& fs, const QString& file, const QString& section,
                     const QString& key);
// Errors are ignored (returns false for the caller that wants to know).
bool WriteIniValue(const FileSystem& fs, const QString& file, const QString& section,
                   const QString& key, const QString& value);

// The same rules on the contents of a file in memory. IniUpdate returns the new contents, or
// nullopt when the section or key cannot be stored (empty, or holding "]", "=" or line breaks).
QString IniLookup(const QByteArray& contents, const QString& section, const QString& key);
std::optional<QByteArray> IniUpdate(const QByteArray& contents, const QString& section,
                                    const QString& key, const QString& value);

}  // namespace storyloom
