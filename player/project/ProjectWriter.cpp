#include "project/ProjectWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <stdexcept>

#include "platform/files/FileSystem.h"
#include "platform/ini/IniFile.h"
#include "platform/text/Codepage1252.h"
#include "project/RecordFields.h"

namespace storyloom {

namespace {

constexpr char kKey[] = "qmvaxhpzlukwrsbyignte";

qint64 Modulo(qint64 v, qint64 m) {
    const qint64 r = v % m;
    return r < 0 ? r + m : r;
}

int Exchange(int c) {
    return c == 32 ? 34 : c == 34 ? 32 : c;
}

QString ToBars(const QString& script) {
    QString s = script;
    s.replace(u'"', u'|');
    return s;
}

}  // namespace

QByteArray ScrambleLine(const QByteArray& plain, qint64 offset, char base) {
    const qsizetype n = plain.size();
    QByteArray out(n + 1, '\0');
    out[0] = base;
    const qint64 b = static_cast<unsigned char>(base) - 32;
    for (qsizetype i = 0; i < n; ++i) {
        const int p = static_cast<unsigned char>(plain.at(i));
        int s = p;
        if (p >= 32 && p <= 126)
            s = static_cast<int>(Modulo(p - 32 + offset + (i + b) * (kKey[i % 21] - 32), 94) + 32);
        out[n - i] = static_cast<char>(s);
    }
    return out;
}

QByteArray ScrambleLine2(const QByteArray& plain, qint64 offset, char base) {
    const qsizetype n = plain.size();
    QByteArray out(n + 1, '\0');
    out[0] = base;
    const qint64 b = static_cast<unsigned char>(base) - 35;
    for (qsizetype i = 0; i < n; ++i) {
        const int p = static_cast<unsigned char>(plain.at(i));
        // The inverse of the reader: blank and double quote trade places on the way in and out.
        int q = Exchange(p);
        if (q >= 33 && q <= 126)
            q = static_cast<int>(Modulo(q - 33 + offset + (i + b) * (kKey[i % 21] - 32), 93) + 33);
        out[n - i] = static_cast<char>(Exchange(q));
    }
    return out;
}

ProjectWriter::ProjectWriter() : temp_(std::in_place) {
    if (!temp_->isValid()) throw std::runtime_error("cannot create a temp folder");
    root_ = temp_->path();
}

ProjectWriter::ProjectWriter(const QString& nativeRoot) : root_(nativeRoot) {
    QDir().mkpath(root_);
}

QString ProjectWriter::NativePath(const QString& relativePath) const {
    QString rel = relativePath;
    rel.replace(u'\\', u'/');
    return root_ + u'/' + rel;
}

void ProjectWriter::WriteFile(const QString& relativePath, const QByteArray& bytes) const {
    const QString path = NativePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    file.write(bytes);
}

void ProjectWriter::WriteText(const QString& relativePath, const QString& text) const {
    WriteFile(relativePath, ToCp1252(text));
}

void ProjectWriter::WriteRecords(const QString& relativePath,
                                 const std::function<void(SeqWriter&)>& fill) const {
    SeqWriter writer;
    fill(writer);
    WriteFile(relativePath, writer.Bytes());
}

void ProjectWriter::MakeFolder(const QString& relativePath) const {
    QDir().mkpath(NativePath(relativePath));
}

void ProjectWriter::Remove(const QString& relativePath) const {
    const QString path = NativePath(relativePath);
    if (QFileInfo(path).isDir())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

void ProjectWriter::WriteGeneral(const GeneralFile& g, const QString& relativePath) const {
    WriteRecords(relativePath, [&g](SeqWriter& w) {
        int field = 0;
        // Each field is one record; stop after the last field wanted.
        auto put = [&](const std::function<void()>& write) {
            if (++field > g.lastField) return;
            write();
            w.EndRecord();
        };
        auto str = [&](const QString& s) { put([&] { w.WriteString(s); }); };
        auto num = [&](qint64 v) { put([&] { w.WriteInteger(v); }); };
        auto flag = [&](bool v) { put([&] { w.WriteBoolean(v); }); };
        str(g.ProjectTitle);                // 1
        str(QStringLiteral("editor"));      // 2
        str(g.GameName);                    // 3
        num(1);                             // 4
        str(g.InitialFrameName);            // 5
        str(g.GameVersion);                 // 6
        num(g.ProjectWidth);                // 7
        num(g.ProjectHeight);               // 8
        str(g.AuthorName);                  // 9
        str(g.AuthorEmail);                 // 10
        str(g.HomepageAddress);             // 11
        num(g.OfferResolutionChange);       // 12
        num(0);                             // 13
        str(QString());                     // 14
        flag(false);                        // 15
        str(g.SchemeName);                  // 16
        num(0);                             // 17
        num(0);                             // 18
        num(0);                             // 19
        flag(g.DisableLoadGame);            // 20
        flag(g.DisableSaveGame);            // 21
        flag(false);                        // 22
        str(QStringLiteral("unused"));      // 23
        num(0);                             // 24
        num(g.InventoryOffsetX);            // 25
        num(g.InventoryOffsetY);            // 26
        flag(g.InventoryPopupMode);         // 27
        flag(g.InventorySlideOpen);         // 28
        flag(g.InventorySlideClose);        // 29
        flag(g.HideInventoryWhenEmpty);     // 30
        flag(g.ShowInventoryOnPickUp);      // 31
        flag(g.CustomInventoryPictures);    // 32
        str(g.InventoryButtonPicture);      // 33
        str(g.InventoryBackgroundPicture);  // 34
        num(g.ResolutionChoice);            // 35
        num(0);                             // 36
        str(QString());                     // 37
        str(g.DefaultCursorFile);           // 38
        num(0);                             // 39
        num(0);                             // 40
        flag(g.RunInWindow);                // 41
        flag(false);                        // 42
        flag(g.SkipWelcomeScreen);          // 43
        flag(g.HideLogo);                   // 44
        num(0);                             // 45
        flag(g.NoTransitionsOption);        // 46
        flag(g.NoEffectsOption);            // 47
        flag(g.NeverShowMenus);             // 48
        num(0);                             // 49
        num(0);                             // 50
        str(QString());                     // 51
        flag(g.RunStartupScript);           // 52
        str(ToBars(g.StartupScript));       // 53
        flag(g.RunFrameScript);             // 54
        str(ToBars(g.FrameScript));         // 55
    });
}

void ProjectWriter::WriteTexts(int mode, const QStringList& texts, std::optional<int> count) const {
    WriteRecords(QStringLiteral("Config/Texts"), [&](SeqWriter& w) {
        w.WriteInteger(mode);
        w.EndRecord();
        if (mode != 2) return;
        for (int i = 0; i < 5; ++i) {
            w.WriteString(QStringLiteral("x"));
            w.EndRecord();
        }
        w.WriteInteger(count.value_or(static_cast<int>(texts.size())));
        w.EndRecord();
        for (const QString& t : texts) {
            w.WriteString(t);
            w.EndRecord();
        }
    });
}

void ProjectWriter::WriteVariables(const QStringList& integerNames, const QStringList& variantNames,
                                   bool separator) const {
    WriteRecords(QStringLiteral("Config/Variables"), [&](SeqWriter& w) {
        w.WriteInteger(static_cast<qint64>(integerNames.size() + variantNames.size()));
        w.EndRecord();
        for (const QString& n : integerNames) {
            w.WriteString(n);
            w.EndRecord();
        }
        if (separator || !variantNames.isEmpty()) {
            w.WriteString(QStringLiteral("***"));
            w.EndRecord();
        }
        for (const QString& n : variantNames) {
            w.WriteString(n);
            w.EndRecord();
        }
    });
}

void ProjectWriter::WriteProcedures(const QStringList& lines,
                                    std::optional<qint64> scrambleOffset) const {
    QByteArray bytes = "Procedures\r\n1\r\nheader\r\n";
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = ToCp1252(lines.at(i));
        if (scrambleOffset)
            line = ScrambleLine(line, *scrambleOffset, static_cast<char>(33 + (i * 37) % 94));
        bytes += line + "\r\n";
    }
    WriteFile(QStringLiteral("Config/Procedures"), bytes);
    if (scrambleOffset)
        WriteMore(QStringLiteral("General"), QStringLiteral("ProcEncr"), QStringLiteral("1"));
}

void ProjectWriter::WriteMore(const QString& section, const QString& key,
                              const QString& value) const {
    MakeFolder(QStringLiteral("Config"));
    FileSystem fs;
    if (!WriteIniValue(fs, NativePath(QStringLiteral("Config/More")), section, key, value))
        throw std::runtime_error("cannot write the More file");
}

void ProjectWriter::WriteDiscIndex(int discCount, const std::vector<AuthoredDiscEntry>& entries,
                                   bool marker) const {
    WriteRecords(QStringLiteral("Config/CDContents"), [&](SeqWriter& w) {
        w.WriteString(QStringLiteral("CD Contents"));
        w.WriteInteger(1);
        w.WriteInteger(static_cast<qint64>(entries.size()));
        w.EndRecord();
        w.WriteInteger(discCount);
        w.EndRecord();
        w.WriteInteger(0);
        w.WriteInteger(0);
        w.EndRecord();
        for (const AuthoredDiscEntry& e : entries) {
            w.WriteString(e.Name);
            w.WriteInteger(e.Disc);
            w.WriteInteger(e.Kind);
            w.EndRecord();
        }
    });
    if (marker) WriteFile(QStringLiteral("RunFromCD.dat"), QByteArray());
}

void ProjectWriter::WriteFrame(const QString& name, const FrameFile& f) const {
    WriteRecords(QStringLiteral("Frames/") + name + QStringLiteral(".fme"), [&f](SeqWriter& w) {
        auto rec = [&w]() { w.EndRecord(); };
        w.WriteInteger(f.BackgroundType), rec();
        w.WriteString(f.BackgroundValue), rec();
        w.WriteBoolean(f.BackgroundTiled), rec();
        w.WriteBoolean(f.RestartMusic), rec();
        w.WriteString(f.MusicFile), rec();
        w.WriteBoolean(f.FrameTimerEnabled), rec();
        w.WriteNumber(f.FrameTimerDuration), rec();
        w.WriteString(f.FrameTimerTarget), rec();
        w.WriteString(f.VideoFile), rec();
        w.WriteInteger(0), rec();
        if (f.lastGroup < 2) return;
        w.WriteBoolean(f.StopAllSounds), rec();
        w.WriteBoolean(f.StopFrameSoundIfNone), rec();
        w.WriteString(f.FrameSoundFile), rec();
        if (f.lastGroup < 3) return;
        for (int i = 0; i < 3; ++i) w.WriteInteger(0), rec();
        w.WriteBoolean(f.VideoNaturalSize), rec();
        w.WriteBoolean(f.VideoAtPosition), rec();
        w.WriteInteger(f.VideoLeft), rec();
        w.WriteInteger(f.VideoTop), rec();
        w.WriteInteger(f.VideoWidth), rec();
        w.WriteInteger(f.VideoHeight), rec();
        if (f.lastGroup < 4) return;
        w.WriteBoolean(f.MusicLoop), rec();
        if (f.lastGroup < 5) return;
        w.WriteBoolean(f.FrameTimerTransition), rec();
        w.WriteInteger(f.FrameTimerTransitionDuration), rec();
        if (f.lastGroup < 6) return;
        w.WriteInteger(f.FrameTimerTransitionNumber), rec();
        if (f.lastGroup < 7) return;
        w.WriteBoolean(f.RunLocalScript), rec();
        w.WriteString(ToBars(f.LocalScript)), rec();
        if (f.lastGroup < 8) return;
        for (int i = 0; i < 6; ++i) w.WriteInteger(0), rec();
        w.WriteNumber(f.ChannelFadeDuration), rec();
        w.WriteInteger(0), rec();
        w.WriteInteger(f.ChannelColumns), rec();
        w.WriteInteger(static_cast<qint64>(f.channels.size())), rec();
        for (const ChannelRow& row : f.channels) {
            if (f.ChannelColumns >= 1) w.WriteNumber(row.Mode);
            if (f.ChannelColumns >= 2) w.WriteBoolean(row.CrossFade);
            if (f.ChannelColumns >= 3) w.WriteBoolean(row.Repeat);
            if (f.ChannelColumns >= 4) w.WriteNumber(row.Volume);
            if (f.ChannelColumns >= 5) w.WriteString(row.FileName);
            for (int c = 6; c <= f.ChannelColumns; ++c) w.WriteInteger(0);
            rec();
        }
        if (f.lastGroup < 9) return;
        w.WriteBoolean(f.VideoBeforeFrame), rec();
        if (f.lastGroup < 10) return;
        QString plugin = f.PluginSettings;
        plugin.replace(u'"', QChar(0x00FE));
        w.WriteString(plugin), rec();
    });
}

void ProjectWriter::WriteHotspotCount(const QString& frameName, int count) const {
    WriteRecords(QStringLiteral("Frames/") + frameName + QStringLiteral(".lks"),
                 [count](SeqWriter& w) {
                     w.WriteInteger(count);
                     w.EndRecord();
                 });
}

void ProjectWriter::WriteWaterEffect(const QString& frameName, int left, int top, int width,
                                     int height, int waveParameter, int speed, bool reverse,
                                     const QImage& mask, bool withReverse) const {
    WriteRecords(QStringLiteral("Frames/") + frameName + QStringLiteral(".rwe"), [&](SeqWriter& w) {
        // The authoring tool's own fields: the file's version and the editor's view of it.
        w.WriteInteger(1), w.EndRecord();
        w.WriteString(frameName), w.EndRecord();
        for (int i = 0; i < 4; ++i) w.WriteInteger(0), w.EndRecord();
        for (int v : {left, top, width, height, waveParameter, speed})
            w.WriteInteger(v), w.EndRecord();
        if (withReverse) w.WriteBoolean(reverse), w.EndRecord();
    });
    if (!mask.isNull())
        WritePicture(*this, QStringLiteral("Frames/") + frameName + QStringLiteral(".rwm"), mask);
}

namespace {

// Writes one field per line, as the authoring tool does; `n` counts the fields of a record so
// that a test can replace one with raw text or cut the record after it.
class FieldWriter {
  public:
    FieldWriter(SeqWriter& w, int rawField, QString rawText, int cutAfter = 0)
        : w_(w), rawField_(rawField), rawText_(std::move(rawText)), cutAfter_(cutAfter) {}
    bool Cut() const { return cutAfter_ > 0 && n_ >= cutAfter_; }
    void Field(const std::function<void()>& write) {
        if (Cut()) return;
        ++n_;
        if (n_ == rawField_) {
            w_.WriteLine(rawText_);
            return;
        }
        write();
        w_.EndRecord();
    }
    void Int(qint64 v) {
        Field([&] { w_.WriteInteger(v); });
    }
    void Num(double v) {
        Field([&] { w_.WriteNumber(v); });
    }
    void Bool(bool v) {
        Field([&] { w_.WriteBoolean(v); });
    }
    void Str(const QString& v) {
        Field([&] { w_.WriteString(v); });
    }
    // Field 1 of a record: a name for the reader, or 0 as the tests write it.
    void NameOrZero(const QString& name) {
        if (name.isEmpty())
            Int(0);
        else
            Str(name);
    }
    void List(const QStringList& names) {
        Int(names.size());
        for (const QString& name : names) Str(name);
    }
    void Separator() {
        if (Cut()) return;
        w_.WriteString(kRecordSeparator);
        w_.EndRecord();
    }
    void ResetCount() { n_ = 0; }

  private:
    SeqWriter& w_;
    int rawField_;
    QString rawText_;
    int cutAfter_;
    int n_ = 0;
};

}  // namespace

void WriteHotspots(const ProjectWriter& project, const QString& frame,
                   const std::vector<AuthoredHotspot>& records, const QString& ext) {
    project.WriteRecords(QStringLiteral("FramesData/") + frame + QStringLiteral(".") + ext,
                         [&](SeqWriter& w) {
                             for (const AuthoredHotspot& h : records) {
                                 FieldWriter f(w, 0, {}, h.cutAfterField);
                                 f.NameOrZero(h.Name);
                                 f.Int(h.MergedFlag);
                                 for (int i = 3; i <= 10; ++i) f.Int(0);
                                 f.Num(h.Left);
                                 f.Num(h.Top);
                                 f.Num(h.Width);
                                 f.Num(h.Height);
                                 f.Int(h.PictureKind);
                                 f.Bool(h.HasPicture);
                                 f.Str(h.PictureFile);
                                 f.Int(h.StretchPicture);
                                 f.Str(h.PointerFile);
                                 f.Int(h.HasConditions);
                                 f.List(h.HideIfTrue);
                                 f.List(h.ShowIfTrue);
                                 if (h.WithSpeed) {
                                     f.Int(h.AnimationSpeed);
                                     if (h.WithVideo) {
                                         f.Bool(h.HasVideo);
                                         f.Str(h.VideoFile);
                                         f.Int(h.VideoFitHotspot);
                                         f.Int(h.VideoVolume);
                                         f.Int(0);
                                         f.Int(0);
                                         f.Num(h.VideoRate);
                                         f.Int(h.VideoPlayCount);
                                         f.Int(0);
                                         f.Int(0);
                                     }
                                 }
                                 f.Separator();
                                 if (f.Cut()) return;
                             }
                         });
}

void WriteTextBoxes(const ProjectWriter& project, const QString& frame,
                    const std::vector<AuthoredTextBox>& records, const QString& ext) {
    project.WriteRecords(QStringLiteral("FramesData/") + frame + QStringLiteral(".") + ext,
                         [&](SeqWriter& w) {
                             for (const AuthoredTextBox& t : records) {
                                 FieldWriter f(w, t.rawField, t.rawText);
                                 f.NameOrZero(t.Name);
                                 f.Int(t.MergedFlag);
                                 for (int i = 3; i <= 10; ++i) f.Int(0);
                                 f.Str(t.Caption);
                                 f.Num(t.Left);
                                 f.Num(t.Top);
                                 f.Bool(t.Bold);
                                 f.Bool(t.Italic);
                                 f.Str(t.FontName);
                                 f.Num(t.FontSize);
                                 f.Bool(t.Strikethrough);
                                 f.Bool(t.Underline);
                                 f.Int(t.TextColor);
                                 f.Int(0);
                             }
                         });
}

void WriteActions(const ProjectWriter& project, const QString& frame,
                  const std::vector<AuthoredAction>& records, const QString& ext) {
    project.WriteRecords(QStringLiteral("FramesData/") + frame + QStringLiteral(".") + ext,
                         [&](SeqWriter& w) {
                             for (const AuthoredAction& a : records) {
                                 // The ten leading fields are not counted: rawField numbers the
                                 // block's fields.
                                 FieldWriter lead(w, 0, {});
                                 lead.NameOrZero(a.Name);
                                 if (a.DropKey.isEmpty())
                                     lead.Int(0);
                                 else
                                     lead.Str(a.DropKey);
                                 for (int i = 3; i <= 10; ++i) lead.Int(0);
                                 FieldWriter f(w, a.rawField, a.rawText);
                                 f.Int(a.ChangeVariableOn);
                                 f.Str(a.ChangeVariableName);
                                 f.Bool(a.SetFalse);
                                 f.Bool(a.SetTrue);
                                 f.Bool(a.Invert);
                                 f.Bool(a.ShowMessage);
                                 f.Str(a.MessageText);
                                 f.Int(0);
                                 f.Str(QString());
                                 f.Bool(a.DisappearOn);
                                 f.Bool(a.QuitGame);
                                 f.Int(a.GoToFrameOn);
                                 f.Str(a.TargetFrame);
                                 auto done = [&](int group) { return a.lastGroup < group; };
                                 if (!done(1)) {
                                     f.Int(a.StopHotspotSound);
                                     f.Int(a.StopAllSounds);
                                     f.Int(a.PlayVideoOn);
                                     f.Str(a.VideoFile);
                                     f.Bool(a.VideoPlain);
                                     f.Bool(a.VideoAtPosition);
                                     f.Int(a.VideoLeft);
                                     f.Int(a.VideoTop);
                                     f.Int(a.VideoWidth);
                                     f.Int(a.VideoHeight);
                                 }
                                 if (!done(2)) {
                                     f.Bool(a.StopFrameSound);
                                     f.Bool(a.PlayHotspotSound);
                                     f.Str(a.HotspotSoundFile);
                                     f.Bool(a.PlayFrameSound);
                                     f.Str(a.FrameSoundFile);
                                 }
                                 if (!done(3)) {
                                     for (int i = 0; i < 3; ++i) f.Int(0);
                                     f.Bool(a.GoToLastVisited);
                                 }
                                 if (!done(4)) {
                                     for (int i = 0; i < 3; ++i) f.Int(0);
                                     f.Bool(a.MessageMode);
                                 }
                                 if (!done(5)) {
                                     for (int i = 0; i < 3; ++i) f.Int(0);
                                     f.Int(a.VariableListsOn);
                                     f.List(a.SetToZero);
                                     f.List(a.SetToOne);
                                     f.List(a.InvertList);
                                 }
                                 if (!done(6)) f.Bool(a.RepeatHotspotSound);
                                 if (!done(7)) {
                                     f.Int(a.TransitionOn);
                                     f.Num(a.TransitionDurationMs);
                                 }
                                 if (!done(8)) {
                                     f.Bool(a.ScriptOn);
                                     f.Str(ToBars(a.ScriptCode));
                                 }
                                 if (!done(9)) f.Int(a.TransitionNumber);
                                 if (!done(10)) {
                                     for (int i = 0; i < 6; ++i) f.Int(0);
                                     f.Num(a.FadeDurationMs);
                                     f.Int(0);
                                     f.Int(a.ChannelFieldCount);
                                     f.Int(static_cast<qint64>(a.Channels.size()));
                                     for (const AuthoredChannelEntry& c : a.Channels) {
                                         if (a.ChannelFieldCount >= 1) f.Int(c.Mode);
                                         if (a.ChannelFieldCount >= 2) f.Bool(c.CrossFade);
                                         if (a.ChannelFieldCount >= 3) f.Bool(c.Repeat);
                                         if (a.ChannelFieldCount >= 4) f.Num(c.Volume);
                                         if (a.ChannelFieldCount >= 5) f.Str(c.FileName);
                                         for (int k = 6; k <= a.ChannelFieldCount; ++k) f.Int(0);
                                     }
                                 }
                                 if (!done(11)) {
                                     f.Bool(a.GiveItemOn);
                                     f.Str(a.GiveItemName);
                                 }
                                 if (!done(12)) {
                                     QString text = a.PluginActions;
                                     text.replace(u'"', QChar(0x00FE));
                                     f.Str(text);
                                 }
                                 f.Separator();
                             }
                         });
}

void WritePicture(const ProjectWriter& project, const QString& relativePath, const QImage& image) {
    const QString path = project.NativePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    image.save(path, "BMP");
}

void WriteItem(const ProjectWriter& project, const QString& name, const QString& iconFile) {
    project.WriteRecords(QStringLiteral("Areas/") + name + QStringLiteral(".obj"),
                         [&](SeqWriter& w) {
                             w.WriteString(iconFile);
                             w.EndRecord();
                         });
}

void WritePickUps(const ProjectWriter& project, const QString& frame,
                  const std::vector<AuthoredPickUp>& records) {
    project.WriteRecords(QStringLiteral("FramesData/") + frame + QStringLiteral(".fm4"),
                         [&](SeqWriter& w) {
                             for (const AuthoredPickUp& p : records) {
                                 FieldWriter f(w, 0, {});
                                 f.Int(0);
                                 f.Int(p.Hotspot);
                                 for (int i = 3; i <= 10; ++i) f.Int(0);
                                 f.Int(p.Item.isEmpty() ? 0 : 1);
                                 if (!p.Item.isEmpty()) f.Str(p.Item);
                                 f.Separator();
                             }
                         });
}

void WriteCombination(const ProjectWriter& project, const QString& dragged, const QString& target,
                      const AuthoredCombination& c) {
    project.WriteRecords(QStringLiteral("Areas/") + dragged + QStringLiteral("_on_") + target +
                             QStringLiteral(".drg"),
                         [&](SeqWriter& w) {
                             FieldWriter f(w, 0, {});
                             f.Int(c.DraggedDisappears ? 1 : 0);
                             f.Int(c.TargetDisappears ? 1 : 0);
                             f.Int(c.GiveItemOn ? 1 : 0);
                             f.Str(c.GiveItemName);
                             if (!c.withScript) return;
                             for (int i = 5; i <= 7; ++i) f.Int(0);
                             f.Bool(c.ScriptOn);
                             QString code = c.ScriptCode;
                             f.Str(code.replace(u'"', u'|'));
                         });
}

void WriteSoundBlock(SeqWriter& w, const std::vector<SoundBlockEntry>& entries) {
    for (int i = 0; i < 22; ++i) w.WriteInteger(0);
    w.EndRecord();
    for (const SoundBlockEntry& e : entries) {
        w.WriteInteger(0);
        w.WriteBoolean(e.Stop);
        w.WriteBoolean(e.Play);
        w.WriteString(e.FileName);
        w.WriteInteger(e.Repeat);
        w.EndRecord();
    }
}

}  // namespace storyloom
