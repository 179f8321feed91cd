#include "project/Messages.h"

#include <exception>

#include "core/DataFile.h"
#include "core/Program.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"

namespace storyloom {

namespace {

struct DefaultText {
    const char16_t* neutral;
    const char16_t* game;
};

// Indexes 1 to 51, in order. The texts are the player's own and stay exactly as they are.
constexpr DefaultText kDefaults[] = {
    {u"Start", u"Start New Game"},
    {u"  Load...", u"Load Game..."},
    {u"Exit", u"Exit"},
    {u"Created By:", u"Created By:"},
    {u"E-mail:", u"E-mail:"},
    {u"Web site:", u"Web site:"},
    {u"Change display resolution to", u"Change display resolution to"},
    {u"  Save...", u"Save Game..."},
    {u"Please select something.", u"Please select something."},
    {u"Do you really want to quit?", u"Do you really want to quit?"},
    {u"Cancel", u"Cancel"},
    {u"Exit", u"Exit"},
    {u"Do you want to open the default mail client to send an e-mail to:",
     u"Do you want to open the default mail client to send an e-mail to:"},
    {u"Do you want to visit", u"Do you want to visit"},
    {u"(You must be connected to the Internet)", u"(You must be connected to the Internet)"},
    {u"", u""},
    {u"Load", u"Load a previously saved game"},
    {u"Select the file you wish to load and click 'LOAD'",
     u"Select the game you wish to load and click 'LOAD'"},
    {u"LOAD", u"LOAD"},
    {u"", u""},
    {u"Save", u"Save the current game"},
    {u"Remove Selected", u"Remove Selected"},
    {u"Enter the name of the file you want to save",
     u"Enter the name of the game you want to save"},
    {u"already exists. Do you want to replace it?", u"already exists. Do you want to replace it?"},
    {u"SAVE", u"SAVE"},
    {u"Remove Saved File", u"Remove Saved Game"},
    {u"Do you really want to remove", u"Do you really want to remove"},
    {u"", u""},
    {u"Error", u"Error"},
    {u"An error has occurred. The program may not work properly. Press 'Esc' and the click 'Exit' "
     u"to quit.",
     u"An error has occurred. The game may not work properly. Press 'Esc' and the click 'Exit' to "
     u"quit."},
    {u"Error description:", u"Error description:"},
    {u"Do you want to continue anyway? (not recommended)",
     u"Do you want to continue anyway? (not recommended)"},
    {u"The following file is missing:", u"The following file is missing:"},
    {u"This file may have been moved or removed from its original location. The program may not "
     u"work properly until the missing file is placed back in its original location. Press 'Esc' "
     u"and the click 'Exit' to quit.",
     u"This file may have been moved or removed from its original location. The game may not work "
     u"properly until the missing file is placed back in its original location. Press 'Esc' and "
     u"the click 'Exit' to quit."},
    {u"Please do not use any of the following characters:",
     u"Please do not use any of the following characters:"},
    {u"Please insert the CD in the CD-Rom drive and then click 'OK'.",
     u"Please insert the CD in the CD-ROM drive and then click 'OK'."},
    {u"CD-Rom drive:", u"CD-ROM Drive:"},
    {u"The selected device is unavailable. Make sure that the CD-Rom drive letter is right and "
     u"that the disk is properly inserted, and then try again.",
     u"The selected device is unavailable. Make sure that the CD-ROM drive letter is right and "
     u"that the disk is properly inserted, and then try again."},
    {u"", u""},
    {u"Warning! Your system is set to use large fonts. This program will NOT work properly if you "
     u"don't change this setting. Do you want to continue anyway? (not recommended)",
     u"Warning! Your system is set to use large fonts. This program will NOT work properly if you "
     u"don't change this setting. Do you want to continue anyway? (not recommended)"},
    {u"To fix the problem, go to the 'Control Panel' (from the 'Settings' menu of the Start Menu), "
     u"double-click 'Display', click the 'Settings' tab, click 'Advanced...', select 'Small Fonts' "
     u"under 'Font size', click 'OK', and then restart your computer.",
     u"To fix the problem, go to the 'Control Panel' (from the 'Settings' menu of the Start Menu), "
     u"double-click 'Display', click the 'Settings' tab, click 'Advanced...', select 'Small Fonts' "
     u"under 'Font size', click 'OK', and then restart your computer."},
    {u"", u""},
    {u"The following folder is missing:", u"The following folder is missing:"},
    {u"Make sure that the disk is properly inserted, and then try again.",
     u"Make sure that the disk is properly inserted, and then try again."},
    {u"File Not Found:", u"File Not Found:"},
    {u"The file may be missing, or you may have inserted the wrong CD.",
     u"The file may be missing, or you may have inserted the wrong CD."},
    {u"Please insert the CD#", u"Please insert the CD#"},
    {u"in the CD-Rom drive and click OK to continue...",
     u"in the CD-Rom drive and click OK to continue..."},
    {u"Options", u"Options"},
    {u"Disable Transitions", u"Disable Transitions"},
    {u"Disable Real-Time Effects", u"Disable Real-Time Effects"},
};
static_assert(sizeof(kDefaults) / sizeof(kDefaults[0]) == 51);

}  // namespace

void SetDefaultMessages(MessageTable& messages, int mode) {
    for (int i = 1; i <= 51; ++i) {
        const DefaultText& t = kDefaults[i - 1];
        messages.Set(i, QString::fromUtf16(mode == 0 ? t.neutral : t.game));
    }
}

void LoadMessages(Program& program) {
    const QString path = program.paths.ConfigPath + QStringLiteral("Texts");
    FileSystem& fs = program.platform.files;
    if (fs.FileExists(path).isEmpty()) {
        SetDefaultMessages(program.Messages, 0);
        return;
    }
    try {
        SeqReader reader = OpenSeqFile(fs, path);
        const qint16 mode = reader.ReadInteger();
        if (mode == 0) {
            SetDefaultMessages(program.Messages, 0);
        } else if (mode == 1) {
            SetDefaultMessages(program.Messages, 1);
        } else if (mode == 2) {
            SetDefaultMessages(program.Messages, 0);
            for (int i = 0; i < 5; ++i) reader.ReadString();
            const qint16 count = reader.ReadInteger();
            for (int i = 1; i <= count; ++i) {
                const QString text = reader.ReadString();
                program.Messages.Set(i, text);
            }
        }
        // Any other mode leaves the table as it is.
    } catch (const std::exception&) {
        program.platform.dialogs.Show(BoxIcon::Critical, QStringLiteral("Error"),
                                      QStringLiteral("Unable to load text."));
        SetDefaultMessages(program.Messages, 0);
    }
}

}  // namespace storyloom
