#pragma once
// Pictures as the controls hold them, their loading from files, and the decode cache.
#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QPoint>
#include <QString>
#include <cstddef>
#include <list>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace storyloom::forms {

// Basic's picture types.
enum class PictureType { None = 0, Bitmap = 1, Metafile = 2, Icon = 3, EnhMetafile = 4 };

// An immutable, shared picture. Copies are cheap; an empty Picture is Basic's Nothing picture.
class Picture {
  public:
    Picture() = default;
    // `image` is converted to RGB32 (opaque) or premultiplied ARGB32 (with transparency).
    static Picture FromImage(const QImage& image, PictureType type = PictureType::Bitmap);

    bool IsEmpty() const { return !d_; }
    PictureType Type() const { return d_ ? d_->type : PictureType::None; }
    // RGB32 or ARGB32_Premultiplied; a null image for an empty picture.
    const QImage& Image() const;
    QSize Size() const { return d_ ? d_->image.size() : QSize(); }
    bool HasTransparency() const { return d_ && d_->image.hasAlphaChannel(); }
    // Pointer files: where the pointer points, and the pixels that invert the screen.
    QPoint HotSpot() const { return d_ ? d_->hotSpot : QPoint(); }
    const QImage& InvertMask() const;
    bool IsCursor() const { return d_ && d_->isCursor; }
    // A number that identifies the picture (Basic's Handle); 0 when empty.
    qint64 Handle() const;
    // Size in HIMETRIC (hundredths of a millimetre at 96 dpi), as Basic's Picture.Width/Height.
    int HimetricWidth() const;
    int HimetricHeight() const;

    friend bool operator==(const Picture& a, const Picture& b) { return a.d_ == b.d_; }

    struct Data {
        QImage image;
        PictureType type = PictureType::None;
        QPoint hotSpot;
        QImage invertMask;
        bool isCursor = false;
    };
    explicit Picture(std::shared_ptr<const Data> d) : d_(std::move(d)) {}

  private:
    std::shared_ptr<const Data> d_;
};

// Basic's error numbers for pictures.
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrInvalidPicture = 481;

struct PictureResult {
    Picture picture;
    int errorNumber = 0;  // 0 on success
    QString errorDescription;
    bool Ok() const { return errorNumber == 0; }
    static PictureResult Fail(int number, QString description) {
        return PictureResult{Picture(), number, std::move(description)};
    }
};

// Decodes a picture from its bytes, recognised by content rather than by the file's extension
// (games rename files freely): BMP of every depth, JPEG, GIF (its first frame), PNG, ICO, CUR,
// WMF and EMF. Damaged or truncated data fails with error 481 "Invalid picture".
PictureResult DecodePicture(const QByteArray& bytes);
// Reads and decodes a file; a missing or unreadable file fails with 53 "File not found".
PictureResult LoadPictureFile(const QString& nativePath);

// The frames of an animated GIF with the delays written in the file (in milliseconds; Qt's
// reader turns short delays into 100 ms, which plays many games' animations too slowly).
struct GifAnimation {
    std::vector<QImage> frames;  // ARGB32_Premultiplied, composed as they are shown
    std::vector<int> delaysMs;   // one per frame, as written (0 stays 0)
    int loopCount = -1;          // -1 = no loop extension (play once), 0 = endless, n = n loops
};
// Delays (centiseconds) and loop count read straight from the file, frames not decoded.
struct GifTiming {
    std::vector<int> delaysCs;
    int loopCount = -1;
};
std::optional<GifTiming> ReadGifTiming(const QByteArray& bytes);
// Decoding stops once the frames take more than `maxBytes` (the frames decoded so far are kept:
// a huge animation plays its beginning rather than exhausting memory).
std::optional<GifAnimation> DecodeGifAnimation(const QByteArray& bytes,
                                               std::size_t maxBytes = 64u * 1024u * 1024u);

// Decoded pictures by path, so that showing the same frame again costs no second decode. An
// entry is reused only while the file's size and modification time are unchanged; the least
// recently used pictures go once the cache holds more than its byte budget.
class PictureCache {
  public:
    explicit PictureCache(std::size_t byteBudget = 256u * 1024u * 1024u) : budget_(byteBudget) {}
    PictureResult Load(const QString& nativePath);
    // The frames of an animated GIF, kept under the same byte budget as the pictures (a file
    // too large for the whole budget is cut to the frames that fit). Null with `error` set
    // (53 or 481) when the file is missing or not an animation the player can show.
    std::shared_ptr<const GifAnimation> LoadAnimation(const QString& nativePath,
                                                      int* error = nullptr);
    void Clear();
    std::size_t Hits() const { return hits_; }
    std::size_t Misses() const { return misses_; }
    std::size_t Bytes() const { return bytes_; }
    std::size_t Count() const { return entries_.size(); }

  private:
    struct Entry {
        Picture picture;
        std::shared_ptr<const GifAnimation> animation;
        qint64 size = 0;
        QDateTime modified;
        std::size_t bytes = 0;
        std::list<QString>::iterator lru;
    };
    void Evict();
    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::size_t hits_ = 0, misses_ = 0;
    std::list<QString> lru_;  // front = most recent
    std::unordered_map<QString, Entry> entries_;
};

}  // namespace storyloom::forms
