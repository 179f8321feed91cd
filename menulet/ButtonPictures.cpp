#include "ButtonPictures.h"

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRadialGradient>
#include <array>
#include <vector>

namespace menulet {

namespace {

// Blue, green, amber, red, violet.
constexpr std::array<QRgb, kButtonCount> kColours = {0xFF2F6FD6, 0xFF2E9E4F, 0xFFE0A020, 0xFFD64545,
                                                     0xFF8A4FC9};

std::vector<QPointF> Dots(int number, QPointF centre) {
    const qreal d = 8.5;
    const QPointF c = centre, tl(c.x() - d, c.y() - d), tr(c.x() + d, c.y() - d),
                  bl(c.x() - d, c.y() + d), br(c.x() + d, c.y() + d);
    switch (number) {
        case 1:
            return {c};
        case 2:
            return {tl, br};
        case 3:
            return {tl, c, br};
        case 4:
            return {tl, tr, bl, br};
        default:
            return {tl, tr, c, bl, br};
    }
}

QImage Draw(int number) {
    QImage image(kButtonWidth, kButtonHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QColor base = QColor::fromRgb(kColours[size_t(number - 1)]);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF body(0.5, 0.5, kButtonWidth - 1.0, kButtonHeight - 1.0);
    QPainterPath shape;
    shape.addRoundedRect(body, 8, 8);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0.0, base.lighter(135));
    fill.setColorAt(0.55, base);
    fill.setColorAt(1.0, base.darker(135));
    p.fillPath(shape, fill);

    // A soft gloss over the upper part.
    QPainterPath gloss;
    gloss.addRoundedRect(QRectF(3, 3, kButtonWidth - 6.0, kButtonHeight * 0.38), 6, 6);
    QLinearGradient shine(0, 3, 0, 3 + kButtonHeight * 0.38);
    shine.setColorAt(0.0, QColor(255, 255, 255, 110));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillPath(gloss, shine);

    p.setPen(QPen(base.darker(170), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);

    // The dots, with a faint shadow below each.
    p.setPen(Qt::NoPen);
    const QPointF centre(kButtonWidth / 2.0, kButtonHeight / 2.0 + 2);
    for (const QPointF& dot : Dots(number, centre)) {
        p.setBrush(QColor(0, 0, 0, 70));
        p.drawEllipse(dot + QPointF(0, 1.2), 4.0, 4.0);
        QRadialGradient pip(dot - QPointF(1.2, 1.2), 5.0);
        pip.setColorAt(0.0, QColor(255, 255, 255));
        pip.setColorAt(1.0, QColor(228, 232, 240));
        p.setBrush(pip);
        p.drawEllipse(dot, 3.8, 3.8);
    }
    p.end();
    return image;
}

}  // namespace

const QImage& ButtonPicture(int number) {
    static const std::array<QImage, kButtonCount> pictures = {Draw(1), Draw(2), Draw(3), Draw(4),
                                                              Draw(5)};
    return pictures[size_t(number - 1)];
}

}  // namespace menulet
