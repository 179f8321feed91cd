#include "platform/seqfile/SeqFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/text/Codepage1252.h"

namespace storyloom {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

[[noreturn]] void Throw(SeqError::Kind kind) {
    switch (kind) {
        case SeqError::Kind::PastEnd:
            throw SeqError(kind, "Input past end of file");
        case SeqError::Kind::TypeMismatch:
            throw SeqError(kind, "Type mismatch");
        case SeqError::Kind::Overflow:
            break;
    }
    throw SeqError(SeqError::Kind::Overflow, "Overflow");
}

QByteArray Trimmed(const QByteArray& text) {
    qsizetype a = 0;
    qsizetype b = text.size();
    while (a < b && IsBlank(text[a])) ++a;
    while (b > a && IsBlank(text[b - 1])) --b;
    return text.mid(a, b - a);
}

// Basic's &H / &O literals: up to 4 digits are a 16-bit value, up to 8 a 32-bit one.
bool ParseRadix(const QByteArray& digits, int base, double* out) {
    if (digits.isEmpty() || digits.size() > (base == 16 ? 8 : 11)) return false;
    bool ok = false;
    const qulonglong v = digits.toULongLong(&ok, base);
    if (!ok || v > 0xFFFFFFFFull) return false;
    if (v <= 0xFFFF && (base == 16 ? digits.size() <= 4 : v <= 0177777)) {
        *out = static_cast<qint16>(static_cast<quint16>(v));
    } else {
        *out = static_cast<qint32>(static_cast<quint32>(v));
    }
    return true;
}

// A number as Basic's input conversion takes it: blanks around, sign, digits with one point,
// an exponent with E or D, or an &H / &O literal. Returns false when the text is not a number;
// throws Overflow when it is one but too large for a Double.
bool ParseNumber(const QByteArray& raw, double* out) {
    const QByteArray text = Trimmed(raw);
    if (text.isEmpty()) {
        *out = 0;
        return true;
    }
    if (text.size() > 2 && text[0] == '&') {
        const char r = static_cast<char>(text[1] | 0x20);
        if (r == 'h') return ParseRadix(text.mid(2), 16, out);
        if (r == 'o') return ParseRadix(text.mid(2), 8, out);
        return false;
    }
    qsizetype i = 0;
    const qsizetype n = text.size();
    QByteArray normal;
    normal.reserve(n);
    if (text[i] == '+' || text[i] == '-') normal.append(text[i++]);
    auto isDigit = [&](qsizetype k) {
        return k < n && std::isdigit(static_cast<unsigned char>(text[k]));
    };
    // Decimal exponent of the first significant digit, to tell overflow from underflow.
    int mantissaDigits = 0;
    qint64 magnitude = 0;
    bool significant = false;
    while (isDigit(i)) {
        if (significant || text[i] != '0') {
            if (significant) ++magnitude;
            significant = true;
        }
        normal.append(text[i++]);
        ++mantissaDigits;
    }
    if (i < n && text[i] == '.') {
        normal.append(text[i++]);
        while (isDigit(i)) {
            if (!significant) {
                --magnitude;
                if (text[i] != '0') significant = true;
            }
            normal.append(text[i++]);
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        normal.append('e');
        ++i;
        qint64 exponent = 0;
        bool negative = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            negative = text[i] == '-';
            normal.append(text[i++]);
        }
        int expDigits = 0;
        while (isDigit(i)) {
            exponent = std::min<qint64>(exponent * 10 + (text[i] - '0'), 1000000);
            normal.append(text[i++]);
            ++expDigits;
        }
        if (expDigits == 0) return false;
        magnitude += negative ? -exponent : exponent;
    }
    if (i != n) return false;
    bool ok = false;
    const double v = normal.toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        // Out of range: too large is an overflow, too small is zero for Basic.
        if (significant && magnitude > 0) Throw(SeqError::Kind::Overflow);
        *out = 0;
        return true;
    }
    *out = v;
    return true;
}

std::optional<QDateTime> ParseDate(const QByteArray& inner) {
    const QString text = QString::fromLatin1(Trimmed(inner));
    const QDateTime full = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (full.isValid()) return full;
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (date.isValid()) return QDateTime(date, QTime(0, 0));
    const QTime time = QTime::fromString(text, QStringLiteral("HH:mm:ss"));
    if (time.isValid()) return QDateTime(QDate(1899, 12, 30), time);
    return std::nullopt;
}

// The Basic date serial: days since 30 December 1899, the time of day as the fraction.
double DateSerial(const QDateTime& d) {
    const qint64 days = QDate(1899, 12, 30).daysTo(d.date());
    return static_cast<double>(days) + d.time().msecsSinceStartOfDay() / 86400000.0;
}

enum class HashKind { True, False, Null, Date, Other };

HashKind Classify(const QByteArray& inner, std::optional<QDateTime>* date) {
    const QByteArray t = Trimmed(inner).toUpper();
    if (t == "TRUE") return HashKind::True;
    if (t == "FALSE") return HashKind::False;
    if (t == "NULL") return HashKind::Null;
    *date = ParseDate(inner);
    return date->has_value() ? HashKind::Date : HashKind::Other;
}

}  // namespace

QString SeqError::Description() const {
    return QString::fromLatin1(what());
}

SeqReader::SeqReader(QByteArray bytes) : bytes_(std::move(bytes)) {}

bool SeqReader::AtEnd() const {
    const qsizetype n = bytes_.size();
    qsizetype p = std::clamp<qsizetype>(pos_, 0, n);
    while (p < n && (IsBlank(bytes_[p]) || IsLineEnd(bytes_[p]))) ++p;
    if (p < n) return false;
    // Only blanks and line ends remain. A field that ended at a comma is followed by one more
    // (empty) field when a line end comes before the end of the data ("1," CR LF), so that is
    // not the end yet; trailing blank lines after a complete record are.
    qsizetype q = std::clamp<qsizetype>(pos_, 0, n);
    if (q > 0 && bytes_[q - 1] == ',') {
        while (q < n && IsBlank(bytes_[q])) ++q;
        if (q < n && IsLineEnd(bytes_[q])) return false;
    }
    return true;
}

void SeqReader::Seek(qsizetype pos) {
    pos_ = std::clamp<qsizetype>(pos, 0, bytes_.size());
}

void SeqReader::SkipLineEnd() {
    if (pos_ < bytes_.size() && bytes_[pos_] == '\r') {
        ++pos_;
        if (pos_ < bytes_.size() && bytes_[pos_] == '\n') ++pos_;
    } else if (pos_ < bytes_.size() && bytes_[pos_] == '\n') {
        ++pos_;
    }
}

void SeqReader::SkipPastSeparator() {
    const qsizetype n = bytes_.size();
    while (pos_ < n && bytes_[pos_] != ',' && !IsLineEnd(bytes_[pos_])) ++pos_;
    if (pos_ < n && bytes_[pos_] == ',') {
        ++pos_;
    } else {
        SkipLineEnd();
    }
}

SeqReader::RawField SeqReader::ReadRawField() {
    if (AtEnd()) Throw(SeqError::Kind::PastEnd);
    pos_ = std::clamp<qsizetype>(pos_, 0, bytes_.size());
    const qsizetype n = bytes_.size();
    RawField field;
    while (pos_ < n && IsBlank(bytes_[pos_])) ++pos_;
    if (pos_ >= n || IsLineEnd(bytes_[pos_])) {
        field.empty = true;
        SkipLineEnd();
        return field;
    }
    const char c = bytes_[pos_];
    if (c == ',') {
        field.empty = true;
        ++pos_;
        return field;
    }
    if (c == '"') {
        // No escapes: the string ends at the next quote, line ends included. A quote that is
        // never closed takes the rest of the data.
        field.quoted = true;
        const qsizetype close = bytes_.indexOf('"', pos_ + 1);
        if (close < 0) {
            field.text = bytes_.mid(pos_ + 1);
            pos_ = n;
            return field;
        }
        field.text = bytes_.mid(pos_ + 1, close - pos_ - 1);
        pos_ = close + 1;
        SkipPastSeparator();
        return field;
    }
    if (c == '#') {
        qsizetype j = pos_ + 1;
        while (j < n && bytes_[j] != '#' && bytes_[j] != ',' && !IsLineEnd(bytes_[j])) ++j;
        if (j < n && bytes_[j] == '#') {
            field.hashed = true;
            field.text = bytes_.mid(pos_ + 1, j - pos_ - 1);
            pos_ = j + 1;
            SkipPastSeparator();
            return field;
        }
    }
    const qsizetype start = pos_;
    while (pos_ < n && bytes_[pos_] != ',' && !IsLineEnd(bytes_[pos_])) ++pos_;
    field.text = Trimmed(bytes_.mid(start, pos_ - start));
    if (pos_ < n && bytes_[pos_] == ',') {
        ++pos_;
    } else {
        SkipLineEnd();
    }
    return field;
}

QString SeqReader::ReadString() {
    const RawField f = ReadRawField();
    if (f.hashed) {
        std::optional<QDateTime> date;
        switch (Classify(f.text, &date)) {
            case HashKind::True:
                return QStringLiteral("True");
            case HashKind::False:
                return QStringLiteral("False");
            case HashKind::Null:
                return QString();
            case HashKind::Date:
            case HashKind::Other:
                break;
        }
    }
    return FromCp1252(f.text);
}

double SeqReader::ReadDouble() {
    const RawField f = ReadRawField();
    if (f.empty) return 0;
    if (f.hashed) {
        std::optional<QDateTime> date;
        switch (Classify(f.text, &date)) {
            case HashKind::True:
                return -1;
            case HashKind::False:
                return 0;
            case HashKind::Date:
                return DateSerial(*date);
            case HashKind::Null:
            case HashKind::Other:
                Throw(SeqError::Kind::TypeMismatch);
        }
    }
    double v = 0;
    if (!ParseNumber(f.text, &v)) Throw(SeqError::Kind::TypeMismatch);
    return v;
}

qint16 SeqReader::ReadInteger() {
    // nearbyint rounds half to even under the default rounding mode, as Basic's CInt does.
    const double v = std::nearbyint(ReadDouble());
    if (v < -32768.0 || v > 32767.0) Throw(SeqError::Kind::Overflow);
    return static_cast<qint16>(v);
}

qint32 SeqReader::ReadLong() {
    const double v = std::nearbyint(ReadDouble());
    if (v < -2147483648.0 || v > 2147483647.0) Throw(SeqError::Kind::Overflow);
    return static_cast<qint32>(v);
}

bool SeqReader::ReadBoolean() {
    const RawField f = ReadRawField();
    if (f.empty) return false;
    if (f.hashed) {
        std::optional<QDateTime> date;
        switch (Classify(f.text, &date)) {
            case HashKind::True:
                return true;
            case HashKind::False:
                return false;
            case HashKind::Date:
                return DateSerial(*date) != 0;
            case HashKind::Null:
            case HashKind::Other:
                Throw(SeqError::Kind::TypeMismatch);
        }
    }
    const QByteArray t = Trimmed(f.text).toUpper();
    if (t == "TRUE") return true;
    if (t == "FALSE") return false;
    double v = 0;
    if (!ParseNumber(f.text, &v)) Throw(SeqError::Kind::TypeMismatch);
    return v != 0;
}

QVariant SeqReader::ReadVariant() {
    const RawField f = ReadRawField();
    if (f.empty) return QVariant();
    if (f.quoted) return FromCp1252(f.text);
    if (f.hashed) {
        std::optional<QDateTime> date;
        switch (Classify(f.text, &date)) {
            case HashKind::True:
                return true;
            case HashKind::False:
                return false;
            case HashKind::Null:
                return QVariant::fromValue(nullptr);
            case HashKind::Date:
                return *date;
            case HashKind::Other:
                return FromCp1252(f.text);
        }
    }
    double v = 0;
    if (ParseNumber(f.text, &v)) return v;
    return FromCp1252(f.text);
}

QString SeqReader::ReadLine() {
    if (AtEnd()) Throw(SeqError::Kind::PastEnd);
    const qsizetype n = bytes_.size();
    const qsizetype start = pos_;
    while (pos_ < n && !IsLineEnd(bytes_[pos_])) ++pos_;
    const QString line = FromCp1252(bytes_.constData() + start, pos_ - start);
    SkipLineEnd();
    return line;
}

std::optional<QString> SeqReader::PeekString() {
    if (AtEnd()) return std::nullopt;
    const qsizetype here = pos_;
    QString s = ReadString();
    pos_ = here;
    return s;
}

// ---------------------------------------------------------------------------------------------

void SeqWriter::Separator() {
    if (fieldInRecord_) bytes_.append(',');
    fieldInRecord_ = true;
}

void SeqWriter::WriteString(const QString& s) {
    Separator();
    QByteArray text = ToCp1252(s);
    // The format has no way to store a double quote inside a string: it would end the field
    // early and shift every field after it. A single quote keeps the record readable.
    text.replace('"', '\'');
    bytes_.append('"');
    bytes_.append(text);
    bytes_.append('"');
}

QByteArray SeqWriter::NumberText(double v) {
    if (!std::isfinite(v)) return "0";
    if (v == std::trunc(v) && std::fabs(v) < 1e15) {
        return QByteArray::number(static_cast<qint64>(v));
    }
    QByteArray text = QByteArray::number(v, 'g', 15);
    text.replace('e', 'E');
    return text;
}

void SeqWriter::WriteNumber(double v) {
    Separator();
    bytes_.append(NumberText(v));
}

void SeqWriter::WriteInteger(qint64 v) {
    Separator();
    bytes_.append(QByteArray::number(v));
}

void SeqWriter::WriteBoolean(bool v) {
    Separator();
    bytes_.append(v ? "#TRUE#" : "#FALSE#");
}

void SeqWriter::WriteNull() {
    Separator();
    bytes_.append("#NULL#");
}

void SeqWriter::WriteDate(const QDateTime& d) {
    Separator();
    const QString text = d.time().msecsSinceStartOfDay() == 0
                             ? d.date().toString(QStringLiteral("yyyy-MM-dd"))
                             : d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    bytes_.append('#');
    bytes_.append(text.toLatin1());
    bytes_.append('#');
}

void SeqWriter::WriteVariant(const QVariant& v) {
    if (!v.isValid()) {
        WriteEmpty();
        return;
    }
    switch (v.typeId()) {
        case QMetaType::Nullptr:
            WriteNull();
            return;
        case QMetaType::Bool:
            WriteBoolean(v.toBool());
            return;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            WriteInteger(v.toLongLong());
            return;
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
            WriteNumber(v.toDouble());
            return;
        case QMetaType::QDateTime:
            WriteDate(v.toDateTime());
            return;
        case QMetaType::QDate:
            WriteDate(QDateTime(v.toDate(), QTime(0, 0)));
            return;
        default:
            WriteString(v.toString());
            return;
    }
}

void SeqWriter::WriteEmpty() {
    Separator();
}

void SeqWriter::EndRecord() {
    bytes_.append("\r\n");
    fieldInRecord_ = false;
}

void SeqWriter::WriteLine(const QString& line) {
    if (fieldInRecord_) EndRecord();
    bytes_.append(ToCp1252(line));
    bytes_.append("\r\n");
}

}  // namespace storyloom
