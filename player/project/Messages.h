#pragma once
// Filling the interface message table: the built-in texts in their two wordings and the
// project's "Texts" file that replaces them for another language.
#include "core/MessageTable.h"

namespace storyloom {

class Program;

// Mode 0 stores the neutral ("program") wording, any other mode the game wording, into indexes
// 1 to 51. Other indexes are not touched.
void SetDefaultMessages(MessageTable& messages, int mode);
// Applies ConfigPath & "Texts": mode 0 and 1 select a wording, mode 2 gives the texts, any other
// mode leaves the table as it is. A damaged file shows "Unable to load text." and restores the
// neutral wording.
void LoadMessages(Program& program);

}  // namespace storyloom
