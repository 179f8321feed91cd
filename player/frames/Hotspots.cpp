// Hotspots: the clickable regions of a frame, one Area control each.
#include <QVariant>
#include <optional>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/Program.h"
#include "frames/Game.h"
#include "frames/RecordFields.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"

namespace storyloom {

namespace {

struct HotspotRecord {
    qint16 MergedFlag = 0;
    double Left = 0, Top = 0, Width = 0, Height = 0;
    double PictureKind = 0;
    bool HasPicture = false;
    QString PictureFile;
    double StretchPicture = 0;
    QString PointerFile;
    double HasConditions = 0;
    QVariant AnimationSpeed;
    bool HasVideo = false;
    QString HotspotVideoFile;
    double VideoFitHotspot = 0;
    double VideoVolume = 0;
    double VideoRate = 0;
    qint32 VideoPlayCount = 0;
};

void SkipNameList(SeqReader& r) {
    const qint32 count = CLng(r.ReadVariant());
    for (qint32 n = 0; n < count; ++n) r.ReadString();
}

// One record, up to and including its separator.
HotspotRecord ReadHotspotRecord(SeqReader& r) {
    HotspotRecord h;
    r.ReadVariant();
    h.MergedFlag = r.ReadInteger();
    for (int f = 3; f <= 10; ++f) r.ReadVariant();
    h.Left = r.ReadDouble();
    h.Top = r.ReadDouble();
    h.Width = r.ReadDouble();
    h.Height = r.ReadDouble();
    h.PictureKind = r.ReadDouble();
    h.HasPicture = r.ReadBoolean();
    h.PictureFile = r.ReadString();
    h.StretchPicture = r.ReadDouble();
    h.PointerFile = r.ReadString();
    h.HasConditions = r.ReadDouble();
    SkipNameList(r);
    SkipNameList(r);
    if (!NextIsSeparator(r)) {
        h.AnimationSpeed = r.ReadVariant();
        if (!NextIsSeparator(r)) {
            h.HasVideo = r.ReadBoolean();
            h.HotspotVideoFile = r.ReadString();
            h.VideoFitHotspot = r.ReadDouble();
            h.VideoVolume = r.ReadDouble();
            r.ReadVariant();
            r.ReadVariant();
            h.VideoRate = r.ReadDouble();
            h.VideoPlayCount = r.ReadLong();
            r.ReadVariant();
            r.ReadVariant();
        }
    }
    // The separator (and anything a newer authoring tool wrote before it).
    SkipToSeparator(r);
    return h;
}

bool IsDefaultName(const QString& file) {
    return file.isEmpty() || file.compare(QStringLiteral("default"), Qt::CaseInsensitive) == 0;
}

}  // namespace

// The hotspot file of the frame on screen: the merged form when it exists.
static std::optional<QString> HotspotFile(const Program& p) {
    const QString base = p.paths.FramesDataPath + p.frame.CurrentFrameName;
    const QString merged = base + QStringLiteral(".mr2");
    if (!p.platform.files.FileExists(merged).isEmpty()) return merged;
    const QString plain = base + QStringLiteral(".fm2");
    if (!p.platform.files.FileExists(plain).isEmpty()) return plain;
    return std::nullopt;
}

void Game::ResetFrameAreas() {
    try {
        Area->UnloadAll();
    } catch (const std::exception&) {
    }
    for (auto& [index, video] : videoPlayers_)
        if (video.player) video.player->Stop();
    videoPlayers_.clear();
    services.animated->UnloadAll();
    areaLink_.clear();
}

void Game::LoadAreas() {
    Program& p = program;
    const std::optional<QString> file = HotspotFile(p);
    if (!file) return;
    p.frame.MergedHotspotIndex = 1;
    std::optional<SeqReader> reader;
    try {
        reader.emplace(OpenSeqFile(p.platform.files, *file));
    } catch (const std::exception& e) {
        p.ShowErrorBox(QStringLiteral(" Unable to load hotspot #1. "), ErrorDescription(e));
        return;
    }
    SeqReader& r = *reader;
    int i = 0;
    while (!r.AtEnd() && !p.StopRequested) {
        ++i;
        auto report = [&](const std::exception& e) {
            p.ShowErrorBox(QStringLiteral(" Unable to load hotspot #") + QString::number(i) +
                               QStringLiteral(". "),
                           ErrorDescription(e));
        };
        HotspotRecord h;
        try {
            h = ReadHotspotRecord(r);
        } catch (const std::exception& e) {
            // A damaged record: what follows it is read from its separator on. Its control is
            // still made (hidden, as small as a control gets) so that the hotspots after it keep
            // their numbers for the visibility pass and the actions.
            report(e);
            try {
                Area->Load(i)->Move(0, 0, 15, 15);
            } catch (const std::exception&) {
            }
            try {
                SkipToSeparator(r);
            } catch (const std::exception&) {
                break;
            }
            continue;
        }
        if (h.MergedFlag == 1 && i != 1 && p.frame.MergedHotspotIndex == 1)
            p.frame.MergedHotspotIndex = static_cast<qint16>(i);

        forms::Image* area = nullptr;
        try {
            area = Area->Load(i);
        } catch (const std::exception& e) {
            report(e);
            continue;
        }
        if (h.PictureKind != 0 && h.HasPicture) {
            // An animated picture shows the hotspot; the Area control itself takes no clicks.
            area->Move(0, 0, 15, 15);
            try {
                int speed = 0;
                if (h.AnimationSpeed.isValid()) speed = CInt(Val(CStr(h.AnimationSpeed)));
                const int k = services.animated->AniGifNewWithIndex(
                    i, Located(p.paths.AreasPath + h.PictureFile), int(h.Left + 30),
                    int(h.Top + 30), speed);
                areaLink_[i] = k;
                services.animated->SetPointer(k, IsDefaultName(h.PointerFile)
                                                     ? QString()
                                                     : Located(p.paths.IconsPath + h.PointerFile));
            } catch (const std::exception& e) {
                report(e);
            }
            continue;
        }
        if (p.StopRequested) break;
        // The clickable control is the rectangle inset by 2 pixels on every side.
        try {
            area->Move(h.Left + 30, h.Top + 30, h.Width - 60 >= 1 ? h.Width - 60 : 1,
                       h.Height - 60 >= 1 ? h.Height - 60 : 1);
            area->SetStretch(h.StretchPicture == 1);
            area->SetPicture(h.HasPicture ? LoadPicture(p.paths.AreasPath + h.PictureFile)
                                          : forms::Picture());
        } catch (const std::exception& e) {
            report(e);
        }
        if (p.StopRequested) break;
        try {
            SetControlPointerFile(*area, h.PointerFile);
        } catch (const std::exception& e) {
            report(e);
        }
        if (h.HasVideo) {
            try {
                PlacedPlayer video;
                video.player = media_.Create();
                video.player->SetShowControls(false);
                video.player->SetAutoSize(h.VideoFitHotspot == 0);
                video.pixelRect = area->PixelRect();
                video.player->SetFileName(Located(p.paths.FramesPath + h.HotspotVideoFile));
                if (h.VideoFitHotspot == 0) {
                    const QSize natural = video.player->NaturalSize();
                    if (!natural.isEmpty()) video.pixelRect.setSize(natural);
                }
                video.player->SetRate(h.VideoRate == 0 ? 1.0 : h.VideoRate);
                video.player->SetPlayCount(h.VideoPlayCount);
                video.player->SetVolume(VolumeForLevel(h.VideoVolume));
                videoPlayers_[i] = std::move(video);
                areaLink_[i] = -1;
            } catch (const std::exception& e) {
                report(e);
            }
        }
        area->ZOrder(0);
    }
}

void Game::ShowOrNotShowAreas() {
    Program& p = program;
    const std::optional<QString> file = HotspotFile(p);
    if (!file) return;
    try {
        SeqReader r = OpenSeqFile(p.platform.files, *file);
        int i = 0;
        while (!r.AtEnd() && !p.StopRequested) {
            ++i;
            for (int f = 1; f <= 10; ++f) r.ReadVariant();
            bool visible = true;
            for (const auto& entry : vars.Disappear)
                if (entry->Name == p.frame.CurrentFrameName && entry->Value == i) visible = false;
            if (visible) {
                for (int f = 11; f <= 19; ++f) r.ReadVariant();
                const double hasConditions = r.ReadDouble();
                if (hasConditions != 0) {
                    // The first list hides on any value but 0, the second on any value but 1;
                    // a variable that does not exist (-32000) hides nothing.
                    for (int list = 0; list < 2 && visible; ++list) {
                        const qint32 count = CLng(r.ReadVariant());
                        for (qint32 n = 0; n < count; ++n) {
                            const qint16 value = GetVariableValue(r.ReadString());
                            if (value != -32000 && value != (list == 0 ? 0 : 1)) {
                                visible = false;
                                break;
                            }
                        }
                    }
                }
            }
            SkipToSeparator(r);
            Area->Item(i)->SetVisible(visible);

            const int link = AreaLink(i);
            if (link > 0) {
                try {
                    AnimatedObjectService& gifs = *services.animated;
                    const bool wasVisible = gifs.BoxVisible(link);
                    gifs.SetBoxVisible(link, visible);
                    if (wasVisible && !visible) {
                        gifs.StopAnimation(link);
                        loop_.ProcessEvents();
                    } else if (!wasVisible && visible) {
                        gifs.StopAnimation(link);
                        loop_.ProcessEvents();
                        gifs.StartAnimation(link);
                        loop_.ProcessEvents();
                    }
                } catch (const std::exception&) {
                }
            } else if (link == -1) {
                auto it = videoPlayers_.find(i);
                if (it != videoPlayers_.end() && it->second.player) {
                    PlacedPlayer& video = it->second;
                    if (video.visible && !visible) {
                        video.visible = false;
                        video.player->Stop();
                    } else if (!video.visible && visible) {
                        video.player->SetCurrentPosition(0);
                        if (!services.transitions->OverlayVisible())
                            StartVideoPlayer(*video.player);
                        video.visible = true;
                    }
                }
            }
        }
    } catch (const std::exception& e) {
        p.ShowErrorBox(QStringLiteral(" Unable to set hotspots visibility. "), ErrorDescription(e));
    }
}

void Game::StartVideoPlayer(MediaPlayer& player) {
    player.Play();
    if (player.PlayState() != MediaPlayer::Playing)
        program.platform.dialogs.Show(BoxIcon::Critical, program.Messages(29),
                                      program.Messages(30) + QStringLiteral(" ") +
                                          program.Messages(31) + kCrLf + kCrLf +
                                          QStringLiteral("Unable to play video file. ") +
                                          QStringLiteral("The file cannot be played."));
}

}  // namespace storyloom
