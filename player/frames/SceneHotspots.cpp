// Hotspots: the clickable regions of a frame, one Area control each.
#include <QVariant>
#include <optional>

#include "core/BasicConvert.h"
#include "core/DataFile.h"
#include "core/Errors.h"
#include "core/FrameGlobals.h"
#include "core/Program.h"
#include "core/SoundChannelTable.h"
#include "core/Variables.h"
#include "frames/AnimatedObjects.h"
#include "frames/FrameScene.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/FileSystem.h"
#include "platform/loop/EventLoop.h"
#include "project/HotspotRecords.h"
#include "project/MediaFiles.h"
#include "project/RecordFields.h"

namespace storyloom {

namespace {

bool IsDefaultName(const QString& file) {
    return file.isEmpty() || file.compare(QStringLiteral("default"), Qt::CaseInsensitive) == 0;
}

}  // namespace

void FrameScene::ResetFrameAreas() {
    try {
        Area->UnloadAll();
    } catch (const std::exception&) {
    }
    for (auto& [index, video] : videoPlayers_)
        if (video.player) video.player->Stop();
    videoPlayers_.clear();
    animated_.UnloadAll();
    areaLink_.clear();
}

void FrameScene::LoadAreas() {
    Program& p = program_;
    const std::optional<QString> file =
        HotspotFile(p.platform.files, p.paths.FramesDataPath, frame_.CurrentFrameName);
    if (!file) return;
    frame_.MergedHotspotIndex = 1;
    std::optional<SeqReader> reader;
    try {
        reader.emplace(OpenSeqFile(p.platform.files, *file));
    } catch (const std::exception& e) {
        p.ShowErrorBox(QStringLiteral(" Unable to load hotspot #1. "), ErrorDescription(e));
        return;
    }
    SeqReader& r = *reader;
    auto located = [&p](const QString& path) { return ResolveMediaPath(p, path); };
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
        if (h.MergedFlag == 1 && i != 1 && frame_.MergedHotspotIndex == 1)
            frame_.MergedHotspotIndex = static_cast<qint16>(i);

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
                const int k =
                    animated_.AniGifNewWithIndex(i, located(p.paths.AreasPath + h.PictureFile),
                                                 int(h.Left + 30), int(h.Top + 30), speed);
                areaLink_[i] = k;
                animated_.SetPointer(k, IsDefaultName(h.PointerFile)
                                            ? QString()
                                            : located(p.paths.IconsPath + h.PointerFile));
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
                video.player->SetFileName(located(p.paths.FramesPath + h.HotspotVideoFile));
                if (h.VideoFitHotspot == 0) {
                    const QSize natural = video.player->NaturalSize();
                    if (!natural.isEmpty()) video.pixelRect.setSize(natural);
                }
                video.player->SetRate(h.VideoRate == 0 ? 1.0 : h.VideoRate);
                video.player->SetPlayCount(h.VideoPlayCount);
                video.player->SetVolume(VolumeForLevel(h.VideoVolume));
                videoPlayers_[i] = std::move(video);
                // The video comes to the front; the hotspot's own control goes above it below.
                AttachVideoView(*PictureBox, videoPlayers_, i);
                areaLink_[i] = -1;
            } catch (const std::exception& e) {
                report(e);
            }
        }
        area->ZOrder(0);
    }
}

void FrameScene::ShowOrNotShowAreas(const GameVariables& vars, bool overlayVisible) {
    Program& p = program_;
    const std::optional<QString> file =
        HotspotFile(p.platform.files, p.paths.FramesDataPath, frame_.CurrentFrameName);
    if (!file) return;
    EventLoop& loop = p.platform.loop;
    const auto valueOf = [&vars](const QString& name) { return vars.GetVariableValue(name); };
    try {
        SeqReader r = OpenSeqFile(p.platform.files, *file);
        int i = 0;
        while (!r.AtEnd() && !p.StopRequested) {
            ++i;
            bool hidden = false;
            for (const auto& entry : vars.Disappear)
                if (entry->Name == frame_.CurrentFrameName && entry->Value == i) hidden = true;
            const bool visible = ReadHotspotVisibility(r, hidden, valueOf);
            Area->Item(i)->SetVisible(visible);

            const int link = AreaLink(i);
            if (link > 0) {
                try {
                    const bool wasVisible = animated_.BoxVisible(link);
                    animated_.SetBoxVisible(link, visible);
                    if (wasVisible && !visible) {
                        animated_.StopAnimation(link);
                        loop.ProcessEvents();
                    } else if (!wasVisible && visible) {
                        animated_.StopAnimation(link);
                        loop.ProcessEvents();
                        animated_.StartAnimation(link);
                        loop.ProcessEvents();
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
                        if (!overlayVisible) StartVideoPlayer(*video.player);
                        video.visible = true;
                    }
                    if (video.view.get()) video.view.get()->Refresh();
                }
            }
        }
    } catch (const std::exception& e) {
        p.ShowErrorBox(QStringLiteral(" Unable to set hotspots visibility. "), ErrorDescription(e));
    }
}

void FrameScene::StartVideoPlayer(MediaPlayer& player) {
    player.Play();
    if (player.PlayState() != MediaPlayer::Playing)
        program_.platform.dialogs.Show(BoxIcon::Critical, program_.Messages(29),
                                       program_.Messages(30) + QStringLiteral(" ") +
                                           program_.Messages(31) + kCrLf + kCrLf +
                                           QStringLiteral("Unable to play video file. ") +
                                           QStringLiteral("The file cannot be played."));
}

}  // namespace storyloom
