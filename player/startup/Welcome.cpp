#include "startup/Welcome.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "game/Game.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/display/Display.h"
#include "platform/files/FileSystem.h"
#include "platform/forms/WindowHost.h"
#include "platform/loop/EventLoop.h"
#include "platform/shell/Shell.h"
#include "startup/ProjectStartup.h"
#include "startup/Resolutions.h"

namespace storyloom {

namespace {

using forms::Rgb;

// The window's design: 4800 twips wide; the game's name at the top, the three buttons below
// it, the information lines from 3000 down, the logo strip along the right edge.
constexpr double kWindowWidth = 4800;
constexpr double kFirstLineTop = 3000;
constexpr double kLineStep = 255;
constexpr double kBottomMargin = 150;
constexpr double kCheckBoxOffset = 30;
constexpr double kLoadButtonTop = 1560;
constexpr std::array<double, 3> kButtonTops = {1080, 1560, 2040};
constexpr double kContentLeft = 120;
constexpr double kContentRight = 4440;  // the logo strip begins right of it
constexpr double kValueLeft = 1500;
constexpr double kLogoTop = -720;
constexpr double kLogoLeftNarrow = 4560;
constexpr double kLogoLeftWide = 4440;
// A press must move the pointer this far (pixels) before it drags the window.
constexpr int kDragThreshold = 3;

forms::FontSpec Font(const char* name, double size, bool bold, bool underline = false) {
    forms::FontSpec f;
    f.name = QString::fromLatin1(name);
    f.size = size;
    f.bold = bold;
    f.underline = underline;
    return f;
}

forms::Label* AddLabel(forms::Window& w, const char* name, double left, double top, double width,
                       double height, const forms::FontSpec& font) {
    auto* label = w.Add<forms::Label>(QString::fromLatin1(name));
    label->SetBackStyle(0);
    label->SetFont(font);
    label->Move(left, top, width, height);
    return label;
}

}  // namespace

// ---- Check box ---------------------------------------------------------------------------

WelcomeCheckBox::WelcomeCheckBox(forms::PictureBox* box) : box_(box) {
    box_->SetBorderStyle(1);
    box_->SetAppearance(1);
    box_->SetBackColor(Rgb(255, 255, 255));
    box_->SetAutoRedraw(true);
    box_->SetScaleMode(3);
    Draw();
}

void WelcomeCheckBox::SetValue(int value) {
    if (value < 0 || value > 2)
        throw forms::ControlError(forms::kErrInvalidPropertyValue,
                                  QStringLiteral("Invalid property value"));
    if (value == value_) return;
    value_ = value;
    Draw();
}

void WelcomeCheckBox::Draw() {
    box_->SetBackColor(value_ == 2 ? Rgb(192, 192, 192) : Rgb(255, 255, 255));
    box_->Cls();
    if (value_ == 0) return;
    const forms::OleColor ink = value_ == 2 ? Rgb(128, 128, 128) : Rgb(0, 0, 0);
    // The classic tick: three pixels thick, down from the left, then up to the right.
    for (int t = 0; t < 3; ++t) {
        box_->Line(2, 4 + t, 4, 6 + t, ink);
        box_->Line(4, 6 + t, 9, 1 + t, ink);
    }
}

// ---- Texts and pictures ------------------------------------------------------------------

QString ResolutionLineCaption(const QString& message7, int resolutionChoice) {
    QString suffix;
    switch (resolutionChoice) {
        case 0:
            suffix = QStringLiteral(" 640x480.");
            break;
        case 1:
            suffix = QStringLiteral(" 800x600.");
            break;
        case 2:
            suffix = QStringLiteral(" 1024x768.");
            break;
        default:
            break;
    }
    QString text = message7;
    if (text.size() >= 2 && text.endsWith(u'.')) text.chop(1);
    if (text.size() >= 8 && (text.right(7).toLower() == u"640x480" || text.right(7) == u"640*480"))
        text.chop(7);
    if (text.size() >= 10 &&
        (text.right(9).toLower() == u"640 x 480" || text.right(9) == u"640 * 480"))
        text.chop(9);
    while (text.endsWith(u' ')) text.chop(1);
    return text + suffix;
}

forms::Picture BuiltInLogo(int index) {
    const bool wide = index >= 2;
    const bool light = index % 2 == 1;
    // Only the part below the window's top edge shows (the strip starts 48 pixels above it).
    const int width = wide ? 24 : 16;
    const int height = 360;
    const int hidden = 48;
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient gradient(0, hidden, 0, height);
    if (light) {
        gradient.setColorAt(0, QColor(250, 244, 226));
        gradient.setColorAt(1, QColor(226, 210, 178));
    } else {
        gradient.setColorAt(0, QColor(24, 38, 92));
        gradient.setColorAt(1, QColor(88, 28, 96));
    }
    p.fillRect(image.rect(), gradient);
    const QColor ink = light ? QColor(40, 52, 110) : QColor(255, 255, 255);
    const QColor thread = light ? QColor(176, 120, 60) : QColor(230, 180, 90);
    // Two threads along the strip's edges: the loom.
    p.setPen(thread);
    p.drawLine(1, hidden, 1, height - 1);
    p.drawLine(width - 2, hidden, width - 2, height - 1);
    if (wide) {
        p.drawLine(3, hidden, 3, height - 1);
        p.drawLine(width - 4, hidden, width - 4, height - 1);
    }
    // The word mark, read from bottom to top, near the top of the visible part.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(wide ? 13 : 10);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, wide ? 1.0 : 0.5);
    p.setFont(font);
    p.setPen(ink);
    p.translate(width / 2.0, hidden + 8);
    p.rotate(90);
    const QRect box(0, -width / 2, 150, width);
    p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Storyloom"));
    p.end();
    return forms::Picture::FromImage(image);
}

// ---- The window --------------------------------------------------------------------------

frmWelcome::frmWelcome(Program& program, WelcomeServices services)
    : window(QStringLiteral("frmWelcome")), program_(program), services_(std::move(services)) {
    for (int i = 0; i < 4; ++i) imgLogos[static_cast<size_t>(i)] = BuiltInLogo(i);
    BuildWindow();
    WireEvents();
}

frmWelcome::~frmWelcome() {
    if (game_) services_.windows.Forget(game_->window);
    services_.windows.Forget(window);
}

void frmWelcome::BuildWindow() {
    window.SetCaption(QStringLiteral("Welcome"));
    window.SetScaleMode(1);
    window.SetBackColor(forms::kSysButtonFace);
    window.SetKeyPreview(true);
    window.Move(0, 0, kWindowWidth, kFirstLineTop + kBottomMargin);

    txtAdventureName = AddLabel(window, "txtAdventureName", kContentLeft, 240,
                                kContentRight - kContentLeft, 780, Font("Arial", 14, true));
    txtAdventureName->SetAlignment(2);
    txtAdventureName->SetWordWrap(true);
    txtAdventureName->SetForeColor(Rgb(0, 0, 0));

    // Picture buttons first, so that the text buttons lie above them.
    for (int i = 0; i < 4; ++i) {
        auto* img = window.Add<forms::Image>(QStringLiteral("Img"));
        img->SetVisible(false);
        img->Move(kContentLeft, i < 3 ? kButtonTops[static_cast<size_t>(i)] : 0);
        Img[static_cast<size_t>(i)] = img;
    }
    const std::array<QString, 3> captions = {QStringLiteral("Start"), QStringLiteral("  Load..."),
                                             QStringLiteral("Exit")};
    for (int i = 0; i < 3; ++i) {
        auto* button = AddLabel(window, "lblButton", kContentLeft, kButtonTops[size_t(i)], 1200,
                                360, Font("Arial", 12, true));
        button->SetCaption(captions[static_cast<size_t>(i)]);
        button->SetAutoSize(true);
        button->SetForeColor(Rgb(0, 0, 0));
        lblButton[static_cast<size_t>(i)] = button;
    }

    const forms::FontSpec lineFont = Font("Arial", 9, false);
    const forms::FontSpec linkFont = Font("Arial", 9, false, true);
    const double valueWidth = kContentRight - kValueLeft;
    txtVersion = AddLabel(window, "txtVersion", kContentLeft, kFirstLineTop,
                          kContentRight - kContentLeft, kLineStep, lineFont);
    txtVersion->SetAlignment(2);
    lblAuthor = AddLabel(window, "lblAuthor", kContentLeft, kFirstLineTop,
                         kValueLeft - kContentLeft - 90, kLineStep, lineFont);
    txtAuthor =
        AddLabel(window, "txtAuthor", kValueLeft, kFirstLineTop, valueWidth, kLineStep, lineFont);
    lblEmail = AddLabel(window, "lblEmail", kContentLeft, kFirstLineTop,
                        kValueLeft - kContentLeft - 90, kLineStep, lineFont);
    txtEmail =
        AddLabel(window, "txtEmail", kValueLeft, kFirstLineTop, valueWidth, kLineStep, linkFont);
    lblHomepage = AddLabel(window, "lblHomepage", kContentLeft, kFirstLineTop,
                           kValueLeft - kContentLeft - 90, kLineStep, lineFont);
    txtHomepage =
        AddLabel(window, "txtHomepage", kValueLeft, kFirstLineTop, valueWidth, kLineStep, linkFont);
    for (forms::Label* l :
         {txtVersion, lblAuthor, txtAuthor, lblEmail, txtEmail, lblHomepage, txtHomepage}) {
        l->SetForeColor(Rgb(0, 0, 0));
        l->SetVisible(false);
    }
    for (forms::Label* l : {lblAuthor, lblEmail, lblHomepage}) l->SetAlignment(1);

    auto* box = window.Add<forms::PictureBox>(QStringLiteral("chkResolution"));
    box->Move(kContentLeft, kFirstLineTop + kCheckBoxOffset, 195, 195);
    box->SetVisible(false);
    chkResolution = std::make_unique<WelcomeCheckBox>(box);
    lblResolution = AddLabel(window, "lblResolution", kContentLeft + 300, kFirstLineTop,
                             kContentRight - kContentLeft - 300, kLineStep, lineFont);
    lblResolution->SetForeColor(Rgb(0, 0, 0));
    lblResolution->SetVisible(false);

    imgLogo = window.Add<forms::Image>(QStringLiteral("imgLogo"));
    imgLogo->SetPicture(imgLogos[0]);
    imgLogo->Move(kLogoLeftNarrow, kLogoTop);
}

void frmWelcome::WireEvents() {
    window.onActivate = [this] { Form_Activate(); };
    window.onKeyDown = [this](int keyCode, int shift) { Form_KeyDown(keyCode, shift); };
    window.onUnload = [this](int&) { Form_Unload(); };

    auto down = [this](forms::Control& c, int button, int, double x, double y) {
        DragDown(c, button, x, y);
    };
    auto move = [this](forms::Control& c, int buttons, int, double x, double y) {
        DragMove(c, buttons, x, y);
    };
    auto up = [this](forms::Control&, int, int, double, double) { pressed_ = false; };
    std::vector<forms::Control*> draggable = {
        &window,  txtAdventureName, txtVersion,  lblAuthor,   txtAuthor,
        lblEmail, txtEmail,         lblHomepage, txtHomepage, lblResolution};
    for (forms::Label* b : lblButton) draggable.push_back(b);
    for (forms::Control* c : draggable) {
        c->onMouseDown = down;
        c->onMouseMove = move;
        c->onMouseUp = up;
    }

    for (int i = 0; i < 3; ++i) {
        lblButton[size_t(i)]->onClick = [this, i](forms::Control&) {
            if (!ConsumeDrag()) ClickButton(i);
        };
        Img[size_t(i)]->onClick = [this, i](forms::Control&) { ClickButton(i); };
    }
    lblResolution->onClick = [this](forms::Control&) {
        if (!ConsumeDrag()) lblResolution_Click();
    };
    chkResolution->Box().onClick = [this](forms::Control&) { chkResolution_Click(); };
    txtEmail->onClick = [this](forms::Control&) {
        if (!ConsumeDrag()) txtEmail_Click();
    };
    txtHomepage->onClick = [this](forms::Control&) {
        if (!ConsumeDrag()) txtHomepage_Click();
    };
    imgLogo->onClick = [this](forms::Control&) { imgLogo_Click(); };
}

void frmWelcome::Try(const std::function<void()>& statement) {
    try {
        statement();
    } catch (const std::exception&) {
        failed_ = true;
    }
}

void frmWelcome::CentreWindow() {
    const double screenWidth = services_.display.ScreenWidth() * 15.0;
    const double screenHeight = services_.display.ScreenHeight() * 15.0;
    window.SetTop(screenHeight / 2 - window.Height() / 2);
    window.SetLeft(screenWidth / 2 - window.Width() / 2);
}

// ---- Start-up ----------------------------------------------------------------------------

bool frmWelcome::Form_Load(const QString& nativeFolder) {
    failed_ = false;
    Try([this] { CentreWindow(); });
    Try([this] { window.SetWidth(kWindowWidth); });

    // The project initialisation records the display mode before anything else looks at it.
    services_.resolutions.RecordDisplayMode();
    switch (InitializeProject(program_, nativeFolder, &services_.display)) {
        case InitializeResult::MissingGeneral:
            exitCode_ = 1;
            return false;
        case InitializeResult::Declined:
            exitCode_ = 0;
            return false;
        case InitializeResult::Ready:
            break;
    }
    const ProjectInfo& info = program_.info;
    Try([this] { program_.SaveUserSetting(UserKeys::kPath, program_.paths.ProjectPath); });

    if (info.SkipWelcomeScreen) {
        window.SetVisible(false);
        ClickButton(0);
    } else {
        if (!info.ProjectTitle.isEmpty())
            Try([this] {
                const QString saved =
                    program_.GetUserSetting(UserKeys::kChangeResolution, QStringLiteral("1"));
                chkResolution->SetValue(CInt(QVariant(saved)));
            });
        Try([this] { LayOutLines(); });
        UseScheme(info.SchemeName);
        Try([this] { ApplyCaptionsAndLogo(); });
        ArrangeButtons();
    }

    if (failed_) {
        failed_ = false;
        program_.ShowErrorBox(QStringLiteral(" Error loading project information."));
    }
    return true;
}

bool frmWelcome::Start(const QString& nativeFolder) {
    if (!Form_Load(nativeFolder)) return false;
    if (unloaded_) return false;
    // A project that skips this window has its game running already.
    if (window.Visible() && !program_.info.SkipWelcomeScreen) ShowWindow();
    return true;
}

void frmWelcome::LayOutLines() {
    const ProjectInfo& info = program_.info;
    const double border = window.Height() - window.ScaleHeight();
    double top = kFirstLineTop;

    txtAdventureName->SetCaption(info.GameName);
    if (!info.GameVersion.isEmpty()) {
        txtVersion->SetCaption(info.GameVersion);
        txtVersion->SetTop(top);
        txtVersion->SetVisible(true);
        top += kLineStep;
    } else {
        txtVersion->SetCaption(QString());
        txtVersion->SetVisible(false);
    }
    auto line = [&top](const QString& value, forms::Label* text, forms::Label* label) {
        if (value.isEmpty()) return;
        text->SetCaption(value);
        text->SetTop(top);
        label->SetTop(top);
        top += kLineStep;
        text->SetVisible(true);
        label->SetVisible(true);
    };
    line(info.AuthorName, txtAuthor, lblAuthor);
    line(info.AuthorEmail, txtEmail, lblEmail);
    line(info.HomepageAddress, txtHomepage, lblHomepage);

    if (!services_.resolutions.IsAtTargetResolution() && info.OfferResolutionChange == 1) {
        chkResolution->Box().SetTop(top + kCheckBoxOffset);
        lblResolution->SetTop(top);
        top += kLineStep;
        chkResolution->Box().SetVisible(true);
        lblResolution->SetVisible(true);
    } else {
        chkResolution->Box().SetVisible(false);
        lblResolution->SetVisible(false);
    }
    window.SetHeight(kBottomMargin + (border + top));
    CentreWindow();
}

void frmWelcome::ApplyCaptionsAndLogo() {
    const ProjectInfo& info = program_.info;
    lblAuthor->SetCaption(program_.Messages(4));
    lblEmail->SetCaption(program_.Messages(5));
    lblHomepage->SetCaption(program_.Messages(6));
    lblResolution->SetCaption(ResolutionLineCaption(program_.Messages(7), info.ResolutionChoice));

    if (info.DisableLoadGame) {
        Img[1]->SetVisible(false);
        lblButton[1]->SetVisible(false);
        lblButton[2]->SetTop(kLoadButtonTop);
    }
    if (lblButton[1]->Caption().isEmpty()) {
        lblButton[1]->SetVisible(false);
        lblButton[2]->SetTop(kLoadButtonTop);
    }

    if (info.HideLogo) {
        imgLogo->SetVisible(false);
    } else {
        imgLogo->SetVisible(true);
        imgLogo->ZOrder(0);
    }
    imgLogo->SetTop(kLogoTop);
    imgLogo->SetLeft(info.LogoWide ? kLogoLeftWide : kLogoLeftNarrow);
    if (info.LogoVariant == 0 || info.LogoVariant == 1)
        imgLogo->SetPicture(imgLogos[size_t(info.LogoVariant + (info.LogoWide ? 2 : 0))]);
}

// The buttons' captions and pictures differ in width from game to game: each stands centred
// over the space left of the logo.
void frmWelcome::ArrangeButtons() {
    const double centre = (kContentLeft + kContentRight) / 2;
    for (int i = 0; i < 3; ++i) {
        forms::Label* b = lblButton[size_t(i)];
        b->SetLeft(std::max(0.0, centre - b->Width() / 2));
        forms::Image* img = Img[size_t(i)];
        img->SetLeft(std::max(0.0, centre - img->Width() / 2));
    }
}

// ---- Scheme ------------------------------------------------------------------------------

void frmWelcome::UseScheme(const QString& name) {
    Program& p = program_;
    const FileSystem& fs = p.platform.files;
    const QString folder = p.paths.SchemesPath + name + u'\\';
    const QString file = folder + QStringLiteral("Scheme.txt");
    if (fs.FileExists(file).isEmpty()) {
        for (int i = 0; i < 3; ++i) {
            Img[size_t(i)]->SetVisible(false);
            forms::Label* b = lblButton[size_t(i)];
            b->SetCaption(p.Messages(i + 1));
            b->SetAutoSize(true);
            b->SetVisible(true);
        }
        return;
    }

    // Any read failure ends the reading; what was applied stays.
    try {
        SeqReader in = OpenSeqFile(fs, file);
        for (int i = 0; i < 3; ++i) in.ReadString();
        const double pictures = in.ReadDouble();
        if (pictures == 0) return;

        bool ended = false;
        const qint64 count = qint64(std::clamp(pictures, 0.0, 1e9));
        for (qint64 k = 0; k < count; ++k) {
            // Past the end every entry counts as "[default]"; nothing beyond the four
            // pictures is left to set then.
            if (ended && k >= qint64(Img.size())) break;
            QString entry = QStringLiteral("[default]");
            if (!ended) {
                try {
                    entry = in.ReadString();
                } catch (const SeqError&) {
                    ended = true;
                }
            }
            if (k >= qint64(Img.size())) continue;
            forms::Image* img = Img[size_t(k)];
            const QString lower = entry.toLower();
            forms::Picture picture;
            if (lower != u"[none]" && lower != u"[default]") {
                const forms::PictureResult loaded =
                    forms::LoadPictureFile(fs.NativePath(folder + entry));
                // A picture that cannot be read leaves the text button in its place rather
                // than an empty, invisible one.
                if (loaded.Ok()) picture = loaded.picture;
            }
            img->SetPicture(picture);
            // The background tile is never shown itself.
            img->SetVisible(!picture.IsEmpty() && k < 3);
        }
        for (int i = 0; i < 3; ++i) {
            forms::Label* b = lblButton[size_t(i)];
            if (Img[size_t(i)]->Visible()) {
                b->SetVisible(false);
            } else {
                b->SetCaption(p.Messages(i + 1));
                b->SetAutoSize(true);
                b->SetVisible(true);
            }
        }
        if (ended) return;

        const double colours = in.ReadDouble();
        if (colours == 0) return;
        const auto colour = [&in] { return static_cast<forms::OleColor>(in.ReadLong()); };
        const forms::OleColor background = colour();
        if (Img[3]->GetPicture().IsEmpty()) window.SetBackColor(background);
        txtAdventureName->SetForeColor(colour());
        const forms::OleColor text = colour();
        for (forms::Label* l : {lblResolution, txtVersion, lblAuthor, lblEmail, lblHomepage,
                                txtAuthor, txtEmail, txtHomepage})
            l->SetForeColor(text);
        if (colours >= 4) {
            const forms::OleColor buttons = colour();
            for (forms::Label* b : lblButton) b->SetForeColor(buttons);
        }

        Img[3]->SetVisible(false);
        const forms::Picture tile = Img[3]->GetPicture();
        if (!tile.IsEmpty()) {
            const QSize size = tile.Size();
            const QSize inner = window.ClientPixelSize();
            for (int x = 0; x <= inner.width(); x += std::max(1, size.width()))
                for (int y = 0; y <= inner.height(); y += std::max(1, size.height()))
                    window.PaintPicture(tile, x * 15.0, y * 15.0);
        }

        if (!in.AtEnd()) {
            for (int i = 0; i < 3; ++i) in.ReadString();
            txtAdventureName->SetVisible(in.ReadDouble() == 0);
        }
        if (!in.AtEnd()) {
            in.ReadString();
            p.info.LogoVariant = in.ReadInteger();
            p.info.LogoWide = in.ReadBoolean();
        }
    } catch (const std::exception&) {
    }
}

// ---- Buttons -----------------------------------------------------------------------------

void frmWelcome::ClickButton(int index) {
    try {
        switch (index) {
            case 0:
                StartGame();
                break;
            case 1:
                services_.windows.SetTopmost(window, false);
                if (showLoadGameWindow) showLoadGameWindow();
                break;
            case 2:
                Form_Unload();
                break;
            default:
                break;
        }
    } catch (const std::exception& e) {
        program_.ShowErrorBox(
            QStringLiteral(" Error loading the main program window. Try restarting the program. "),
            ErrorDescription(e));
        // A Start that failed after hiding this window must not leave the player without any
        // window: it comes back, or, when the project has none to come back to, the program ends.
        if (index == 0 && !unloaded_ && !(game_ && services_.windows.IsShown(game_->window))) {
            if (program_.info.SkipWelcomeScreen)
                Form_Unload();
            else if (!services_.windows.IsShown(window))
                ShowWindow();
        }
    }
}

void frmWelcome::StartGame() {
    const ProjectInfo& info = program_.info;
    if (!info.SkipWelcomeScreen && info.OfferResolutionChange == 1 &&
        chkResolution->Box().Visible() && chkResolution->Value() == 1) {
        HideWindow();
        services_.resolutions.ChangeResolution(info.ResolutionChoice + 1, &screen_);
    }

    Game& game = NewGame();
    game.ResetAll();

    HideWindow();
    game.StartNewGame();
    if (game.Closed()) return;  // the first frame already ended the game
    ShowGameWindow();
}

Game& frmWelcome::NewGame() {
    // A game window left from an earlier game goes first.
    if (game_) {
        services_.windows.Forget(game_->window);
        game_.reset();
    }
    if (!services_.createGame) throw RunError::InvalidCall();
    game_ = services_.createGame();
    Game& game = *game_;
    game.ScreenWidthPx = services_.display.ScreenWidth();
    game.ScreenHeightPx = services_.display.ScreenHeight();
    game.onClosed = [this](bool endProgram) { GameClosed(endProgram); };
    if (!game.window.onUnload) game.window.onUnload = [&game](int&) { game.Form_Unload(); };
    return game;
}

Game& frmWelcome::EnsureGame() {
    if (game_ && !game_->Closed()) return *game_;
    return NewGame();
}

void frmWelcome::ShowGameWindow() {
    if (!game_ || game_->Closed()) return;
    WindowStyle style;
    style.fullScreen = !program_.info.RunInWindow;
    style.menuBar = true;
    // The host shows the game's screen-wide pointer; it only reads it and listens for changes.
    style.screenPointer = const_cast<forms::ScreenPointer*>(&game_->Screen());
    services_.windows.Show(game_->window, style);
}

void frmWelcome::HideWelcome() {
    HideWindow();
}

void frmWelcome::GameClosed(bool endProgram) {
    if (game_) services_.windows.Hide(game_->window);
    services_.resolutions.RestoreDisplayModeIfChanged();
    if (endProgram) {
        Form_Unload();
        return;
    }
    program_.platform.loop.ProcessEvents();
    ShowWindow();
}

void frmWelcome::ShowWindow() {
    window.SetVisible(true);
    WindowStyle style;
    style.borderless = true;
    style.screenPointer = &screen_;
    services_.windows.Show(window, style);
}

void frmWelcome::HideWindow() {
    window.SetVisible(false);
    services_.windows.Hide(window);
}

// ---- Other reactions ---------------------------------------------------------------------

void frmWelcome::Form_Activate() {
    if (!services_.windows.IsTopmost(window)) services_.windows.SetTopmost(window, true);
}

void frmWelcome::Form_KeyDown(int keyCode, int) {
    if (keyCode == 27) Form_Unload();
}

void frmWelcome::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    window.SetVisible(false);
    services_.windows.Hide(window);
    services_.windows.Quit(0);
}

void frmWelcome::chkResolution_Click() {
    chkResolution->SetValue(chkResolution->Value() == 1 ? 0 : 1);
}

void frmWelcome::lblResolution_Click() {
    chkResolution_Click();
    program_.SaveUserSetting(UserKeys::kChangeResolution, chkResolution->Value() == 1
                                                              ? QStringLiteral("1")
                                                              : QStringLiteral("0"));
}

void frmWelcome::txtEmail_Click() {
    WindowHost& windows = services_.windows;
    windows.SetTopmost(window, false);
    const QString address = txtEmail->Caption();
    MessageBoxRequest box;
    box.title = program_.info.GameName;
    box.text = program_.Messages(13) + u' ' + address + QStringLiteral(" ?");
    box.icon = BoxIcon::Question;
    box.buttons = BoxButtons::YesNo;
    if (program_.platform.dialogs.MessageBox(box) == BoxResult::Yes)
        services_.shell.Open(QStringLiteral("mailto:") + address);
    else
        windows.SetTopmost(window, true);
}

void frmWelcome::txtHomepage_Click() {
    WindowHost& windows = services_.windows;
    windows.SetTopmost(window, false);
    const QString address = txtHomepage->Caption();
    MessageBoxRequest box;
    box.title = program_.info.GameName;
    box.text =
        program_.Messages(14) + u' ' + address + QStringLiteral(" ? ") + program_.Messages(15);
    box.icon = BoxIcon::Question;
    box.buttons = BoxButtons::YesNo;
    if (program_.platform.dialogs.MessageBox(box) == BoxResult::Yes)
        services_.shell.Open(address);
    else
        windows.SetTopmost(window, true);
}

void frmWelcome::imgLogo_Click() {
    WindowHost& windows = services_.windows;
    windows.SetTopmost(window, false);
    MessageBoxRequest box;
    box.title = QStringLiteral("Storyloom");
    box.text = QStringLiteral("For details and downloads, visit: ") + kStoryloomWebAddress + kCrLf +
               kCrLf +
               QStringLiteral(
                   "Do you want to visit it now? (You must be connected to the "
                   "Internet)");
    box.icon = BoxIcon::Information;
    box.buttons = BoxButtons::YesNo;
    if (program_.platform.dialogs.MessageBox(box) == BoxResult::Yes)
        services_.shell.Open(kStoryloomWebAddress);
    else
        windows.SetTopmost(window, true);
}

// ---- Dragging ----------------------------------------------------------------------------

namespace {
QPoint WindowPoint(const forms::Control& c, double x, double y) {
    const bool pixels = c.EventScaleMode() == 3;
    const QPoint local(int(pixels ? x : x / 15.0), int(pixels ? y : y / 15.0));
    return (c.Kind() == forms::ControlKind::Window ? QPoint() : c.WindowPixelRect().topLeft()) +
           local;
}
}  // namespace

void frmWelcome::DragDown(forms::Control& c, int button, double x, double y) {
    if (button != forms::kLeftButton) return;
    pressed_ = true;
    dragged_ = false;
    grab_ = WindowPoint(c, x, y);
}

void frmWelcome::DragMove(forms::Control& c, int buttons, double x, double y) {
    if (!pressed_ || !(buttons & forms::kLeftButton)) return;
    const QPoint delta = WindowPoint(c, x, y) - grab_;
    if (!dragged_ && delta.manhattanLength() < kDragThreshold) return;
    if (delta.isNull()) return;
    dragged_ = true;
    // The window follows the pointer, so the grabbed point stays under it.
    window.Move(window.Left() + delta.x() * 15.0, window.Top() + delta.y() * 15.0);
    services_.windows.Place(window);
}

bool frmWelcome::ConsumeDrag() {
    const bool moved = dragged_;
    dragged_ = false;
    return moved;
}

}  // namespace storyloom
