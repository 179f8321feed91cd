#include "platform/forms/Metafile.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" {
#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>
}

namespace storyloom::forms {

namespace {

constexpr int kMaxSide = 8192;

std::int32_t I32(const QByteArray& b, qsizetype at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return static_cast<std::int32_t>(v);
}
std::int16_t I16(const QByteArray& b, qsizetype at) {
    return static_cast<std::int16_t>(static_cast<unsigned char>(b[at]) |
                                     (static_cast<unsigned char>(b[at + 1]) << 8));
}

bool IsPlaceable(const QByteArray& b) {
    return b.size() >= 22 && static_cast<std::uint32_t>(I32(b, 0)) == 0x9AC6CDD7u;
}

std::uint32_t ReadU32(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint32_t>(I32(b, at));
}
std::uint16_t ReadU16(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint16_t>(I16(b, at));
}

// The converters trust the sizes written in the file: a damaged header can make them allocate
// gigabytes or read past the end. Walk the records first and refuse what does not add up.
bool WmfRecordsFit(const QByteArray& b) {
    const qsizetype start = IsPlaceable(b) ? 22 : 0;
    if (start + 18 > b.size()) return false;
    const qsizetype available = b.size() - start;
    const std::uint32_t maxRecordWords = ReadU32(b, start + 12);
    if (maxRecordWords < 3 || maxRecordWords > std::uint32_t(available / 2)) return false;
    qsizetype pos = start + 18;
    while (pos + 6 <= b.size()) {
        const std::uint32_t words = ReadU32(b, pos);
        const std::uint16_t function = ReadU16(b, pos + 4);
        if (words < 3 || words > maxRecordWords || pos + qsizetype(words) * 2 > b.size())
            return false;
        if (function == 0) return true;  // end of the metafile
        pos += qsizetype(words) * 2;
    }
    return false;
}

bool EmfRecordsFit(const QByteArray& b) {
    qsizetype pos = 0;
    while (pos + 8 <= b.size()) {
        const std::uint32_t type = ReadU32(b, pos);
        const std::uint32_t size = ReadU32(b, pos + 4);
        if (size < 8 || size % 4 != 0 || pos + qsizetype(size) > b.size()) return false;
        if (type == 14) return true;  // end of the metafile
        pos += size;
    }
    return false;
}

bool SaneSize(QSize s) {
    return s.width() > 0 && s.height() > 0 && s.width() <= kMaxSide && s.height() <= kMaxSide;
}

}  // namespace

bool LooksLikeWmf(const QByteArray& b) {
    if (IsPlaceable(b)) return b.size() >= 22 + 18;
    if (b.size() < 18) return false;
    const int type = I16(b, 0), headerWords = I16(b, 2);
    return (type == 1 || type == 2) && headerWords == 9;
}

bool LooksLikeEmf(const QByteArray& b) {
    return b.size() >= 88 && I32(b, 0) == 1 &&
           static_cast<std::uint32_t>(I32(b, 40)) == 0x464D4520u;
}

std::optional<SvgPicture> WmfToSvg(const QByteArray& bytes) {
    if (!LooksLikeWmf(bytes) || !WmfRecordsFit(bytes)) return std::nullopt;
    QSize headerSize;
    if (IsPlaceable(bytes)) {
        // The placeable header gives the picture's frame in logical units per inch.
        const int left = I16(bytes, 6), top = I16(bytes, 8), right = I16(bytes, 10),
                  bottom = I16(bytes, 12);
        const int inch = static_cast<std::uint16_t>(I16(bytes, 14));
        if (inch > 0) {
            headerSize = QSize(static_cast<int>(std::lround(std::abs(right - left) * 96.0 / inch)),
                               static_cast<int>(std::lround(std::abs(bottom - top) * 96.0 / inch)));
        }
    }
    wmfAPI_Options options;
    std::memset(&options, 0, sizeof(options));
    options.function = wmf_svg_function;
    wmfAPI* api = nullptr;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
        if (api) wmf_api_destroy(api);
        return std::nullopt;
    }
    std::vector<unsigned char> input(bytes.begin(), bytes.end());
    std::optional<SvgPicture> result;
    wmfD_Rect bbox;
    if (wmf_mem_open(api, input.data(), static_cast<long>(input.size())) == wmf_E_None &&
        wmf_scan(api, 0, &bbox) == wmf_E_None) {
        unsigned int width = 0, height = 0;
        wmf_display_size(api, &width, &height, 96, 96);
        QSize size = SaneSize(headerSize)
                         ? headerSize
                         : QSize(static_cast<int>(width), static_cast<int>(height));
        if (SaneSize(size)) {
            wmf_svg_t* svg = WMF_SVG_GetData(api);
            svg->out = wmf_stream_create(api, nullptr);
            svg->Description = const_cast<char*>("picture");
            svg->bbox = bbox;
            svg->width = static_cast<unsigned int>(size.width());
            svg->height = static_cast<unsigned int>(size.height());
            const wmf_error_t played = wmf_play(api, 0, &bbox);
            char* text = nullptr;
            unsigned long length = 0;
            wmf_stream_destroy(api, svg->out, &text, &length);
            if (played == wmf_E_None && text && length > 0)
                result = SvgPicture{QByteArray(text, static_cast<qsizetype>(length)), size};
        }
        wmf_mem_close(api);
    }
    wmf_api_destroy(api);  // frees everything the library allocated, the SVG text included
    return result;
}

std::optional<SvgPicture> EmfToSvg(const QByteArray& bytes) {
    if (!LooksLikeEmf(bytes) || !EmfRecordsFit(bytes)) return std::nullopt;
    // The header's frame is in hundredths of a millimetre; its bounds are in device pixels.
    const int fl = I32(bytes, 24), ft = I32(bytes, 28), fr = I32(bytes, 32), fb = I32(bytes, 36);
    QSize size(static_cast<int>(std::lround(std::abs(double(fr) - fl) / 2540.0 * 96.0)),
               static_cast<int>(std::lround(std::abs(double(fb) - ft) / 2540.0 * 96.0)));
    if (!SaneSize(size)) {
        const qint64 bl = I32(bytes, 8), bt = I32(bytes, 12), br = I32(bytes, 16),
                     bb = I32(bytes, 20);
        const qint64 w = std::min<qint64>(std::abs(br - bl) + 1, kMaxSide + 1);
        const qint64 h = std::min<qint64>(std::abs(bb - bt) + 1, kMaxSide + 1);
        size = QSize(static_cast<int>(w), static_cast<int>(h));
    }
    if (!SaneSize(size)) return std::nullopt;
    // The header's own length must fit in the data, or the converter reads beyond it.
    const auto headerLength = static_cast<std::uint32_t>(I32(bytes, 4));
    const auto declared = static_cast<std::uint32_t>(I32(bytes, 48));
    if (headerLength < 88 || headerLength > static_cast<std::uint32_t>(bytes.size()) ||
        declared > static_cast<std::uint32_t>(bytes.size()))
        return std::nullopt;

    generatorOptions options;
    std::memset(&options, 0, sizeof(options));
    options.nameSpace = const_cast<char*>("");
    options.verbose = false;
    options.emfplus = true;
    options.svgDelimiter = true;
    options.imgWidth = size.width();
    options.imgHeight = size.height();
    std::vector<char> input(bytes.begin(), bytes.end());
    char* out = nullptr;
    size_t outLength = 0;
    const int ok = emf2svg(input.data(), input.size(), &out, &outLength, &options);
    std::optional<SvgPicture> result;
    if (ok && out && outLength > 0)
        result = SvgPicture{QByteArray(out, static_cast<qsizetype>(outLength)), size};
    std::free(out);
    return result;
}

}  // namespace storyloom::forms
