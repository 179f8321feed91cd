#include "project/ProjectInformation.h"

#include <exception>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "platform/ini/IniFile.h"

namespace storyloom {

namespace {

// Reads the fields in file order. Returns at the first point where the file may end and does.
void ReadGeneralFields(SeqReader& in, ProjectInfo& info) {
    auto skip = [&in](int count) {
        for (int i = 0; i < count; ++i) in.ReadString();
    };
    info.ProjectTitle = in.ReadString();
    skip(1);
    info.GameName = in.ReadString();
    in.ReadInteger();  // written by the authoring tool for itself
    info.InitialFrameName = in.ReadString();
    info.GameVersion = in.ReadString();
    info.ProjectWidth = in.ReadInteger();
    info.ProjectHeight = in.ReadInteger();
    info.AuthorName = in.ReadString();
    info.AuthorEmail = in.ReadString();
    info.HomepageAddress = in.ReadString();
    if (in.AtEnd()) return;
    info.OfferResolutionChange = in.ReadInteger();
    if (in.AtEnd()) return;
    skip(3);
    info.SchemeName = in.ReadString();
    if (in.AtEnd()) return;
    skip(3);
    info.DisableLoadGame = in.ReadBoolean();
    info.DisableSaveGame = in.ReadBoolean();
    skip(1);
    if (in.AtEnd()) return;
    in.ReadString();  // written by the authoring tool for itself
    skip(1);
    info.InventoryOffsetX = in.ReadLong();
    info.InventoryOffsetY = in.ReadLong();
    info.InventoryPopupMode = in.ReadBoolean();
    info.InventorySlideOpen = in.ReadBoolean();
    info.InventorySlideClose = in.ReadBoolean();
    info.HideInventoryWhenEmpty = in.ReadBoolean();
    info.ShowInventoryOnPickUp = in.ReadBoolean();
    info.CustomInventoryPictures = in.ReadBoolean();
    info.InventoryButtonPicture = in.ReadString();
    info.InventoryBackgroundPicture = in.ReadString();
    info.ResolutionChoice = in.ReadInteger();
    skip(2);
    info.DefaultCursorFile = in.ReadString();
    if (in.AtEnd()) return;
    skip(2);
    info.RunInWindow = in.ReadBoolean();
    if (in.AtEnd()) return;
    skip(1);
    info.SkipWelcomeScreen = in.ReadBoolean();
    info.HideLogo = in.ReadBoolean();
    if (in.AtEnd()) return;
    skip(1);
    info.NoTransitionsOption = in.ReadBoolean();
    if (in.AtEnd()) return;
    info.NoEffectsOption = in.ReadBoolean();
    if (in.AtEnd()) return;
    info.NeverShowMenus = in.ReadBoolean();
    if (in.AtEnd()) return;
    skip(3);
    info.RunStartupScript = in.ReadBoolean();
    info.StartupScript = QuoteFromBar(in.ReadString());
    info.RunFrameScript = in.ReadBoolean();
    info.FrameScript = QuoteFromBar(in.ReadString());
}

}  // namespace

void LoadProjectInformation(Program& program) {
    program.info = ProjectInfo{};
    try {
        SeqReader in = OpenSeqFile(program.platform.files,
                                   program.paths.ConfigPath + QStringLiteral("General"));
        ReadGeneralFields(in, program.info);
    } catch (const std::exception&) {
        program.ShowErrorBox(QStringLiteral(" Error loading project information."));
    }
}

QString ReadMoreValue(const Program& program, const QString& key) {
    return ReadIniValue(program.platform.files, program.paths.ConfigPath + QStringLiteral("More"),
                        QStringLiteral("General"), key);
}

double ScriptTimeOutSeconds(const Program& program) {
    return Val(ReadMoreValue(program, QStringLiteral("ScriptTimeOut")));
}

bool AllowCreateObject(const Program& program) {
    return ReadMoreValue(program, QStringLiteral("AllowCreateObject")) == QStringLiteral("1");
}

bool ProceduresScrambled(const Program& program) {
    return Val(ReadMoreValue(program, QStringLiteral("ProcEncr"))) == 1;
}

}  // namespace storyloom
