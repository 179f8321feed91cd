#include "core/BasicConvert.h"

#include <QDateTime>
#include <cctype>
#include <cmath>
#include <optional>

#include "core/Errors.h"

namespace storyloom {

namespace {

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

// Parses a whole number text the way Basic coerces a string to a number: surrounding blanks
// allowed, optional sign, digits with one point, optional exponent, or &H / &O integers.
std::optional<double> ParseNumberText(const QString& raw) {
    const QString text = raw.trimmed();
    if (text.isEmpty()) return std::nullopt;
    if (text.startsWith(u'&') && text.size() > 2) {
        const QChar radixChar = text.at(1).toUpper();
        const int radix = radixChar == u'H' ? 16 : radixChar == u'O' ? 8 : 0;
        if (radix == 0) return std::nullopt;
        bool ok = false;
        const qint64 v = text.mid(2).toLongLong(&ok, radix);
        if (!ok) return std::nullopt;
        return static_cast<double>(v);
    }
    qsizetype i = 0;
    if (text.at(i) == u'+' || text.at(i) == u'-') ++i;
    qsizetype digits = 0;
    while (i < text.size() && text.at(i).isDigit()) ++i, ++digits;
    if (i < text.size() && text.at(i) == u'.') {
        ++i;
        while (i < text.size() && text.at(i).isDigit()) ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() &&
        (text.at(i) == u'e' || text.at(i) == u'E' || text.at(i) == u'd' || text.at(i) == u'D')) {
        ++i;
        if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-')) ++i;
        qsizetype expDigits = 0;
        while (i < text.size() && text.at(i).isDigit()) ++i, ++expDigits;
        if (expDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    QString normal = text;
    normal.replace(u'd', u'e').replace(u'D', u'e');
    bool ok = false;
    const double v = normal.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

double Val(const QString& text) {
    QString compact;
    compact.reserve(text.size());
    for (QChar c : text)
        if (!IsBlank(c)) compact.append(c);
    if (compact.startsWith(u'&') && compact.size() > 1) {
        const QChar radixChar = compact.at(1).toUpper();
        const int radix = radixChar == u'H' ? 16 : radixChar == u'O' ? 8 : 0;
        if (radix == 0) return 0;
        qsizetype end = 2;
        while (end < compact.size() && end < 18) {
            const int digit = compact.at(end).toUpper().unicode();
            const bool valid = radix == 16 ? (std::isdigit(digit) || (digit >= 'A' && digit <= 'F'))
                                           : (digit >= '0' && digit <= '7');
            if (!valid) break;
            ++end;
        }
        bool ok = false;
        const qint64 v = compact.mid(2, end - 2).toLongLong(&ok, radix);
        return ok ? static_cast<double>(v) : 0;
    }
    qsizetype i = 0;
    if (i < compact.size() && (compact.at(i) == u'+' || compact.at(i) == u'-')) ++i;
    qsizetype digits = 0;
    while (i < compact.size() && compact.at(i).isDigit()) ++i, ++digits;
    if (i < compact.size() && compact.at(i) == u'.') {
        ++i;
        while (i < compact.size() && compact.at(i).isDigit()) ++i, ++digits;
    }
    if (digits == 0) return 0;
    qsizetype end = i;
    if (i < compact.size() && (compact.at(i) == u'e' || compact.at(i) == u'E' ||
                               compact.at(i) == u'd' || compact.at(i) == u'D')) {
        qsizetype j = i + 1;
        if (j < compact.size() && (compact.at(j) == u'+' || compact.at(j) == u'-')) ++j;
        qsizetype expDigits = 0;
        while (j < compact.size() && compact.at(j).isDigit()) ++j, ++expDigits;
        if (expDigits > 0) end = j;
    }
    QString number = compact.left(end);
    number.replace(u'd', u'e').replace(u'D', u'e');
    const double v = number.toDouble();
    return std::isfinite(v) ? v : 0;
}

qint64 RoundToInteger(double value, qint64 min, qint64 max) {
    if (!std::isfinite(value)) throw RunError::Overflow();
    const double rounded = std::nearbyint(value);  // the default rounding mode is half to even
    if (rounded < static_cast<double>(min) || rounded > static_cast<double>(max))
        throw RunError::Overflow();
    return static_cast<qint64>(rounded);
}

double CDbl(const QVariant& value) {
    if (!value.isValid()) return 0;
    if (value.isNull() && value.typeId() == QMetaType::Nullptr) throw RunError::InvalidUseOfNull();
    switch (value.typeId()) {
        case QMetaType::Bool:
            return value.toBool() ? -1 : 0;
        case QMetaType::QString: {
            const auto v = ParseNumberText(value.toString());
            if (!v) throw RunError::TypeMismatch();
            return *v;
        }
        case QMetaType::QDateTime: {
            // Basic's date serial: days since 30 December 1899.
            const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
            return static_cast<double>(base.msecsTo(value.toDateTime())) / 86400000.0;
        }
        default:
            break;
    }
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok) throw RunError::TypeMismatch();
    return v;
}

qint16 CInt(const QVariant& value) {
    return static_cast<qint16>(RoundToInteger(CDbl(value), -32768, 32767));
}

qint32 CLng(const QVariant& value) {
    return static_cast<qint32>(RoundToInteger(CDbl(value), -2147483647LL - 1, 2147483647LL));
}

bool CBool(const QVariant& value) {
    if (value.typeId() == QMetaType::Bool) return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString t = value.toString().trimmed();
        if (t.compare(u"True", Qt::CaseInsensitive) == 0) return true;
        if (t.compare(u"False", Qt::CaseInsensitive) == 0) return false;
    }
    return CDbl(value) != 0;
}

QString CStr(const QVariant& value) {
    if (!value.isValid()) return {};
    if (value.isNull() && value.typeId() == QMetaType::Nullptr) throw RunError::InvalidUseOfNull();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (value.typeId() == QMetaType::Double) return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

QString QuoteFromBar(const QString& text) {
    QString out = text;
    out.replace(u'|', u'"');
    return out;
}

QString QuoteFromMarker(const QString& text) {
    QString out = text;
    out.replace(QChar(0x00FE), u'"');
    return out;
}

}  // namespace storyloom
