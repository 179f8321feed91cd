#include "game/Game.h"

#include <QRegularExpression>

#include "core/Program.h"
#include "platform/forms/Color.h"
#include "project/MediaFiles.h"

namespace storyloom {

struct Game::NullServices {
    InventoryService inventory;
    TransitionService transitions;
    DialogueService dialogues;
    RippleService ripple;
    SoundChannelService sound;
    VideoService video;
    AnimatedObjectService animated;
    PluginService plugins;
    ComponentService components;
    SavedGameService savedGames;
};

Game::Game(Program& program_, ScriptRunner& scripts_, GameServices services_)
    : program(program_),
      scripts(scripts_),
      services(services_),
      window(QStringLiteral("Game")),
      loop_(program_.platform.loop),
      media_(program_.platform.media),
      timer1_(program_.platform.loop),
      timerMessageBox_(program_.platform.loop),
      timerUnloadMe_(program_.platform.loop),
      nullServices_(std::make_unique<NullServices>()) {
    NullServices& n = *nullServices_;
    if (!services.inventory) services.inventory = &n.inventory;
    if (!services.transitions) services.transitions = &n.transitions;
    if (!services.dialogues) services.dialogues = &n.dialogues;
    if (!services.ripple) services.ripple = &n.ripple;
    if (!services.sound) services.sound = &n.sound;
    if (!services.video) services.video = &n.video;
    if (!services.animated) services.animated = &n.animated;
    if (!services.plugins) services.plugins = &n.plugins;
    if (!services.components) services.components = &n.components;
    if (!services.savedGames) services.savedGames = &n.savedGames;

    for (size_t i = 1; i < MPlayer.size(); ++i) {
        MPlayer[i] = media_.Create();
        MPlayer[i]->SetShowControls(false);
        state.SoundChannels[i].PlayerIndex = static_cast<qint16>(i);
    }
    CustomMediaPlayer[0].player = media_.Create();
    CustomMediaPlayer[0].player->SetShowControls(false);
    // Timers start disabled, as designed on the window.
    timer1_.SetEnabled(false);
    timer1_.onTick = [this] { Timer1_Timer(); };
    timerMessageBox_.SetEnabled(false);
    timerMessageBox_.onTick = [this] { HideTextMessage(); };
    timerUnloadMe_.SetEnabled(false);
    timerUnloadMe_.onTick = [this] { TimerUnloadMe_Timer(); };
    timedEventTable_.resize(1);
    timedEvents_.push_back(std::make_unique<Timer>(loop_));
    timedEvents_[0]->SetEnabled(false);

    BuildWindow();
    // The spare players scripts show sit on the window, above the frame picture.
    AttachVideoView(window, CustomMediaPlayer, 0);
    WireInput();

    // Menu captions from the message table, where it has a text.
    auto caption = [this](QString& target, int index) {
        const QString& text = program.Messages(index);
        if (!text.isEmpty()) target = text;
    };
    caption(menus.LoadGameCaption, 2);
    caption(menus.SaveGameCaption, 8);
    caption(menus.ExitCaption, 12);
    caption(menus.OptionsCaption, 49);
    caption(menus.DisableTransitionsCaption, 50);
    caption(menus.DisableEffectsCaption, 51);
    BuildWindowMenus();
    services.components->ResetComponents();
    services.transitions->InitTransitions();
}

Game::~Game() {
    // The subsystems go first (they may hold controls of the window; the inventory last),
    // then the scene's and the spare players' controls, before the window that holds them.
    kept_.clear();
    ownInventory_.reset();
    scene.reset();
    CustomMediaPlayer.clear();
    ownAnimated_.reset();
}

void Game::UseInventory(std::unique_ptr<InventoryService> inventory) {
    ownInventory_ = std::move(inventory);
    services.inventory = ownInventory_ ? ownInventory_.get() : &nullServices_->inventory;
}

void Game::KeepAnimatedObjects(std::unique_ptr<AnimatedObjectService> animated) {
    ownAnimated_ = std::move(animated);
}

void Game::BuildWindow() {
    window.SetBackColor(forms::Rgb(0, 0, 0));
    window.SetScaleMode(1);
    PictureBox = window.Add<forms::PictureBox>(QStringLiteral("PictureBox"));
    PictureBox->SetBorderStyle(0);
    PictureBox->SetBackColor(forms::Rgb(0, 0, 0));
    // The scene's controls lie below the message strip.
    scene =
        std::make_unique<FrameScene>(program, state.frame, *PictureBox, media_, *services.animated);
    FrameMessageBox = PictureBox->Add<forms::PictureBox>(QStringLiteral("FrameMessageBox"));
    FrameMessageBox->SetVisible(false);
    FrameMessageBox->SetBorderStyle(0);
    FrameMessageBox->SetBackColor(forms::Rgb(0, 0, 0));
    LabelMessageBox = FrameMessageBox->Add<forms::Label>(QStringLiteral("LabelMessageBox"));
    LabelMessageBox->SetVisible(false);
    LabelMessageBox->SetAutoSize(true);
    LabelMessageBox->SetAlignment(2);
    LabelMessageBox->SetBackStyle(0);
    LabelMessageBox->SetForeColor(forms::Rgb(255, 255, 255));
    forms::FontSpec font;
    font.name = QStringLiteral("Arial");
    font.size = 12;
    font.bold = true;
    LabelMessageBox->SetFont(font);
    LabelMessageBox->SetTop(240);
}

// ---- Variables -----------------------------------------------------------------------------

void Game::ChangeVariableValue(const QString& name, qint32 value) {
    state.vars.ChangeVariableValue(program, name, value);
}

qint16 Game::GetVariableValue(const QString& name) const {
    return state.vars.GetVariableValue(name);
}

// ---- Players -------------------------------------------------------------------------------

MediaPlayer& Game::ChannelPlayer(int channel) {
    int index = state.SoundChannels[static_cast<size_t>(channel)].PlayerIndex;
    if (index < 1 || index > 7) index = channel;
    return *MPlayer[static_cast<size_t>(index)];
}

void Game::StopSoundChannelPlayers() {
    for (size_t i = 1; i < MPlayer.size(); ++i) MPlayer[i]->Stop();
}

void Game::ResetSoundChannels() {
    for (size_t i = 1; i < MPlayer.size(); ++i) {
        MPlayer[i]->Stop();
        state.SoundChannels[i].PlayerIndex = static_cast<qint16>(i);
    }
}

void Game::StopAnyWavOrMP3() {
    // Digital sounds stop; MIDI music and videos keep playing.
    static const QRegularExpression kDigital(
        QStringLiteral("\\.(wav|mp3|wma|ogg|au|snd|rmi|mpa|mp2|wm|asf)$"),
        QRegularExpression::CaseInsensitiveOption);
    for (size_t i = 1; i < MPlayer.size(); ++i) {
        MediaPlayer& p = *MPlayer[i];
        const QString name = p.FileName();
        if (name.size() > 4 && p.PlayState() == MediaPlayer::Playing &&
            kDigital.match(name).hasMatch())
            p.Stop();
    }
}

QString Game::Located(const QString& path) {
    return ResolveMediaPath(program, path);
}

// ---- The scene ---------------------------------------------------------------------------

void Game::ShowOrNotShowAreas() {
    scene->ShowOrNotShowAreas(state.vars, services.transitions->OverlayVisible());
}

// ---- Layout --------------------------------------------------------------------------------

void Game::CenterWindowAndPictureBox() {
    const int pictureW = program.info.ProjectWidth;
    const int pictureH = program.info.ProjectHeight;
    PictureBox->SetWidth(pictureW * 15.0);
    PictureBox->SetHeight(pictureH * 15.0);
    window.SetWindowState(0);
    if (program.info.RunInWindow) {
        ShowMenus();
        window.SetCaption(QStringLiteral(" ") + program.info.GameName);
        // The client area is exactly the picture, centred on the screen.
        window.SetPixelRect(QRect(ScreenWidthPx / 2 - pictureW / 2,
                                  ScreenHeightPx / 2 - pictureH / 2, pictureW, pictureH));
        PictureBox->SetLeft(0);
        PictureBox->SetTop(0);
    } else {
        HideMenus();
        window.SetPixelRect(QRect(0, 0, ScreenWidthPx, ScreenHeightPx));
        window.SetWindowState(2);
        const double screenW = ScreenWidthPx * 15.0, screenH = ScreenHeightPx * 15.0;
        PictureBox->SetLeft(std::floor(screenW / 2) - std::floor(PictureBox->Width() / 2));
        const double top = std::floor(screenH / 2) - std::floor(PictureBox->Height() / 2);
        PictureBox->SetTop(top < 0 ? 0 : top);
    }
}

}  // namespace storyloom
