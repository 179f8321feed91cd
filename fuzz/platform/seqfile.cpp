// Feeds arbitrary bytes to the sequential record reader and reads fields of every kind, the
// kind and the odd Tell/Seek chosen by the input itself. Any failure must be a SeqError.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/seqfile/SeqFile.h"

using storyloom::SeqError;
using storyloom::SeqReader;
using storyloom::SeqWriter;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first bytes steer the reads; the whole input is also the file.
    const size_t steer = std::min<size_t>(size, 16);
    SeqReader r(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    size_t step = 0;
    qsizetype mark = 0;
    SeqWriter echo;
    int seeksLeft = 16;  // going back is allowed, but not forever
    for (;;) {
        const bool atEnd = r.AtEnd();
        const qsizetype before = r.Tell();
        uint8_t choice = data[step++ % steer];
        // Peeks, seeks and record ends alone would never finish: every 17th step reads.
        if (step % 17 == 0 && choice % 10 >= 7) choice = 0;
        try {
            switch (choice % 10) {
                case 0:
                    echo.WriteString(r.ReadString());
                    break;
                case 1:
                    echo.WriteNumber(r.ReadDouble());
                    break;
                case 2:
                    echo.WriteInteger(r.ReadInteger());
                    break;
                case 3:
                    echo.WriteInteger(r.ReadLong());
                    break;
                case 4:
                    echo.WriteBoolean(r.ReadBoolean());
                    break;
                case 5:
                    echo.WriteVariant(r.ReadVariant());
                    break;
                case 6:
                    echo.WriteLine(r.ReadLine());
                    break;
                case 7:
                    (void)r.PeekString();
                    if (r.Tell() != before) std::abort();  // a peek never moves
                    mark = r.Tell();
                    break;
                case 8:
                    if (seeksLeft-- > 0) r.Seek(mark);
                    break;
                case 9:
                    echo.EndRecord();
                    break;
            }
        } catch (const SeqError& e) {
            // Past the end is reported exactly when the reader says it is at the end.
            if (e.kind() == SeqError::Kind::PastEnd && !atEnd) std::abort();
            (void)e.Description();
        }
        // Every read moves on unless the data had ended (a failed conversion still consumes
        // its field), so reading always comes to an end.
        if (!atEnd && choice % 10 <= 6 && r.Tell() <= before) std::abort();
        if (atEnd && (choice % 10 != 8 || seeksLeft <= 0)) break;
    }
    // What the writer produced reads back field by field until its end. (Raw lines copied
    // with WriteLine may hold numbers too large for a Double: Overflow is the one failure.)
    SeqReader back(echo.Bytes());
    while (!back.AtEnd()) {
        const qsizetype before = back.Tell();
        try {
            (void)back.ReadVariant();
        } catch (const SeqError& e) {
            if (e.kind() != SeqError::Kind::Overflow) std::abort();
        }
        if (back.Tell() <= before) std::abort();
    }
    return 0;
}
