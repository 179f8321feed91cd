#pragma once
// The scene of the frame on screen: its background, its hotspots (one Area control each, with
// their pictures, pointers, animated pictures and videos) and its text boxes (one Text label
// each). The game builds the scene into its picture area when a frame opens and the scene takes
// its controls down again when the next one does; what the hotspots do when clicked, the
// variables that show or hide them and everything else a frame opening starts is the game's.
#include <QImage>
#include <QRect>
#include <QString>
#include <map>
#include <memory>

#include "platform/forms/ControlArray.h"
#include "platform/forms/Picture.h"
#include "platform/forms/controls/Image.h"
#include "platform/forms/controls/Label.h"
#include "platform/forms/controls/PictureBox.h"
#include "platform/forms/controls/VideoView.h"
#include "platform/forms/controls/Window.h"
#include "platform/media/MediaPlayer.h"

namespace storyloom {

class AnimatedObjectService;
class Program;
struct FrameGlobals;
struct GameVariables;

// A control's face of a player that goes when its holder goes (removed from its container).
class VideoViewHandle {
  public:
    VideoViewHandle() = default;
    explicit VideoViewHandle(forms::VideoView* view) : view_(view) {}
    VideoViewHandle(VideoViewHandle&& other) noexcept : view_(other.view_) {
        other.view_ = nullptr;
    }
    VideoViewHandle& operator=(VideoViewHandle&& other) noexcept;
    ~VideoViewHandle() { Reset(); }
    void Reset();
    forms::VideoView* get() const { return view_; }

  private:
    forms::VideoView* view_ = nullptr;
};

// A media player with its place on the window: a video on a hotspot plays inside the
// hotspot's rectangle of the frame picture area; the scripts' spare players sit on the window.
// `pixelRect` and `visible` are the place (scripts change them); the view shows the player's
// frames there, in its z-order among the container's controls.
struct PlacedPlayer {
    std::unique_ptr<MediaPlayer> player;
    QRect pixelRect;
    bool visible = false;
    VideoViewHandle view;  // declared last: goes before the player
};

// Lays the face of players[index] over the whole of `container`, in front of its other
// controls. The player's place is read from the map at every paint (pixels of the container),
// so the entry may be moved or changed freely; erasing the entry removes the view.
void AttachVideoView(forms::Control& container, std::map<int, PlacedPlayer>& players, int index);

class FrameScene {
  public:
    // Builds the scene's controls (click catcher, tile holder, the Area and Text templates) into
    // `pictureBox`, the frame picture area of the game window.
    FrameScene(Program& program, FrameGlobals& frame, forms::PictureBox& pictureBox,
               MediaPlayerFactory& media, AnimatedObjectService& animated);
    ~FrameScene();
    FrameScene(const FrameScene&) = delete;
    FrameScene& operator=(const FrameScene&) = delete;

    // ---- Building the scene of the current frame -------------------------------------------
    // The background colour, picture or tiled picture of the current frame.
    void DrawBackground();
    void ResetFrameAreas();
    void LoadAreas();
    // Shows each hotspot unless the hidden-hotspot list names it or its variable conditions
    // fail, and starts or stops its animated picture or video with it. A hotspot video does not
    // start while a transition's picture covers the frame (`overlayVisible`).
    void ShowOrNotShowAreas(const GameVariables& vars, bool overlayVisible);
    void ResetFrameTexts();
    void LoadTexts();

    // ---- Queries ------------------------------------------------------------------------------
    int AreaCount() const;  // the highest Area index in use
    bool AreaVisible(int index) const;
    // The hotspot control's rectangle in twips (already inset by 2 pixels).
    QRect AreaRectTwips(int index) const;
    // The hotspot's animated picture (k > 0), its video (-1) or nothing (0).
    int AreaLink(int index) const;
    int TextCount() const;
    QString TextCaption(int index) const;
    QRect TextRectTwips(int index) const;
    // The hotspot (its Area index) that a click at (x, y) pixels of the frame picture area would
    // reach; 0 when another control is on top there or there is none. Hidden hotspots take no
    // clicks.
    int HotspotAt(int x, int y) const;
    std::map<int, PlacedPlayer>& VideoPlayers() { return videoPlayers_; }

    // ---- Pictures and pointers ----------------------------------------------------------------
    // A project picture through the media-file lookup and the decode cache; throws RunError.
    forms::Picture LoadPicture(const QString& path);
    // The project's default pointer is the system's ("" or "default").
    bool IsDefaultCursor() const;
    void SetControlDefaultPointer(forms::Control& control);
    // A control's own pointer from a file in the Icons folder ("" or "default": the default).
    void SetControlPointerFile(forms::Control& control, const QString& pointerFile);

    // ---- The controls -------------------------------------------------------------------------
    forms::PictureBox* PictureBox;      // the frame picture area (the game window's)
    forms::Image* BackImage = nullptr;  // catches clicks beside the hotspots
    forms::Image* ImageTile = nullptr;  // hidden: holds a tiled background's tile
    std::unique_ptr<forms::ControlArray<forms::Image>> Area;
    std::unique_ptr<forms::ControlArray<forms::Label>> Text;

  private:
    void StartVideoPlayer(MediaPlayer& player);

    Program& program_;
    FrameGlobals& frame_;
    MediaPlayerFactory& media_;
    AnimatedObjectService& animated_;
    std::map<int, int> areaLink_;
    std::map<int, PlacedPlayer> videoPlayers_;
    forms::PictureCache pictures_;
};

}  // namespace storyloom
