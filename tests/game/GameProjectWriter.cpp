#include "GameProjectWriter.h"

#include <QDir>
#include <QFileInfo>
#include <functional>

namespace storyloom::test {

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
    void List(const QStringList& names) {
        Int(names.size());
        for (const QString& name : names) Str(name);
    }
    void Separator() {
        if (Cut()) return;
        w_.WriteString(kSeparatorText);
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

QString Bars(QString s) {
    s.replace(u'"', u'|');
    return s;
}

}  // namespace

void WriteHotspots(const ProjectWriter& project, const QString& frame,
                   const std::vector<HotspotRecord>& records, const QString& ext) {
    project.WriteRecords(QStringLiteral("FramesData/") + frame + QStringLiteral(".") + ext,
                         [&](SeqWriter& w) {
                             for (const HotspotRecord& h : records) {
                                 FieldWriter f(w, 0, {}, h.cutAfterField);
                                 f.Int(0);
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
                    const std::vector<TextRecord>& records, const QString& ext) {
    project.WriteRecords(QStringLiteral("FramesData/") + frame + QStringLiteral(".") + ext,
                         [&](SeqWriter& w) {
                             for (const TextRecord& t : records) {
                                 FieldWriter f(w, t.rawField, t.rawText);
                                 f.Int(0);
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
                  const std::vector<ActionRecord>& records, const QString& ext) {
    project.WriteRecords(QStringLiteral("FramesData/") + frame + QStringLiteral(".") + ext,
                         [&](SeqWriter& w) {
                             for (const ActionRecord& a : records) {
                                 // The ten leading fields are not counted: rawField numbers the
                                 // block's fields.
                                 FieldWriter lead(w, 0, {});
                                 lead.Int(0);
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
                                     f.Str(Bars(a.ScriptCode));
                                 }
                                 if (!done(9)) f.Int(a.TransitionNumber);
                                 if (!done(10)) {
                                     for (int i = 0; i < 6; ++i) f.Int(0);
                                     f.Num(a.FadeDurationMs);
                                     f.Int(0);
                                     f.Int(a.ChannelFieldCount);
                                     f.Int(static_cast<qint64>(a.Channels.size()));
                                     for (const ChannelEntry& c : a.Channels) {
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

QImage SolidImage(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

}  // namespace storyloom::test
