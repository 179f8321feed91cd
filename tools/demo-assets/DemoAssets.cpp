// Writes the bundled demo game "The Keeper's Evening": its pictures, pointers and sounds, and
// its data files in the authoring tool's layout (one field per line, CR LF line ends).
//
// Built with the player (target `demo_assets`, which writes the data files with the player's
// own project writer); run it from the repository root:
//   QT_QPA_PLATFORM=offscreen build/tools/demo-assets/demo_assets examples/demo
//
// The output is committed, so the game runs without this program; run it again after changing
// a scene, a sound or a frame below. Everything comes out the same on every run.
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRect>
#include <QTextStream>
#include <array>
#include <cmath>
#include <functional>
#include <vector>

#include "Formats.h"
#include "Scenes.h"
#include "platform/seqfile/SeqFile.h"
#include "project/DialogueFile.h"
#include "project/ProjectWriter.h"

namespace demo {
namespace {

// ---------------------------------------------------------------- project data

constexpr int kTwips = 15;  // per pixel

struct Hotspot {
    QString name;  // field 1, ignored by the player; it names the hotspot for the reader
    QRect rect;    // pixels
    QString picture;
    bool animated = false;  // the picture is an animated GIF
    QString pointer;
    QStringList hideIfTrue, showIfTrue;
    int merged = 0;
};

Hotspot Spot(QString name, QRect rect, QString picture, QString pointer,
             QStringList hideIfTrue = {}, QStringList showIfTrue = {}) {
    Hotspot h;
    h.name = std::move(name);
    h.rect = rect;
    h.picture = std::move(picture);
    h.pointer = std::move(pointer);
    h.hideIfTrue = std::move(hideIfTrue);
    h.showIfTrue = std::move(showIfTrue);
    return h;
}

struct Action {
    QString name;
    QString changeVariable;
    bool setFalse = false, setTrue = false, invert = false;
    QString message;  // shown when not empty
    bool messageInStrip = true;
    bool disappear = false;
    bool quit = false;
    QString goToFrame;
    bool stopAllSounds = false;
    QString hotspotSound;
    bool repeatHotspotSound = false;
    bool goToLastVisited = false;
    QStringList listSetZero, listSetOne, listInvert;
    int transition = 0;  // 0 none, else the transition's number
    int transitionMs = 0;
    QString script;  // with real double quotes; stored with "|"
    QString pluginActions;
    QString giveItem;    // an item put in the inventory
    QString dropKey;     // item-drop records: "2_Key on a cord.drg"
    QString frameSound;  // a one-time sound from the Frames folder (channel 7)
    QString video;       // a one-time video from the Frames folder, at its own size
    QPoint videoAt;
    // Channel changes (entries 1.. are the channels) and their fade.
    std::vector<storyloom::AuthoredChannelEntry> channels;
    int fadeMs = 0;
};

struct TextBox {
    QString name;
    QString caption;
    QPoint at;  // pixels
    bool bold = false, italic = false;
    QString font = QStringLiteral("Times New Roman");
    int points = 12;
    QColor colour;
    int merged = 0;
};

TextBox Label(QString name, QString caption, QPoint at, bool bold, bool italic, QString font,
              int points, QColor colour) {
    TextBox t;
    t.name = std::move(name);
    t.caption = std::move(caption);
    t.at = at;
    t.bold = bold;
    t.italic = italic;
    t.font = std::move(font);
    t.points = points;
    t.colour = colour;
    return t;
}

struct Frame {
    QString name;
    int backgroundType = 1;
    QString background;  // picture file or colour number
    bool restartMusic = false;
    QString music;
    bool timer = false;
    double timerSeconds = 0;
    QString timerTarget;
    bool stopAllSounds = false;
    QString frameSound;
    bool timerTransition = false;
    int timerTransitionMs = 0;
    int timerTransitionNumber = 0;
    QString script;  // with real double quotes
    QString pluginSettings;
    std::vector<Hotspot> hotspots;
    std::vector<Action> actions;
    // Items dropped on hotspots (.fm0) and the items clicks pick up (.fm4: hotspot, item).
    std::vector<Action> drops;
    std::vector<storyloom::AuthoredPickUp> pickUps;
    std::vector<TextBox> texts;
    // A merged frame: its own records (written to .fm1/.fm2/.fm3 as the authoring tool keeps
    // them) and the merged result (.mr1/.mr2/.mr3, which the player prefers).
    bool merged = false;
    int ownHotspots = 0, ownTexts = 0;
    // The frame's question-and-answer dialogue (none when empty).
    std::vector<storyloom::DialogueQuestion> dialogue;
    // Sound-channel rows (row r is channel r) and the fade of those that cross-fade.
    std::vector<storyloom::ChannelRow> channels;
    int fadeMs = 0;
};

storyloom::DialogueQuestion Question(QString text, qint16 id, bool shown, QString answer) {
    storyloom::DialogueQuestion q;
    q.QuestionText = std::move(text);
    q.QuestionId = id;
    q.InitiallyShown = shown;
    q.AnswerText = std::move(answer);
    return q;
}

QString Quote254(QString s) {
    s.replace(u'"', QChar(0xFE));
    return s;
}

long long ColourValue(QColor c) {
    return c.red() + c.green() * 256LL + c.blue() * 65536LL;
}

// A plug-in action description: separator 164, the identifier, then each argument after 165.
QString PluginCall(const QString& identifier, const QStringList& arguments) {
    QString s = QChar(0xA4) + identifier;
    for (const QString& a : arguments) s += QChar(0xA5) + a;
    return s;
}

// One field per record over the player's record writer, for the files the project writer has
// no structure for (the scheme, the plug-in).
class Fields {
  public:
    explicit Fields(storyloom::SeqWriter& w) : w_(w) {}
    void Str(const QString& s) { w_.WriteString(s), w_.EndRecord(); }
    void Int(long long v) { w_.WriteInteger(v), w_.EndRecord(); }
    void Bool(bool v) { w_.WriteBoolean(v), w_.EndRecord(); }
    void List(const QStringList& names) {
        Int(names.size());
        for (const QString& n : names) Str(n);
    }

  private:
    storyloom::SeqWriter& w_;
};

storyloom::FrameFile FrameSettingsOf(const Frame& f) {
    storyloom::FrameFile out;
    out.BackgroundType = f.backgroundType;
    out.BackgroundValue = f.background;
    out.RestartMusic = f.restartMusic;
    out.MusicFile = f.music;
    out.FrameTimerEnabled = f.timer;
    out.FrameTimerDuration = f.timerSeconds;
    out.FrameTimerTarget = f.timerTarget;
    out.StopAllSounds = f.stopAllSounds;
    out.FrameSoundFile = f.frameSound;
    out.MusicLoop = true;
    out.FrameTimerTransition = f.timerTransition;
    out.FrameTimerTransitionDuration = f.timerTransitionMs;
    out.FrameTimerTransitionNumber = f.timerTransitionNumber;
    out.RunLocalScript = !f.script.isEmpty();
    out.LocalScript = f.script;
    out.ChannelColumns = 5;
    out.channels = f.channels;
    out.ChannelFadeDuration = f.fadeMs;
    out.PluginSettings = f.pluginSettings;
    return out;
}

std::vector<storyloom::AuthoredHotspot> HotspotsOf(const std::vector<Hotspot>& hotspots) {
    std::vector<storyloom::AuthoredHotspot> out;
    for (const Hotspot& h : hotspots) {
        storyloom::AuthoredHotspot a;
        a.Name = h.name;
        a.MergedFlag = h.merged;
        a.Left = h.rect.left() * kTwips;
        a.Top = h.rect.top() * kTwips;
        a.Width = h.rect.width() * kTwips;
        a.Height = h.rect.height() * kTwips;
        a.HasPicture = !h.picture.isEmpty();
        a.PictureFile = h.picture;
        a.PictureKind = h.animated ? 1 : 0;
        // The picture is made to the size of the hotspot's control, so stretching keeps it 1:1.
        a.StretchPicture = h.picture.isEmpty() ? 0 : 1;
        a.PointerFile = h.pointer;
        a.HasConditions = !h.hideIfTrue.isEmpty() || !h.showIfTrue.isEmpty() ? 1 : 0;
        a.HideIfTrue = h.hideIfTrue;
        a.ShowIfTrue = h.showIfTrue;
        out.push_back(a);
    }
    return out;
}

std::vector<storyloom::AuthoredTextBox> TextsOf(const std::vector<TextBox>& texts) {
    std::vector<storyloom::AuthoredTextBox> out;
    for (const TextBox& t : texts) {
        storyloom::AuthoredTextBox a;
        a.Name = t.name;
        a.MergedFlag = t.merged;
        a.Caption = t.caption;
        a.Left = t.at.x() * kTwips;
        a.Top = t.at.y() * kTwips;
        a.Bold = t.bold;
        a.Italic = t.italic;
        a.FontName = t.font;
        a.FontSize = t.points;
        a.TextColor = ColourValue(t.colour);
        out.push_back(a);
    }
    return out;
}

std::vector<storyloom::AuthoredAction> ActionsOf(const std::vector<Action>& actions) {
    std::vector<storyloom::AuthoredAction> out;
    for (const Action& a : actions) {
        storyloom::AuthoredAction r;
        r.Name = a.name;
        r.ChangeVariableOn = a.changeVariable.isEmpty() ? 0 : 1;
        r.ChangeVariableName = a.changeVariable;
        r.SetFalse = a.setFalse;
        r.SetTrue = a.setTrue;
        r.Invert = a.invert;
        r.ShowMessage = !a.message.isEmpty();
        r.MessageText = a.message;
        r.DisappearOn = a.disappear;
        r.QuitGame = a.quit;
        r.GoToFrameOn = a.goToFrame.isEmpty() ? 0 : 1;
        r.TargetFrame = a.goToFrame;
        r.StopAllSounds = a.stopAllSounds ? 1 : 0;
        r.PlayHotspotSound = !a.hotspotSound.isEmpty();
        r.HotspotSoundFile = a.hotspotSound;
        r.GoToLastVisited = a.goToLastVisited;
        r.MessageMode = a.messageInStrip;
        r.VariableListsOn =
            a.listSetZero.isEmpty() && a.listSetOne.isEmpty() && a.listInvert.isEmpty() ? 0 : 1;
        r.SetToZero = a.listSetZero;
        r.SetToOne = a.listSetOne;
        r.InvertList = a.listInvert;
        r.RepeatHotspotSound = a.repeatHotspotSound;
        r.TransitionOn = a.transition != 0 ? 1 : 0;
        r.TransitionDurationMs = a.transitionMs;
        r.ScriptOn = !a.script.isEmpty();
        r.ScriptCode = a.script;
        r.TransitionNumber = a.transition;
        r.PluginActions = a.pluginActions;
        r.GiveItemOn = !a.giveItem.isEmpty();
        r.GiveItemName = a.giveItem;
        r.DropKey = a.dropKey;
        r.PlayFrameSound = !a.frameSound.isEmpty();
        r.FrameSoundFile = a.frameSound;
        r.PlayVideoOn = a.video.isEmpty() ? 0 : 1;
        r.VideoFile = a.video;
        r.VideoAtPosition = !a.video.isEmpty();
        r.VideoLeft = a.videoAt.x();
        r.VideoTop = a.videoAt.y();
        r.Channels = a.channels;
        r.FadeDurationMs = a.fadeMs;
        out.push_back(r);
    }
    return out;
}

// Left edge that centres a text box's text on the picture (or on `box`), measured with the face
// the player draws it in.
int CentredLeft(const QString& text, const QString& family, int points, bool bold, bool italic,
                double centreX) {
    QFont f(family);
    f.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    f.setBold(bold);
    f.setItalic(italic);
    return int(std::lround(centreX - QFontMetrics(f).horizontalAdvance(text) / 2.0));
}

// ---------------------------------------------------------------- sounds

constexpr double kPi = 3.14159265358979323846;

std::vector<float> Tone(int rate, double seconds, const std::function<double(double)>& f) {
    std::vector<float> s(std::size_t(rate * seconds));
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = float(f(double(i) / rate));
    return s;
}

// Deterministic white noise in [-1, 1].
class Noise {
  public:
    double operator()() { return rng_.Range(-1, 1); }

  private:
    Rng rng_{99};
};

std::vector<float> Surf(int rate) {
    // Two slow swells over six seconds: quiet at both ends, so the loop joins softly.
    Noise noise;
    double low = 0, lower = 0;
    return Tone(rate, 6.0, [&](double t) {
        low += 0.08 * (noise() - low);
        lower += 0.02 * (low - lower);
        const double swell = std::pow(std::sin(kPi * t / 3.0), 2);
        return (0.15 + 0.85 * swell) * (lower * 5.0 + low * 0.6) * 0.8;
    });
}

std::vector<float> Chime(int rate) {
    return Tone(rate, 1.3, [](double t) {
        auto note = [&](double start, double f) {
            if (t < start) return 0.0;
            const double u = t - start;
            return std::exp(-u * 4.0) *
                   (std::sin(2 * kPi * f * u) + 0.3 * std::sin(2 * kPi * 2 * f * u));
        };
        return 0.35 * (note(0, 1318.5) + note(0.16, 1975.5));
    });
}

std::vector<float> Creak(int rate) {
    double phase = 0;
    Noise noise;
    return Tone(rate, 1.1, [&](double t) {
        const double f = 95 + 40 * std::sin(2 * kPi * 1.3 * t) + 10 * noise();
        phase += f / rate;
        const double saw = 2 * (phase - std::floor(phase)) - 1;
        const double env = std::sin(kPi * std::min(1.0, t / 1.1));
        return 0.45 * env * (saw * (0.6 + 0.4 * std::sin(2 * kPi * 23 * t)) + 0.15 * noise());
    });
}

std::vector<float> Ignite(int rate) {
    Noise noise;
    double low = 0;
    return Tone(rate, 1.6, [&](double t) {
        const double cutoff = 0.02 + 0.25 * std::min(1.0, t / 0.5);
        low += cutoff * (noise() - low);
        const double env = t < 0.4 ? t / 0.4 : std::exp(-(t - 0.4) * 2.5);
        return 0.9 * env * low + 0.25 * env * std::sin(2 * kPi * 55 * t);
    });
}

std::vector<float> Quill(int rate) {
    Noise noise;
    double previous = 0;
    return Tone(rate, 1.0, [&](double t) {
        const double n = noise();
        const double high = n - previous;  // a crude high-pass: the scratch of a nib
        previous = n;
        const double stroke = std::fmod(t, 0.3);
        const double env = stroke < 0.22 ? std::sin(kPi * stroke / 0.22) : 0.0;
        return 0.3 * env * high;
    });
}

std::vector<float> Bell(int rate) {
    return Tone(rate, 2.6, [](double t) {
        const double partials[][3] = {{0.5, 0.5, 1.2},  {1.0, 1.0, 1.8},  {1.19, 0.6, 2.4},
                                      {1.56, 0.4, 3.0}, {2.0, 0.35, 3.6}, {2.74, 0.2, 4.5}};
        double v = 0;
        for (const auto& p : partials)
            v += p[1] * std::exp(-t * p[2]) * std::sin(2 * kPi * 523.25 * p[0] * t);
        return 0.22 * v * std::min(1.0, t / 0.004);
    });
}

std::vector<float> Steps(int rate) {
    Noise noise;
    return Tone(rate, 2.0, [&](double t) {
        double v = 0;
        for (int k = 0; k < 4; ++k) {
            const double start = 0.1 + k * 0.45;
            if (t < start) continue;
            const double u = t - start;
            v += std::exp(-u * 30) * (std::sin(2 * kPi * 70 * u) + 0.5 * noise());
            if (u > 0.09) v += 0.3 * std::exp(-(u - 0.09) * 30) * std::sin(2 * kPi * 70 * u);
        }
        return 0.55 * v;
    });
}

// A low drone that loops without a seam: whole cycles of every partial in four seconds.
std::vector<float> Hum(int rate) {
    return Tone(rate, 4.0, [](double t) {
        const double tremolo = 0.75 + 0.25 * std::sin(2 * kPi * 0.5 * t);
        return 0.3 * tremolo *
               (std::sin(2 * kPi * 55 * t) + 0.5 * std::sin(2 * kPi * 110 * t) +
                0.2 * std::sin(2 * kPi * 165 * t));
    });
}

// A soft chord for the logbook, looping every four seconds.
std::vector<float> Pad(int rate) {
    return Tone(rate, 4.0, [](double t) {
        const double swell = 0.6 + 0.4 * std::sin(2 * kPi * 0.25 * t);
        double v = 0;
        for (double f : {220.0, 277.25, 330.0}) v += std::sin(2 * kPi * f * t);
        return 0.12 * swell * v;
    });
}

std::vector<float> Horn(int rate) {
    return Tone(rate, 3.2, [](double t) {
        double v = 0;
        for (int h = 1; h <= 8; ++h) v += std::sin(2 * kPi * 98 * h * t) / h;
        const double env = std::min(1.0, t / 0.35) * std::min(1.0, (3.2 - t) / 0.8);
        return 0.3 * env * v;
    });
}

// ---------------------------------------------------------------- the game

const QColor kCream(250, 238, 214);
const QColor kGold(240, 202, 128);

class Builder {
  public:
    explicit Builder(QString root) : root_(std::move(root)), project_(root_) {}

    void Run() {
        for (const char* folder : {"Areas", "CPData", "Config", "External", "Frames", "FramesData",
                                   "Icons", "Inventory", "Schemes/Lantern"})
            QDir().mkpath(Path(QString::fromLatin1(folder)));
        Pictures();
        Pointers();
        Sounds();
        Items();
        Videos();
        Scheme();
        Config();
        Plugin();
        for (const Frame& f : Frames()) WriteFrame(f);
    }

  private:
    QString Path(const QString& relative) const { return root_ + u'/' + relative; }

    QString root_;
    storyloom::ProjectWriter project_;

    // JPEG at quality 85; returns the picture as the player will decode it, so that hotspot
    // pictures cut from it match the background pixel for pixel.
    QImage SaveJpeg(const QImage& img, const QString& relative) {
        if (!img.save(Path(relative), "JPEG", 85))
            throw std::runtime_error("cannot write " + relative.toStdString());
        return QImage(Path(relative)).convertToFormat(QImage::Format_RGB32);
    }

    void Pictures() {
        const QImage shore = SaveJpeg(PaintShore(), QStringLiteral("Frames/shore.jpg"));
        // The sea below the lighthouse ripples.
        project_.WriteWaterEffect(QStringLiteral("shore"), kShoreWater.left(), kShoreWater.top(),
                                  kShoreWater.width(), kShoreWater.height(), 4, 8, false,
                                  PaintShoreWaterMask());
        const QImage door = SaveJpeg(PaintDoor(), QStringLiteral("Frames/door.jpg"));
        const QImage stairs = SaveJpeg(PaintStairs(), QStringLiteral("Frames/stairs.jpg"));
        const QImage lampRoom = SaveJpeg(PaintLampRoom(), QStringLiteral("Frames/lamproom.jpg"));
        SaveJpeg(PaintLogbook(lampRoom), QStringLiteral("Frames/logbook.jpg"));
        // The ending is stored under its disguised name: "ending.jpg" -> "ending.398".
        const QImage ending = SaveJpeg(PaintEnding(), QStringLiteral("Frames/ending.398"));
        SaveBytes(Path(QStringLiteral("Areas/key.gif")), GifBytes(PaintKey(shore, Inner(kKey))));
        PaintOilCan(stairs, Inner(kOilCan)).save(Path(QStringLiteral("Areas/oilcan.bmp")), "BMP");
        SaveBytes(Path(QStringLiteral("Areas/litlens.gif")),
                  GifBytes(PaintLitLens(lampRoom, Inner(kLens))));
        PaintGoodNight(ending, Inner(kGoodNight))
            .save(Path(QStringLiteral("Areas/goodnight.bmp")), "BMP");
    }

    // The control of a hotspot is its rectangle inset by two pixels on every side.
    static QRect Inner(QRect r) { return r.adjusted(2, 2, -2, -2); }

    void Pointers() {
        SaveBytes(Path(QStringLiteral("Icons/hand.cur")), CurBytes(PaintHandPointer(), {10, 1}));
        SaveBytes(Path(QStringLiteral("Icons/walk.cur")), CurBytes(PaintWalkPointer(), {16, 2}));
    }

    // Gulls crossing the evening sky: two seconds at ten frames a second, 240 x 100.
    void Videos() {
        const QSize size(240, 100);
        std::vector<QByteArray> jpegs;
        for (int i = 0; i < 20; ++i) {
            QImage frame(size, QImage::Format_RGB32);
            QPainter p(&frame);
            QLinearGradient sky(0, 0, 0, size.height());
            sky.setColorAt(0, QColor(74, 64, 120));
            sky.setColorAt(1, QColor(236, 150, 96));
            p.fillRect(frame.rect(), sky);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(30, 26, 40), 2.5, Qt::SolidLine, Qt::RoundCap));
            for (int g = 0; g < 3; ++g) {
                const double x = -30 + (i * 14.0) + g * 34;
                const double y = 30 + g * 16 + 6 * std::sin(i * 0.6 + g);
                const double flap = 6 * std::sin(i * 1.3 + g * 2);
                QPainterPath wing;
                wing.moveTo(x - 12, y - flap);
                wing.quadTo(x - 6, y - 6, x, y);
                wing.quadTo(x + 6, y - 6, x + 12, y - flap);
                p.drawPath(wing);
            }
            p.end();
            QByteArray jpeg;
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            frame.save(&buffer, "JPEG", 80);
            jpegs.push_back(jpeg);
        }
        SaveBytes(Path(QStringLiteral("Frames/gulls.avi")), MjpegAvi(jpegs, size, 10));
    }

    void Sounds() {
        SaveBytes(Path(QStringLiteral("Areas/surf.wav")), WavBytes(Surf(11025), 11025));
        SaveBytes(Path(QStringLiteral("Areas/chime.wav")), WavBytes(Chime(22050), 22050));
        // Stored under its plain-code disguise: "creak.wav" -> "creak.010".
        SaveBytes(Path(QStringLiteral("Areas/creak.010")), WavBytes(Creak(22050), 22050));
        // Played as the action's one-time sound, beside the music.
        SaveBytes(Path(QStringLiteral("Frames/ignite.wav")), WavBytes(Ignite(22050), 22050));
        SaveBytes(Path(QStringLiteral("Areas/hum.wav")), WavBytes(Hum(11025), 11025));
        SaveBytes(Path(QStringLiteral("Areas/pad.wav")), WavBytes(Pad(11025), 11025));
        SaveBytes(Path(QStringLiteral("Areas/quill.wav")), WavBytes(Quill(22050), 22050));
        SaveBytes(Path(QStringLiteral("Frames/bell.wav")), WavBytes(Bell(22050), 22050));
        SaveBytes(Path(QStringLiteral("Frames/steps.wav")), WavBytes(Steps(11025), 11025));
        SaveBytes(Path(QStringLiteral("Frames/horn.wav")), WavBytes(Horn(11025), 11025));
    }

    void Scheme() {
        const QString folder = QStringLiteral("Schemes/Lantern/");
        PaintWelcomeButton(QStringLiteral("Begin the evening"), true)
            .save(Path(folder + QStringLiteral("start.bmp")), "BMP");
        PaintWelcomeButton(QStringLiteral("Load a game"), false)
            .save(Path(folder + QStringLiteral("load.bmp")), "BMP");
        PaintWelcomeButton(QStringLiteral("Leave"), false)
            .save(Path(folder + QStringLiteral("exit.bmp")), "BMP");
        PaintWelcomeTile().save(Path(folder + QStringLiteral("tile.bmp")), "BMP");
        project_.WriteRecords(folder + QStringLiteral("Scheme.txt"), [](storyloom::SeqWriter& out) {
            Fields w(out);
            w.Str(QStringLiteral("Lantern"));
            w.Str(QStringLiteral("Storyloom scheme"));
            w.Int(1);
            w.Int(4);  // pictures: Start, Load, Exit, background tile
            w.Str(QStringLiteral("start.bmp"));
            w.Str(QStringLiteral("load.bmp"));
            w.Str(QStringLiteral("exit.bmp"));
            w.Str(QStringLiteral("tile.bmp"));
            w.Int(4);                                   // colours
            w.Int(ColourValue(QColor(16, 24, 50)));     // window (unused under the tile)
            w.Int(ColourValue(QColor(240, 202, 128)));  // game name
            w.Int(ColourValue(QColor(190, 200, 225)));  // information lines
            w.Int(ColourValue(QColor(252, 236, 196)));  // text buttons
            w.Int(0);
            w.Int(0);
            w.Int(0);
            w.Int(0);  // the game name stays visible
            w.Int(0);
            w.Int(1);  // logo variant
            w.Bool(false);
        });
    }

    void Config() {
        storyloom::GeneralFile g;
        g.ProjectTitle = QStringLiteral("KeepersEvening");
        g.GameName = QStringLiteral("The Keeper\u2019s Evening");
        g.InitialFrameName = QStringLiteral("intro");
        g.GameVersion = QStringLiteral("Version 1.0");
        g.ProjectWidth = kWidth;
        g.ProjectHeight = kHeight;
        g.AuthorName = QStringLiteral("The Storyloom Player team");
        g.AuthorEmail = QStringLiteral("keeper@example.org");
        g.HomepageAddress = QStringLiteral("https://example.org/gull-point");
        g.SchemeName = QStringLiteral("Lantern");
        g.ResolutionChoice = 1;  // 800 x 600
        g.RunInWindow = true;
        g.RunStartupScript = true;
        g.StartupScript = QStringLiteral("KeeperName.Value = \"Morwenna\"\r\nFramesSeen.Value = 0");
        g.RunFrameScript = true;  // on every frame
        g.FrameScript = QStringLiteral("CountFrame");
        project_.WriteGeneral(g);

        // The welcome window's own wording for its three buttons; everything else as built in.
        project_.WriteTexts(2, {QStringLiteral("Begin the evening"), QStringLiteral("  Load..."),
                                QStringLiteral("Leave")});
        project_.WriteVariables(
            {QStringLiteral("HasKey"), QStringLiteral("DoorOpen"), QStringLiteral("OilCan"),
             QStringLiteral("LampLit"), QStringLiteral("BookWritten")},
            {QStringLiteral("KeeperName"), QStringLiteral("FramesSeen"),
             QStringLiteral("LogEntry")});

        project_.WriteMore(QStringLiteral("General"), QStringLiteral("ScriptTimeOut"),
                           QStringLiteral("10"));
        project_.WriteMore(QStringLiteral("General"), QStringLiteral("AllowCreateObject"),
                           QStringLiteral("0"));
        project_.WriteMore(QStringLiteral("General"), QStringLiteral("ProcEncr"),
                           QStringLiteral("0"));
        project_.WriteText(QStringLiteral("Config/Procedures"), Procedures());
        SaveBytes(Path(QStringLiteral("External/readme.txt")),
                  "Files that the game's scripts open or run are kept in this folder.\r\n");
    }

    static QString Procedures() {
        const char* text = R"(Storyloom procedures
1
KeepersEvening
' Shared by the frames and hotspots of The Keeper's Evening. Lasting state lives in the
' game variables; a script's own variables are gone when it ends.

' Runs on every frame opening (the project's frame script).
Sub CountFrame()
    FramesSeen.Value = FramesSeen.Value + 1
End Sub

' The evening clock: every frame the keeper walks through takes five minutes from 7 pm.
Function EveningTime()
    Dim minutes
    minutes = 19 * 60 + 5 * FramesSeen.Value
    EveningTime = (minutes \ 60 - 12) & ":" & Right("0" & (minutes Mod 60), 2) & " pm"
End Function

Sub UnlockDoor()
    DoorOpen.Value = 1
    Message "The key turns with a dry click, and the old door swings inward."
End Sub

Function ReadyToLight()
    ReadyToLight = (OilCan = 1 And LampLit = 0)
End Function

Sub LightLamp()
    If Not ReadyToLight() Then Exit Sub
    LampLit.Value = 1
    Message "The wick catches. The great lens blazes into life."
    ' The view from the sea, once the keeper has had a moment to admire the light.
    CreateTimedEvent 4, "GoToFrame ""ending"", 2, 1", False
End Sub

Function LampState()
    If LampLit.Value = 1 Then
        LampState = "Lamp lit."
    ElseIf OilCan.Value = 1 Then
        LampState = "Oil fetched, lamp not yet lit."
    Else
        LampState = "Lamp dry, oil wanted."
    End If
End Function

Sub WriteLogEntry()
    LogEntry.Value = EveningTime() & ". Wind " & Weather.Value & ". " & LampState()
    BookWritten.Value = 1
    ShowLogEntry
    Message "You write tonight's entry in your neat, upright hand."
End Sub

' The ending's three picture buttons: a Menulet strip under the farewell lines.
Sub ShowFarewellButtons()
    If DoesComponentExist("Farewell") Then Exit Sub
    AddComponent "Menulet.MenuletControlRELEASE1", "Farewell", False, False
    Dim strip
    Set strip = Component("Farewell")
    strip.HideAllButtons
    strip.ShowButton 1
    strip.ShowButton 2
    strip.ShowButton 3
    strip.Move 42 * 15, 300 * 15
    strip.Visible = True
End Sub

' A click on one of the ending's buttons (its number is the event's only parameter).
Sub Farewell_ButtonClick(parameters)
    Select Case parameters(1)
        Case 1
            Message "The beam sweeps the bay once every ten seconds, as it has for a hundred years."
        Case 2
            Message "A fishing boat rounds the point and blinks its lantern twice: thank you."
        Case 3
            Message KeeperName.Value & " pours a mug of tea and settles in for the long watch."
    End Select
End Sub

Sub ShowLogEntry()
    Text(2).Caption = KeeperName.Value & ", keeper:" & vbCrLf & Replace(LogEntry.Value, ". ", "." & vbCrLf)
End Sub)";
        QString s = QString::fromUtf8(text);
        s.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        return s + QStringLiteral("\r\n");
    }

    void Plugin() {
        // The list of plug-ins: ten values the player passes over, then the names.
        project_.WriteRecords(QStringLiteral("Config/Plugins"), [](storyloom::SeqWriter& out) {
            Fields list(out);
            for (int i = 0; i < 10; ++i) list.Int(0);
            list.Str(QStringLiteral("Weather"));
        });

        project_.WriteRecords(QStringLiteral("CPData/Weather.cp"), [](storyloom::SeqWriter& out) {
            Fields w(out);
            w.Int(1);  // format version
            w.Str(QStringLiteral("Weather"));
            w.Str(QStringLiteral("1.0"));
            w.Str(QStringLiteral("The Storyloom Player team"));
            w.Str(QString());
            w.Int(0);
            w.Int(0);
            w.Int(0);
            w.Bool(false);  // compiled
            w.Bool(false);  // protected: the code is stored plain
            w.Str(QStringLiteral("Weather"));
            w.Str(QStringLiteral("Keeps the wind report for the keeper's log."));
            w.Str(QString());
            w.Str(QStringLiteral("WEATHER"));                             // action identifier
            w.Str(Quote254(QStringLiteral("Weather.Value = \"calm\"")));  // game start
            w.Str(Quote254(QStringLiteral("WeatherReports.Value = WeatherReports.Value + 1")));
            w.Str(Quote254(QStringLiteral(
                "Sub WeatherFrame(wind)\r\n"
                "    Weather.Value = wind\r\n"
                "End Sub\r\n"
                "\r\n"
                "Sub WeatherAction(what)\r\n"
                "    SkyWatched.Value = 1\r\n"
                "    Message \"You study the \" & what & \". Wind \" & Weather.Value & \": a fair "
                "night for the lamp.\"\r\n"
                "End Sub")));
            w.List({QStringLiteral("SkyWatched"), QStringLiteral("WeatherReports")});
            w.List({QStringLiteral("Weather")});
            w.Bool(false);
            w.Bool(false);
            w.Str(QString());
            w.Str(QString());
            w.Str(QStringLiteral("WeatherFrame"));
            w.Str(QString());
            w.Str(QStringLiteral("WeatherAction"));
            w.Int(1);  // one parameter described for the authoring tool
            w.Str(QStringLiteral("Wind"));
            w.Str(QStringLiteral("calm"));
            w.Int(0);
        });
    }

    void WriteFrame(const Frame& f) {
        project_.WriteFrame(f.name, FrameSettingsOf(f));
        project_.WriteHotspotCount(f.name, int(f.hotspots.size()));
        const auto hotspots = HotspotsOf(f.hotspots);
        const auto actions = ActionsOf(f.actions);
        const auto texts = TextsOf(f.texts);
        if (!f.dialogue.empty())
            project_.WriteFile(QStringLiteral("FramesData/") + f.name + QStringLiteral(".dlg"),
                               storyloom::WriteDialogue(f.dialogue));
        if (f.merged) {
            // The authoring tool keeps the frame's own records beside the merged result, which
            // the player prefers.
            storyloom::WriteHotspots(project_, f.name, hotspots, QStringLiteral("mr2"));
            storyloom::WriteActions(project_, f.name, actions, QStringLiteral("mr3"));
            storyloom::WriteTextBoxes(project_, f.name, texts, QStringLiteral("mr1"));
            storyloom::WriteHotspots(project_, f.name,
                                     {hotspots.begin(), hotspots.begin() + f.ownHotspots});
            storyloom::WriteActions(project_, f.name,
                                    {actions.begin(), actions.begin() + f.ownHotspots});
            storyloom::WriteTextBoxes(project_, f.name,
                                      {texts.begin(), texts.begin() + f.ownTexts});
        } else {
            if (!hotspots.empty()) {
                storyloom::WriteHotspots(project_, f.name, hotspots);
                storyloom::WriteActions(project_, f.name, actions);
            }
            if (!texts.empty()) storyloom::WriteTextBoxes(project_, f.name, texts);
        }
        if (!f.drops.empty())
            storyloom::WriteActions(project_, f.name, ActionsOf(f.drops), QStringLiteral("fm0"));
        if (!f.pickUps.empty()) storyloom::WritePickUps(project_, f.name, f.pickUps);
    }

    // The keeper's items: their files, icons (GIF, transparent around the object) and what
    // two of them make together.
    void Items() {
        auto icon = [this](const QString& name, const QString& file,
                           const std::function<void(QPainter&)>& paint) {
            QImage image(32, 32, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            paint(p);
            p.end();
            SaveBytes(Path(QStringLiteral("Areas/") + file), GifBytes(image));
            storyloom::WriteItem(project_, name, file);
        };
        const QColor brass(214, 170, 72), hemp(190, 160, 110);
        auto key = [brass](QPainter& p) {
            p.setPen(QPen(brass.darker(160), 1.5));
            p.setBrush(brass);
            p.drawEllipse(QRectF(3, 10, 12, 12));
            p.drawRect(QRectF(14, 14, 14, 4));
            p.drawRect(QRectF(22, 18, 3, 5));
            p.drawRect(QRectF(26, 18, 2, 4));
            p.setBrush(Qt::transparent);
            p.drawEllipse(QRectF(6.5, 13.5, 5, 5));
        };
        icon(QStringLiteral("Brass key"), QStringLiteral("brasskey.gif"), key);
        icon(QStringLiteral("Cord"), QStringLiteral("cord.gif"), [hemp](QPainter& p) {
            p.setPen(QPen(hemp, 3, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(5, 5, 22, 22));
            p.drawEllipse(QRectF(9, 9, 14, 14));
            p.drawLine(QPointF(16, 27), QPointF(22, 30));
        });
        icon(QStringLiteral("Key on a cord"), QStringLiteral("keycord.gif"), [&](QPainter& p) {
            p.setPen(QPen(hemp, 2.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(9, 16), QPointF(4, 3));
            p.drawLine(QPointF(4, 3), QPointF(28, 3));
            key(p);
        });
        storyloom::AuthoredCombination tie;
        tie.DraggedDisappears = true;
        tie.TargetDisappears = true;
        tie.GiveItemOn = true;
        tie.GiveItemName = QStringLiteral("Key on a cord");
        tie.ScriptOn = true;
        tie.ScriptCode = QStringLiteral("Message \"You thread the cord through the key's bow.\"");
        storyloom::WriteCombination(project_, QStringLiteral("Cord"), QStringLiteral("Brass key"),
                                    tie);

        // The gull over the shore: four beats of its wings.
        std::vector<QImage> gull;
        for (int beat = 0; beat < 4; ++beat) {
            QImage image(kGull.size(), QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            const double lift = std::array<double, 4>{-12, -4, 6, -4}[std::size_t(beat)];
            const QPointF body(32, 22);
            QPainterPath wings;
            wings.moveTo(body + QPointF(-28, lift));
            wings.quadTo(body + QPointF(-14, lift * 0.2 - 6), body);
            wings.quadTo(body + QPointF(14, lift * 0.2 - 6), body + QPointF(28, lift));
            p.setPen(QPen(QColor(245, 242, 236), 3.5, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(wings);
            p.setPen(QPen(QColor(70, 70, 80), 1.2));
            p.drawPath(wings);
            p.setBrush(QColor(250, 248, 240));
            p.setPen(Qt::NoPen);
            p.drawEllipse(body + QPointF(0, 2), 6, 3.5);
            p.setBrush(QColor(232, 170, 40));
            p.drawEllipse(body + QPointF(6, 1), 2, 1.2);
            p.end();
            gull.push_back(image);
        }
        SaveBytes(Path(QStringLiteral("Areas/gull.gif")), AnimatedGifBytes(gull, 12));
    }

    // Hotspot rectangles that pictures are cut to.
    static constexpr QRect kKey{296, 508, 64, 40};
    static constexpr QRect kGull{470, 96, 64, 40};
    static constexpr QRect kOilCan{110, 226, 84, 78};
    static constexpr QRect kLens{300, 150, 200, 270};
    static constexpr QRect kGoodNight{600, 500, 170, 50};
    static constexpr QRect kHatch{24, 460, 190, 140};

    std::vector<Frame> Frames() const {
        const QString hand = QStringLiteral("hand.cur");
        const QString walk = QStringLiteral("walk.cur");
        const QString serif = QStringLiteral("Times New Roman");
        std::vector<Frame> frames;

        {  // The title card: a plain colour, three text boxes, and a timer to the shore.
            Frame f;
            f.name = QStringLiteral("intro");
            f.backgroundType = 0;
            f.background = QString::number(ColourValue(QColor(14, 20, 44)));
            f.timer = true;
            f.timerSeconds = 6;
            f.timerTarget = QStringLiteral("shore");
            f.timerTransition = true;
            f.timerTransitionMs = 1200;
            f.timerTransitionNumber = 1;
            f.frameSound = QStringLiteral("bell.wav");
            const QString title = QStringLiteral("The Keeper\u2019s Evening");
            const QString subtitle = QStringLiteral("Gull Point Light, late October");
            const QString hint = QStringLiteral("Click anywhere to begin");
            const QString ornament = QStringLiteral("\u00b7   \u00b7   \u00b7");
            f.texts = {
                Label(QStringLiteral("Title"), title,
                      {CentredLeft(title, serif, 36, true, false, 400), 210}, true, false, serif,
                      36, kGold),
                Label(QStringLiteral("Subtitle"), subtitle,
                      {CentredLeft(subtitle, serif, 16, false, true, 400), 282}, false, true, serif,
                      16, QColor(196, 200, 228)),
                Label(QStringLiteral("Hint"), hint,
                      {CentredLeft(hint, QStringLiteral("Arial"), 10, false, false, 400), 520},
                      false, false, QStringLiteral("Arial"), 10, QColor(140, 146, 180)),
                Label(QStringLiteral("Ornament"), ornament,
                      {CentredLeft(ornament, serif, 16, true, false, 400), 326}, true, false, serif,
                      16, kGold),
            };
            f.hotspots = {Spot(QStringLiteral("Begin"), QRect(0, 0, 800, 600), {}, hand)};
            Action begin;
            begin.name = QStringLiteral("Begin");
            begin.goToFrame = QStringLiteral("shore");
            begin.transition = 1;
            begin.transitionMs = 1000;
            f.actions = {begin};
            frames.push_back(f);
        }
        {  // The shore at sunset.
            Frame f;
            f.name = QStringLiteral("shore");
            f.background = QStringLiteral("shore.jpg");
            f.music = QStringLiteral("surf.wav");
            f.pluginSettings =
                PluginCall(QStringLiteral("WEATHER"), {QStringLiteral("westerly, rising")});
            f.texts = {Label(QStringLiteral("Place"),
                             QStringLiteral("Gull Point \u2014 seven o\u2019clock"), {24, 16},
                             false, true, serif, 16, kCream)};
            f.hotspots = {
                Spot(QStringLiteral("Key"), kKey, QStringLiteral("key.gif"), hand,
                     {QStringLiteral("HasKey")}, {}),
                Spot(QStringLiteral("Path"), QRect(560, 330, 200, 160), {}, walk),
                Spot(QStringLiteral("Rowboat"), QRect(56, 462, 210, 76), {}, hand),
                Spot(QStringLiteral("Sky"), QRect(20, 60, 380, 200), {}, QString()),
                Spot(QStringLiteral("Gull"), kGull, QStringLiteral("gull.gif"), hand),
            };
            f.hotspots.back().animated = true;
            Action key;
            key.name = QStringLiteral("Key");
            key.changeVariable = QStringLiteral("HasKey");
            key.setTrue = true;
            key.disappear = true;
            key.message =
                QStringLiteral("Under the usual stone: the brass key of the lighthouse door.");
            key.hotspotSound = QStringLiteral("chime.wav");
            Action path;
            path.name = QStringLiteral("Path");
            path.goToFrame = QStringLiteral("door");
            path.transition = 3;
            path.transitionMs = 700;
            Action boat;
            boat.name = QStringLiteral("Rowboat");
            boat.message = QStringLiteral(
                "Your old rowboat, hauled up above the tide line. No fishing tonight: the lamp "
                "comes first. You take a length of cord from its locker.");
            boat.messageInStrip = false;
            boat.giveItem = QStringLiteral("Cord");
            Action sky;
            sky.name = QStringLiteral("Sky");
            sky.pluginActions = PluginCall(QStringLiteral("WEATHER"), {QStringLiteral("sky")});
            sky.video = QStringLiteral("gulls.avi");
            sky.videoAt = QPoint(90, 90);
            Action gull;
            gull.name = QStringLiteral("Gull");
            gull.message = QStringLiteral("A herring gull, riding the westerly.");
            f.actions = {key, path, boat, sky, gull};
            f.pickUps = {{1, QStringLiteral("Brass key")}};
            // Whatever the keeper offers the gull, it only wants fish.
            Action offer;
            offer.dropKey = QStringLiteral("5_Cord.drg");
            offer.message = QStringLiteral("The gull eyes the cord, then you: it only wants fish.");
            f.drops = {offer};
            frames.push_back(f);
        }
        {  // The lighthouse door.
            Frame f;
            f.name = QStringLiteral("door");
            f.background = QStringLiteral("door.jpg");
            f.music = QStringLiteral("surf.wav");
            f.script = QStringLiteral(
                "If HasKey = 1 And DoorOpen.Value = 0 Then Message \"The key is cold in your "
                "hand.\"");
            const QString plaque = QStringLiteral("GULL POINT LIGHT \u00b7 1887");
            f.texts = {Label(QStringLiteral("Plaque"), plaque,
                             {CentredLeft(plaque, serif, 11, true, false, 400), 114}, true, false,
                             serif, 11, QColor(240, 210, 150))};
            const QRect door(318, 200, 164, 340);
            f.hotspots = {
                Spot(QStringLiteral("Locked door"), door, {}, hand, {QStringLiteral("HasKey")}, {}),
                Spot(QStringLiteral("Unlock the door"), door, {}, hand, {},
                     {QStringLiteral("HasKey")}),
                Spot(QStringLiteral("Back to the shore"), QRect(0, 440, 150, 160), {}, walk),
            };
            Action locked;
            locked.name = QStringLiteral("Locked door");
            locked.message = QStringLiteral(
                "Locked. The spare key is hidden on the shore, under the usual stone.");
            Action unlock;
            unlock.name = QStringLiteral("Unlock the door");
            unlock.script = QStringLiteral("UnlockDoor");
            unlock.hotspotSound = QStringLiteral("creak.wav");
            unlock.goToFrame = QStringLiteral("stairs");
            unlock.transition = 1;
            unlock.transitionMs = 900;
            Action back;
            back.name = QStringLiteral("Back to the shore");
            back.goToLastVisited = true;
            f.actions = {locked, unlock, back};
            // The key on its cord, dropped on the door, unlocks it and stays in the lock.
            Action unlockWithKey = unlock;
            unlockWithKey.name.clear();
            unlockWithKey.dropKey = QStringLiteral("2_Key on a cord.drg");
            unlockWithKey.disappear = true;
            f.drops = {unlockWithKey};
            frames.push_back(f);
        }
        {  // Inside: the spiral stairs.
            Frame f;
            f.name = QStringLiteral("stairs");
            f.background = QStringLiteral("stairs.jpg");
            f.stopAllSounds = true;  // the surf stays outside
            f.frameSound = QStringLiteral("steps.wav");
            f.hotspots = {
                Spot(QStringLiteral("Oil can"), kOilCan, QStringLiteral("oilcan.bmp"), hand,
                     {QStringLiteral("OilCan")}, {}),
                Spot(QStringLiteral("Up"), QRect(330, 60, 300, 200), {}, walk),
                Spot(QStringLiteral("Out"), QRect(30, 420, 120, 180), {}, walk),
            };
            Action oil;
            oil.name = QStringLiteral("Oil can");
            oil.changeVariable = QStringLiteral("OilCan");
            oil.setTrue = true;
            oil.disappear = true;
            oil.message = QStringLiteral("A full can of lamp oil, heavy and smelling of paraffin.");
            oil.hotspotSound = QStringLiteral("chime.wav");
            Action up;
            up.name = QStringLiteral("Up");
            up.goToFrame = QStringLiteral("lamproom");
            up.transition = 4;
            up.transitionMs = 800;
            Action out;
            out.name = QStringLiteral("Out");
            out.goToFrame = QStringLiteral("door");
            out.transition = 1;
            out.transitionMs = 600;
            f.actions = {oil, up, out};
            // The keeper talks herself up the tower.
            auto who = Question(QStringLiteral("Who left the lamp unlit tonight?"), 1, true,
                                QStringLiteral("Young Tom, off to the village dance. It falls to "
                                               "you again."));
            who.RevealIds = {2, 3};
            who.HideIds = {1};
            auto oilStore = Question(QStringLiteral("Where is the lamp oil kept?"), 2, false,
                                     QStringLiteral("In the store, right here on the stairs."));
            oilStore.TimedAnswer = true;
            oilStore.AnswerSeconds = 3;
            auto dark = Question(QStringLiteral("How long until dark?"), 3, false,
                                 QStringLiteral("Twenty minutes, by the colour of the water."));
            auto outside = Question(QStringLiteral("Step outside to check the door"), 4, true,
                                    QStringLiteral("The door stands open behind you."));
            outside.Hotspot1 = 3;
            auto enough = Question(QStringLiteral("Enough talk. The lamp is waiting."), 5, true,
                                   QStringLiteral("Up the stairs, then."));
            enough.EndsDialogue = true;
            enough.TimedAnswer = true;
            enough.AnswerSeconds = 2;
            f.dialogue = {who, oilStore, dark, outside, enough};
            frames.push_back(f);
        }
        const TextBox clock = Label(QStringLiteral("Clock"), QStringLiteral("The lamp room"),
                                    {24, 12}, false, true, serif, 16, kCream);
        Hotspot hatch = Spot(QStringLiteral("Down the stairs"), kHatch, QString(), walk);
        Action down;
        down.name = QStringLiteral("Down the stairs");
        down.goToFrame = QStringLiteral("stairs");
        down.transition = 5;
        down.transitionMs = 800;
        {  // The lamp room at the top of the tower.
            Frame f;
            f.name = QStringLiteral("lamproom");
            f.background = QStringLiteral("lamproom.jpg");
            f.pluginSettings =
                PluginCall(QStringLiteral("WEATHER"), {QStringLiteral("westerly, easing")});
            f.script = QStringLiteral("Text(1).Caption = \"The lamp room, \" & EveningTime()");
            // The lamp's hum on the music channel, at once (the way up has its transition).
            f.channels.resize(6);
            f.channels[5] = storyloom::ChannelRow{0, false, true, 5, QStringLiteral("hum.wav")};
            f.texts = {clock};
            f.hotspots = {
                Spot(QStringLiteral("Dry lamp"), kLens, {}, hand, {QStringLiteral("OilCan")}, {}),
                Spot(QStringLiteral("Light the lamp"), kLens, {}, hand, {QStringLiteral("LampLit")},
                     {QStringLiteral("OilCan")}),
                Spot(QStringLiteral("Lit lamp"), kLens, QStringLiteral("litlens.gif"), hand, {},
                     {QStringLiteral("LampLit")}),
                Spot(QStringLiteral("Logbook"), QRect(620, 410, 140, 50), {}, hand),
                hatch,
            };
            Action dry;
            dry.name = QStringLiteral("Dry lamp");
            dry.message =
                QStringLiteral("The lamp is dry. The oil is kept in the store on the stairs.");
            Action light;
            light.name = QStringLiteral("Light the lamp");
            light.script = QStringLiteral("LightLamp");
            light.frameSound = QStringLiteral("ignite.wav");
            // The lamp's hum swells as the flame takes, over two seconds.
            light.channels.resize(6);
            for (auto& e : light.channels) e.Volume = 0;
            light.channels[5] = storyloom::AuthoredChannelEntry{4, true, false, 9, QString()};
            light.fadeMs = 2000;
            Action lit;
            lit.name = QStringLiteral("Lit lamp");
            lit.message = QStringLiteral("Strong and steady. Ships will see it twenty miles out.");
            Action book;
            book.name = QStringLiteral("Logbook");
            book.goToFrame = QStringLiteral("logbook");
            f.actions = {dry, light, lit, book, down};
            frames.push_back(f);
        }
        {  // The logbook close-up: the lamp room's way down is merged into it.
            Frame f;
            f.name = QStringLiteral("logbook");
            f.background = QStringLiteral("logbook.jpg");
            // The hum gives way to a soft chord over three seconds.
            f.channels.resize(6);
            f.channels[5] = storyloom::ChannelRow{0, true, true, 7, QStringLiteral("pad.wav")};
            f.fadeMs = 3000;
            f.merged = true;
            f.ownHotspots = 2;
            f.ownTexts = 2;
            f.script = QStringLiteral(
                "Text(GetMergedTextIndex()).Caption = \"The lamp room, \" & EveningTime()\r\n"
                "If BookWritten.Value = 1 Then ShowLogEntry");
            TextBox mergedClock = clock;
            mergedClock.merged = 1;
            f.texts = {
                Label(QStringLiteral("Heading"), QStringLiteral("Tonight"), {424, 98}, true, true,
                      serif, 18, QColor(90, 40, 40)),
                Label(QStringLiteral("Entry"), QStringLiteral("[empty]"), {424, 150}, false, true,
                      serif, 14, QColor(36, 40, 96)),
                mergedClock,
            };
            Hotspot mergedHatch = hatch;
            mergedHatch.merged = 1;
            f.hotspots = {
                Spot(QStringLiteral("Write"), QRect(410, 110, 240, 340), {}, hand),
                Spot(QStringLiteral("Close"), QRect(584, 38, 92, 38), {}, hand),
                mergedHatch,
            };
            Action write;
            write.name = QStringLiteral("Write");
            write.script = QStringLiteral("WriteLogEntry");
            write.hotspotSound = QStringLiteral("quill.wav");
            Action close;
            close.name = QStringLiteral("Close");
            close.script = QStringLiteral("GoToFrame \"last visited frame\", 0, 0");
            f.actions = {write, close, down};
            frames.push_back(f);
        }
        {  // The light seen from the sea.
            Frame f;
            f.name = QStringLiteral("ending");
            f.background = QStringLiteral("ending.jpg");
            f.music = QStringLiteral("surf.wav");
            f.frameSound = QStringLiteral("horn.wav");
            f.timer = true;
            f.timerSeconds = 45;
            f.timerTarget = QStringLiteral("[quit]");
            f.script = QStringLiteral(
                "Text(3).Caption = KeeperName.Value & \" lit the lamp at \" & EveningTime() & "
                "\".\"\r\n"
                "ShowFarewellButtons");
            f.texts = {
                Label(QStringLiteral("Line 1"), QStringLiteral("The light burns over Gull Point."),
                      {40, 196}, false, true, serif, 22, kGold),
                Label(QStringLiteral("Line 2"),
                      QStringLiteral("Out on the water, the night boats find their way home."),
                      {42, 236}, false, false, serif, 14, QColor(210, 214, 236)),
                Label(QStringLiteral("Line 3"), QStringLiteral("[empty]"), {42, 262}, false, true,
                      serif, 12, QColor(160, 170, 210)),
            };
            f.hotspots = {Spot(QStringLiteral("Good night"), kGoodNight,
                               QStringLiteral("goodnight.bmp"), hand)};
            Action quit;
            quit.name = QStringLiteral("Good night");
            quit.quit = true;
            f.actions = {quit};
            frames.push_back(f);
        }
        return frames;
    }
};

}  // namespace
}  // namespace demo

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: demo-assets GAME_FOLDER\n";
        return 2;
    }
    try {
        demo::Builder(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath()).Run();
    } catch (const std::exception& e) {
        QTextStream(stderr) << "demo-assets: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
