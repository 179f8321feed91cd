// A saved game: the reader, then its bytes written back and read again (a file that reads must
// come back with every part of the same length; a double quote inside a name is the one thing
// the format cannot keep).
#include <cstdlib>

#include "FuzzProject.h"
#include "platform/seqfile/SeqFile.h"
#include "project/SavedGameFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace storyloom;
    SavedGameData read;
    try {
        read = ReadSavedGame(fuzz::Bytes(data, size));
    } catch (const SeqError&) {
        return 0;
    }
    // Every part present from here on: the writer always writes them all.
    read.hasHistory = read.hasTrailer = read.hasVariants = true;
    const SavedGameData again = ReadSavedGame(WriteSavedGame(read));
    if (again.variables.size() != read.variables.size() ||
        again.hiddenHotspots.size() != read.hiddenHotspots.size() ||
        again.items.size() != read.items.size() || again.history.size() != read.history.size())
        std::abort();
    return 0;
}
