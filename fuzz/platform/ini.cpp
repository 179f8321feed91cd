// Arbitrary bytes as an INI file: look a section and key up (names taken from the input),
// write a value and read it back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/ini/IniFile.h"
#include "platform/text/Codepage1252.h"

using namespace storyloom;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray all(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // "section\0key\0value\0file contents"; without three separators the whole input is the
    // file and the names are fixed.
    QString section = QStringLiteral("General");
    QString key = QStringLiteral("ScriptTimeOut");
    QString value = QStringLiteral("30");
    QByteArray contents = all;
    const qsizetype z1 = all.indexOf('\0');
    const qsizetype z2 = z1 < 0 ? -1 : all.indexOf('\0', z1 + 1);
    const qsizetype z3 = z2 < 0 ? -1 : all.indexOf('\0', z2 + 1);
    if (z3 >= 0) {
        section = FromCp1252(all.left(z1));
        key = FromCp1252(all.mid(z1 + 1, z2 - z1 - 1));
        value = FromCp1252(all.mid(z2 + 1, z3 - z2 - 1));
        contents = all.mid(z3 + 1);
    }
    const QString found = IniLookup(contents, section, key);
    if (found.size() > 254) std::abort();

    const std::optional<QByteArray> updated = IniUpdate(contents, section, key, value);
    if (!updated) return 0;
    const QString readBack = IniLookup(*updated, section, key);
    // What was written is what is read, up to the profile rules: blanks around the value are
    // dropped, line breaks became blanks, matching quotes are taken off, 254 characters at most.
    QString expected = value;
    expected.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    expected = expected.trimmed();
    if (expected.size() >= 2 &&
        (expected.front() == QLatin1Char('"') || expected.front() == QLatin1Char('\'')) &&
        expected.back() == expected.front()) {
        expected = expected.mid(1, expected.size() - 2);
    }
    expected = expected.left(254);
    if (readBack != expected) std::abort();
    // Other sections keep their values.
    if (IniLookup(*updated, section + QStringLiteral("x"), key) !=
        IniLookup(contents, section + QStringLiteral("x"), key)) {
        std::abort();
    }
    return 0;
}
