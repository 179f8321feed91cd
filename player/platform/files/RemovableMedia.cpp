// Removable media from the system's mount table.
#include <QFile>

#include "platform/files/FileSystem.h"

namespace storyloom {

namespace {

// "\040" and the other octal escapes the mount table writes for blanks, tabs and backslashes.
QByteArray Unescape(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field.at(i);
        if (c == '\\' && i + 3 < field.size()) {
            bool octal = true;
            int value = 0;
            for (qsizetype k = 1; k <= 3; ++k) {
                const char d = field.at(i + k);
                if (d < '0' || d > '7') {
                    octal = false;
                    break;
                }
                value = value * 8 + (d - '0');
            }
            if (octal && value < 256) {
                out.append(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return out;
}

bool UnderMediaFolder(const QString& mountPoint) {
    for (const char* root : {"/media", "/run/media", "/mnt"}) {
        const QString r = QString::fromLatin1(root);
        if (mountPoint == r || mountPoint.startsWith(r + u'/')) return true;
    }
    return false;
}

bool RemovableType(const QByteArray& type) {
    static const QByteArrayList kTypes = {"iso9660", "udf",   "vfat",    "msdos",   "exfat",
                                          "ntfs",    "ntfs3", "fuseblk", "hfsplus", "hfs"};
    return kTypes.contains(type);
}

}  // namespace

QStringList RemovableMountPoints(const QByteArray& mountTable) {
    QStringList found;
    for (const QByteArray& line : mountTable.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3) continue;
        const QString mountPoint = QString::fromUtf8(Unescape(fields.at(1)));
        if (!UnderMediaFolder(mountPoint) || !RemovableType(fields.at(2))) continue;
        found.removeAll(mountPoint);
        found << mountPoint;
    }
    return found;
}

QStringList FileSystem::RemovableMedia() const {
    if (mountTable_.isEmpty()) return {};
    QFile file(mountTable_);
    if (!file.open(QIODevice::ReadOnly)) return {};
    // The kernel's table has no size; read until the end.
    return RemovableMountPoints(file.readAll());
}

}  // namespace storyloom
