#pragma once
// Windows metafiles (.wmf) and enhanced metafiles (.emf) turned into SVG text, which Qt draws.
#include <QByteArray>
#include <QSize>
#include <optional>

namespace storyloom::forms {

struct SvgPicture {
    QByteArray svg;
    QSize size;  // the picture's own size in pixels at 96 dpi, from the file's header
};

bool LooksLikeWmf(const QByteArray& bytes);
bool LooksLikeEmf(const QByteArray& bytes);
std::optional<SvgPicture> WmfToSvg(const QByteArray& bytes);
std::optional<SvgPicture> EmfToSvg(const QByteArray& bytes);

}  // namespace storyloom::forms
