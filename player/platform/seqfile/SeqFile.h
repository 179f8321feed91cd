#pragma once
// The sequential text-record format of the game's data files (what Basic's "Write #" writes and
// "Input #" reads): fields separated by commas or line ends, strings in double quotes (no
// escapes: a string ends at its closing quote), unquoted fields up to the next comma or line
// end, numbers with a point, #TRUE# / #FALSE#, #NULL#, dates in #...#, empty fields; CR LF or
// lone LF line ends; leading blanks skipped.
//
// Reading past the end or a field of the wrong type throws SeqError; callers catch it at their
// own boundary and report the failure the way their operation does.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>
#include <stdexcept>

namespace storyloom {

class SeqError : public std::runtime_error {
  public:
    enum class Kind { PastEnd, TypeMismatch, Overflow };
    SeqError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }
    // The description Basic gives for this failure ("Input past end of file", "Type mismatch",
    // "Overflow"), for the error boxes that append it.
    QString Description() const;

  private:
    Kind kind_;
};

class SeqReader {
  public:
    explicit SeqReader(QByteArray bytes);  // bytes in code page 1252

    // True when nothing but the end of the data remains (Basic's EOF()). Blank lines and blanks
    // after the last record count as the end; a record that ends with a comma still has one
    // (empty) field to read. Reading a field or a line when AtEnd() is true throws PastEnd.
    bool AtEnd() const;

    // One field into a string variable: quoted text as is, anything else as its text.
    QString ReadString();
    // One field into a numeric variable. An empty field reads as 0; #TRUE# as -1, #FALSE# as 0;
    // text that is not a number throws TypeMismatch.
    double ReadDouble();
    qint16 ReadInteger();  // rounded as Basic does (banker's), Overflow outside -32768..32767
    qint32 ReadLong();
    // One field into a Boolean variable: #TRUE#/#FALSE#, or a number (non-zero is True).
    bool ReadBoolean();
    // One field into a Variant: QString for quoted text, double for numbers, bool for flags,
    // QDateTime for dates, a null QVariant for #NULL# (QVariant::fromValue(nullptr): isNull()
    // but valid), an invalid QVariant for an empty field. Unquoted text that is not a number
    // reads as a QString.
    QVariant ReadVariant();
    // One whole line without its line end (Basic's "Line Input #").
    QString ReadLine();

    // The next field as ReadString would give it, without moving on; nullopt at the end.
    std::optional<QString> PeekString();

    // Remember a position and return to it (the peek at a record separator).
    qsizetype Tell() const { return pos_; }
    void Seek(qsizetype pos);  // clamped to the data

    const QByteArray& Bytes() const { return bytes_; }

  private:
    struct RawField {
        QByteArray text;
        bool quoted = false;
        bool hashed = false;  // #...#
        bool empty = false;
    };
    RawField ReadRawField();
    void SkipLineEnd();
    void SkipPastSeparator();

    QByteArray bytes_;
    qsizetype pos_ = 0;
};

// Produces what SeqReader reads back, in the form files written on Windows have: fields
// separated by commas, records ended with CR LF.
class SeqWriter {
  public:
    // Quoted. The format cannot hold a double quote inside a string: it is stored as a single
    // quote so that the record stays readable.
    void WriteString(const QString& s);
    void WriteNumber(double v);  // plain decimal with a point, no exponent where Basic has none
    void WriteInteger(qint64 v);
    void WriteBoolean(bool v);           // #TRUE# / #FALSE#
    void WriteNull();                    // #NULL#
    void WriteDate(const QDateTime& d);  // #yyyy-mm-dd hh:mm:ss#
    void WriteVariant(const QVariant& v);
    void WriteEmpty();                    // an empty field
    void EndRecord();                     // CR LF
    void WriteLine(const QString& line);  // raw line plus CR LF ("Print #")

    const QByteArray& Bytes() const { return bytes_; }

    // The text WriteNumber writes: integers plainly, others with up to 15 significant digits
    // and an "E" exponent only for very large or small values.
    static QByteArray NumberText(double v);

  private:
    void Separator();
    QByteArray bytes_;
    bool fieldInRecord_ = false;
};

}  // namespace storyloom
