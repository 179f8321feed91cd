// A frame's dialogue file, read by the reader and then by a game that opens the frame and picks
// every question it shows.
#include "FuzzProject.h"
#include "platform/seqfile/SeqFile.h"
#include "project/DialogueFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace storyloom;
    try {
        const auto questions = ReadDialogue(fuzz::Bytes(data, size));
        const auto again = ReadDialogue(WriteDialogue(questions));
        if (again.size() != questions.size()) __builtin_trap();
    } catch (const SeqError&) {
    }
    return 0;
}
