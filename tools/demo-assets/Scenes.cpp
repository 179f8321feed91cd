#include "Scenes.h"

#include <QFont>
#include <QPolygonF>
#include <cmath>

namespace demo {

namespace {

constexpr double kPi = 3.14159265358979323846;

QImage Canvas() {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    img.fill(Qt::black);
    return img;
}

void Sky(QPainter& p, int bottom, std::initializer_list<std::pair<double, QColor>> stops) {
    QLinearGradient g(0, 0, 0, bottom);
    for (const auto& [at, color] : stops) g.setColorAt(at, color);
    p.fillRect(QRect(0, 0, kWidth, bottom), g);
}

void Stars(QPainter& p, Rng& rng, int count, int maxY, int alphaMax) {
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const double x = rng.Range(0, kWidth), y = rng.Range(0, maxY);
        const int alpha = int(alphaMax * (1.0 - y / maxY) * rng.Range(0.4, 1.0));
        const double r = rng.Real() < 0.08 ? 1.6 : 0.9;
        p.setBrush(QColor(255, 250, 235, std::max(0, alpha)));
        p.drawEllipse(QPointF(x, y), r, r);
    }
}

void Glow(QPainter& p, QPointF centre, double radius, QColor colour) {
    QRadialGradient g(centre, radius);
    g.setColorAt(0, colour);
    QColor edge = colour;
    edge.setAlpha(0);
    g.setColorAt(1, edge);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
}

// Horizontal light streaks on water.
void Sparkles(QPainter& p, Rng& rng, QRectF area, QColor colour, int count, double spreadX) {
    p.setPen(Qt::NoPen);
    const double cx = area.center().x();
    for (int i = 0; i < count; ++i) {
        const double t = rng.Real();
        const double y = area.top() + t * area.height();
        const double width = rng.Range(6, 40) * (0.4 + t);
        const double x = cx + rng.Range(-1, 1) * spreadX * (0.3 + t);
        QColor c = colour;
        c.setAlpha(int(colour.alpha() * rng.Range(0.3, 1.0)));
        p.setBrush(c);
        p.drawRoundedRect(QRectF(x - width / 2, y, width, 1.5 + 2 * t), 1, 1);
    }
}

// The lighthouse: a tapering white tower with red bands, gallery and lantern.
void Lighthouse(QPainter& p, double cx, double baseY, double topY, double baseWidth, bool lit,
                QColor shade) {
    const double topWidth = baseWidth * 0.64;
    QPolygonF tower;
    tower << QPointF(cx - baseWidth / 2, baseY) << QPointF(cx - topWidth / 2, topY)
          << QPointF(cx + topWidth / 2, topY) << QPointF(cx + baseWidth / 2, baseY);
    QLinearGradient body(cx - baseWidth / 2, 0, cx + baseWidth / 2, 0);
    body.setColorAt(0, QColor(236, 226, 214).darker(110));
    body.setColorAt(0.35, QColor(250, 240, 228));
    body.setColorAt(1, shade);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawPolygon(tower);
    // Red bands, clipped to the tower.
    p.save();
    QPainterPath clip;
    clip.addPolygon(tower);
    p.setClipPath(clip);
    const double height = baseY - topY;
    QLinearGradient red(cx - baseWidth / 2, 0, cx + baseWidth / 2, 0);
    red.setColorAt(0, QColor(150, 36, 36));
    red.setColorAt(0.35, QColor(196, 52, 48));
    red.setColorAt(1, QColor(90, 24, 34));
    p.setBrush(red);
    for (int band = 0; band < 3; ++band) {
        const double y = topY + height * (0.16 + band * 0.3);
        p.drawRect(QRectF(cx - baseWidth, y, baseWidth * 2, height * 0.13));
    }
    p.restore();
    // Gallery and railing.
    p.setBrush(QColor(40, 36, 44));
    p.drawRect(QRectF(cx - topWidth / 2 - 8, topY - 6, topWidth + 16, 7));
    p.setPen(QPen(QColor(40, 36, 44), 1.5));
    for (double x = cx - topWidth / 2 - 6; x <= cx + topWidth / 2 + 6; x += 5)
        p.drawLine(QPointF(x, topY - 6), QPointF(x, topY - 16));
    p.drawLine(QPointF(cx - topWidth / 2 - 7, topY - 16),
               QPointF(cx + topWidth / 2 + 7, topY - 16));
    // Lantern room.
    const double lanternW = topWidth * 0.7, lanternH = height * 0.13;
    const QRectF lantern(cx - lanternW / 2, topY - 6 - lanternH, lanternW, lanternH);
    if (lit) {
        Glow(p, lantern.center(), lanternH * 2.6, QColor(255, 230, 150, 170));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 244, 200));
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(58, 64, 82));
    }
    p.drawRect(lantern);
    p.setPen(QPen(QColor(34, 30, 38), 1.5));
    for (int i = 1; i < 3; ++i) {
        const double x = lantern.left() + lantern.width() * i / 3;
        p.drawLine(QPointF(x, lantern.top()), QPointF(x, lantern.bottom()));
    }
    // Dome and vent.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(44, 36, 40));
    QPainterPath dome;
    dome.moveTo(lantern.left() - 3, lantern.top());
    dome.quadTo(cx, lantern.top() - lanternH * 1.1, lantern.right() + 3, lantern.top());
    dome.closeSubpath();
    p.drawPath(dome);
    p.drawRect(QRectF(cx - 1.5, lantern.top() - lanternH * 0.9, 3, lanternH * 0.5));
}

void Rock(QPainter& p, const QPolygonF& shape, QColor light, QColor dark) {
    const QRectF b = shape.boundingRect();
    QLinearGradient g(b.topLeft(), b.bottomRight());
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setPen(QPen(dark.darker(140), 1));
    p.setBrush(g);
    p.drawPolygon(shape);
}

QFont Serif(double pixelSize, bool italic = false, bool bold = false) {
    QFont f(QStringLiteral("Liberation Serif"));
    f.setPixelSize(int(pixelSize));
    f.setItalic(italic);
    f.setBold(bold);
    return f;
}

}  // namespace

QImage PaintShoreWaterMask() {
    QImage mask(kShoreWater.size(), QImage::Format_RGB32);
    mask.fill(Qt::black);
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.translate(-kShoreWater.topLeft());
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    // The headland and the beach of PaintShore stay still, a little beyond their edges.
    QPolygonF headland;
    headland << QPointF(466, 480) << QPointF(516, 390) << QPointF(562, 352) << QPointF(606, 332)
             << QPointF(700, 326) << QPointF(760, 340) << QPointF(800, 336) << QPointF(800, 480);
    p.drawPolygon(headland);
    QPainterPath beach;
    beach.moveTo(0, 478);
    beach.cubicTo(200, 458, 420, 466, 560, 496);
    beach.lineTo(800, 472);
    beach.lineTo(800, 600);
    beach.lineTo(0, 600);
    beach.closeSubpath();
    p.drawPath(beach);
    return mask;
}

QImage PaintShore() {
    QImage img = Canvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(7);
    const int horizon = 360;
    Sky(p, horizon,
        {{0, QColor(24, 26, 66)},
         {0.35, QColor(78, 52, 110)},
         {0.7, QColor(214, 108, 86)},
         {0.92, QColor(250, 170, 96)},
         {1, QColor(255, 206, 130)}});
    Stars(p, rng, 60, 140, 160);
    // Sun sinking behind the sea.
    Glow(p, QPointF(300, horizon), 230, QColor(255, 190, 110, 150));
    Glow(p, QPointF(300, horizon), 70, QColor(255, 236, 180, 230));
    p.setBrush(QColor(255, 232, 168));
    p.drawEllipse(QPointF(300, horizon + 6), 34, 34);
    // Long thin clouds.
    for (int i = 0; i < 7; ++i) {
        const double y = rng.Range(150, 300), x = rng.Range(-100, 700), w = rng.Range(120, 300);
        QLinearGradient g(x, 0, x + w, 0);
        QColor c(255, 150, 120, 0);
        g.setColorAt(0, c);
        c.setAlpha(110);
        g.setColorAt(0.5, c);
        c.setAlpha(0);
        g.setColorAt(1, c);
        p.setBrush(g);
        p.drawRoundedRect(QRectF(x, y, w, rng.Range(3, 7)), 3, 3);
    }
    // The sea.
    QLinearGradient sea(0, horizon, 0, 480);
    sea.setColorAt(0, QColor(120, 84, 110));
    sea.setColorAt(0.25, QColor(52, 62, 100));
    sea.setColorAt(1, QColor(20, 40, 64));
    p.fillRect(QRect(0, horizon, kWidth, 170), sea);
    Sparkles(p, rng, QRectF(180, horizon + 2, 240, 110), QColor(255, 214, 150, 200), 140, 120);
    // The headland and the lighthouse on it.
    QPolygonF headland;
    headland << QPointF(470, 480) << QPointF(520, 392) << QPointF(566, 356) << QPointF(610, 336)
             << QPointF(700, 330) << QPointF(760, 344) << QPointF(800, 340) << QPointF(800, 480);
    Rock(p, headland, QColor(92, 70, 84), QColor(30, 26, 40));
    Lighthouse(p, 660, 338, 110, 64, false, QColor(150, 128, 150));
    // Keeper's cottage beside the tower.
    p.setBrush(QColor(46, 38, 52));
    p.drawRect(QRectF(708, 306, 56, 32));
    QPolygonF roof;
    roof << QPointF(702, 308) << QPointF(736, 286) << QPointF(770, 308);
    p.setBrush(QColor(70, 40, 48));
    p.drawPolygon(roof);
    p.setBrush(QColor(255, 200, 120));
    p.drawRect(QRectF(722, 316, 9, 9));
    Glow(p, QPointF(726, 320), 16, QColor(255, 190, 110, 90));
    // The beach.
    QLinearGradient sand(0, 470, 0, 600);
    sand.setColorAt(0, QColor(118, 88, 78));
    sand.setColorAt(1, QColor(54, 40, 42));
    QPainterPath beach;
    beach.moveTo(0, 482);
    beach.cubicTo(200, 462, 420, 470, 560, 500);
    beach.lineTo(800, 476);
    beach.lineTo(800, 600);
    beach.lineTo(0, 600);
    beach.closeSubpath();
    p.setBrush(sand);
    p.setPen(Qt::NoPen);
    p.drawPath(beach);
    // Foam line.
    p.setPen(QPen(QColor(236, 220, 210, 150), 2));
    p.setBrush(Qt::NoBrush);
    QPainterPath foam;
    foam.moveTo(0, 480);
    foam.cubicTo(200, 460, 420, 468, 560, 498);
    p.drawPath(foam);
    // The path up to the lighthouse.
    QPainterPath path;
    path.moveTo(520, 600);
    path.cubicTo(560, 540, 600, 470, 640, 420);
    path.cubicTo(660, 394, 664, 370, 662, 340);
    p.setPen(QPen(QColor(170, 136, 112, 170), 10, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    p.setPen(QPen(QColor(120, 96, 86, 200), 3, Qt::DashLine, Qt::RoundCap));
    p.drawPath(path);
    // The rowboat, pulled up on the sand.
    QPainterPath hull;
    hull.moveTo(60, 492);
    hull.cubicTo(90, 530, 220, 532, 258, 498);
    hull.lineTo(246, 488);
    hull.cubicTo(200, 506, 110, 506, 72, 484);
    hull.closeSubpath();
    QLinearGradient wood(0, 484, 0, 530);
    wood.setColorAt(0, QColor(132, 72, 50));
    wood.setColorAt(1, QColor(58, 30, 30));
    p.setPen(QPen(QColor(36, 20, 24), 1.5));
    p.setBrush(wood);
    p.drawPath(hull);
    p.setPen(QPen(QColor(220, 200, 170, 120), 1.2));
    p.drawLine(QPointF(80, 494), QPointF(240, 496));
    p.setPen(QPen(QColor(80, 52, 40), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(140, 470), QPointF(232, 520));  // an oar
    // Rocks at the water's edge; the key is hidden by the small one.
    Rock(p,
         QPolygonF({QPointF(350, 540), QPointF(362, 512), QPointF(392, 500), QPointF(420, 514),
                    QPointF(428, 542)}),
         QColor(96, 84, 96), QColor(34, 30, 40));
    Rock(p,
         QPolygonF({QPointF(20, 590), QPointF(40, 548), QPointF(90, 536), QPointF(130, 560),
                    QPointF(140, 600), QPointF(20, 600)}),
         QColor(84, 72, 86), QColor(28, 24, 34));
    // Seabirds.
    p.setPen(QPen(QColor(40, 30, 50), 2, Qt::SolidLine, Qt::RoundCap));
    for (QPointF b : {QPointF(470, 170), QPointF(500, 186), QPointF(446, 196)}) {
        QPainterPath bird;
        bird.moveTo(b + QPointF(-9, 0));
        bird.quadTo(b + QPointF(-4, -6), b);
        bird.quadTo(b + QPointF(4, -6), b + QPointF(9, 0));
        p.drawPath(bird);
    }
    return img;
}

QImage PaintKey(const QImage& shore, QRect rect) {
    QImage img(rect.size(), QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    // A brass key half under the stone, with a glint.
    QImage ground = shore.copy(rect).convertToFormat(QImage::Format_ARGB32);
    QImage key(rect.size(), QImage::Format_ARGB32);
    key.fill(Qt::transparent);
    {
        QPainter k(&key);
        k.setRenderHint(QPainter::Antialiasing);
        k.drawImage(0, 0, ground);
        k.translate(rect.width() / 2.0, rect.height() / 2.0 + 4);
        k.rotate(-14);
        QLinearGradient brass(-22, -6, 22, 6);
        brass.setColorAt(0, QColor(250, 214, 120));
        brass.setColorAt(0.5, QColor(200, 150, 60));
        brass.setColorAt(1, QColor(120, 80, 30));
        k.setPen(QPen(QColor(70, 44, 20), 1.2));
        k.setBrush(brass);
        k.drawEllipse(QPointF(-16, 0), 8, 8);
        k.drawRect(QRectF(-9, -2.2, 30, 4.4));
        k.drawRect(QRectF(14, 2, 3.5, 6));
        k.drawRect(QRectF(19, 2, 3, 4.5));
        k.setBrush(QColor(60, 44, 40));
        k.drawEllipse(QPointF(-16, 0), 3, 3);
    }
    // Keep the key, the glint and a soft shadow; the rest stays transparent.
    QPainter mask(&img);
    mask.setRenderHint(QPainter::Antialiasing);
    QPainterPath keep;
    keep.addEllipse(QRectF(2, 4, rect.width() - 4, rect.height() - 8));
    mask.setClipPath(keep);
    mask.drawImage(0, 0, key);
    mask.setClipping(false);
    Glow(mask, QPointF(rect.width() * 0.34, rect.height() * 0.4), 9, QColor(255, 255, 230, 230));
    mask.setPen(QPen(QColor(255, 255, 240, 220), 1.2));
    const QPointF s(rect.width() * 0.34, rect.height() * 0.4);
    mask.drawLine(s + QPointF(-7, 0), s + QPointF(7, 0));
    mask.drawLine(s + QPointF(0, -7), s + QPointF(0, 7));
    return img;
}

QImage PaintDoor() {
    QImage img = Canvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(11);
    Sky(p, 330, {{0, QColor(30, 30, 74)}, {0.6, QColor(140, 76, 112)}, {1, QColor(240, 150, 100)}});
    Stars(p, rng, 40, 120, 140);
    // The sea on the left, grass on the right.
    QLinearGradient sea(0, 330, 0, 600);
    sea.setColorAt(0, QColor(96, 72, 104));
    sea.setColorAt(1, QColor(20, 34, 58));
    p.fillRect(QRect(0, 330, kWidth, 270), sea);
    Sparkles(p, rng, QRectF(0, 332, 180, 200), QColor(255, 200, 150, 140), 50, 90);
    Sparkles(p, rng, QRectF(640, 332, 160, 40), QColor(255, 200, 150, 110), 16, 60);
    // The grassy top of the headland behind the tower.
    QLinearGradient grass(0, 360, 0, 600);
    grass.setColorAt(0, QColor(70, 82, 70));
    grass.setColorAt(1, QColor(22, 28, 28));
    QPainterPath hill;
    hill.moveTo(560, 600);
    hill.lineTo(560, 420);
    hill.cubicTo(640, 380, 720, 366, 800, 372);
    hill.lineTo(800, 600);
    hill.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(grass);
    p.drawPath(hill);
    p.setPen(QPen(QColor(110, 126, 96, 160), 1.2));
    for (int i = 0; i < 40; ++i) {
        const double x = rng.Range(640, 800), y = rng.Range(390, 590);
        p.drawLine(QPointF(x, y), QPointF(x + rng.Range(-3, 3), y - rng.Range(4, 9)));
    }
    // The tower wall: a curved surface lit from the west.
    QLinearGradient wall(130, 0, 670, 0);
    wall.setColorAt(0, QColor(150, 130, 140));
    wall.setColorAt(0.3, QColor(226, 212, 204));
    wall.setColorAt(0.65, QColor(196, 180, 182));
    wall.setColorAt(1, QColor(92, 80, 100));
    QPainterPath tower;
    tower.moveTo(150, 600);
    tower.lineTo(170, 0);
    tower.lineTo(630, 0);
    tower.lineTo(650, 600);
    tower.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(wall);
    p.drawPath(tower);
    // Stone courses.
    p.save();
    p.setClipPath(tower);
    for (int row = 0; row < 16; ++row) {
        const double y = row * 38 + 12;
        p.setPen(QPen(QColor(90, 76, 86, 70), 1.2));
        p.drawLine(QPointF(140, y), QPointF(660, y));
        for (double x = 150 + (row % 2) * 40 + rng.Range(0, 20); x < 660; x += rng.Range(70, 110))
            p.drawLine(QPointF(x, y), QPointF(x, y + 38));
    }
    // A red band across the top.
    QLinearGradient red(130, 0, 670, 0);
    red.setColorAt(0, QColor(120, 30, 36));
    red.setColorAt(0.3, QColor(190, 52, 50));
    red.setColorAt(1, QColor(70, 20, 32));
    p.fillRect(QRectF(100, 20, 600, 70), red);
    p.restore();
    // Steps.
    for (int s = 0; s < 3; ++s) {
        const QRectF step(270 - s * 22, 540 + s * 20, 260 + s * 44, 20);
        QLinearGradient g(step.left(), 0, step.right(), 0);
        g.setColorAt(0, QColor(150, 140, 146));
        g.setColorAt(0.4, QColor(190, 180, 180));
        g.setColorAt(1, QColor(92, 84, 96));
        p.setBrush(g);
        p.setPen(QPen(QColor(60, 52, 62), 1));
        p.drawRect(step);
    }
    // The stone arch and the door.
    QPainterPath arch;
    arch.moveTo(300, 540);
    arch.lineTo(300, 250);
    arch.arcTo(QRectF(300, 150, 200, 200), 180, -180);
    arch.lineTo(500, 540);
    arch.closeSubpath();
    p.setBrush(QColor(120, 104, 110));
    p.setPen(QPen(QColor(60, 50, 60), 2));
    p.drawPath(arch);
    QPainterPath door;
    door.moveTo(318, 540);
    door.lineTo(318, 250);
    door.arcTo(QRectF(318, 168, 164, 164), 180, -180);
    door.lineTo(482, 540);
    door.closeSubpath();
    QLinearGradient oak(318, 0, 482, 0);
    oak.setColorAt(0, QColor(96, 54, 36));
    oak.setColorAt(0.5, QColor(128, 74, 46));
    oak.setColorAt(1, QColor(70, 40, 32));
    p.setBrush(oak);
    p.setPen(QPen(QColor(40, 22, 18), 2));
    p.drawPath(door);
    p.save();
    p.setClipPath(door);
    p.setPen(QPen(QColor(50, 28, 20, 160), 2));
    for (double x = 318 + 27; x < 482; x += 27) p.drawLine(QPointF(x, 160), QPointF(x, 540));
    // Iron bands with studs.
    for (double y : {300.0, 460.0}) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(44, 40, 46));
        p.drawRect(QRectF(318, y, 164, 14));
        p.setBrush(QColor(120, 110, 116));
        for (double x = 328; x < 482; x += 22) p.drawEllipse(QPointF(x, y + 7), 2.5, 2.5);
    }
    p.restore();
    // Ring handle and keyhole plate.
    p.setPen(QPen(QColor(36, 32, 36), 4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(456, 392), 13, 13);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 56, 60));
    p.drawRoundedRect(QRectF(448, 410, 16, 30), 3, 3);
    p.setBrush(QColor(12, 10, 12));
    p.drawEllipse(QPointF(456, 420), 3, 3);
    p.drawRect(QRectF(455, 421, 2.5, 9));
    // The bronze plaque above the arch (its words are a text box of the frame).
    QLinearGradient bronze(290, 104, 510, 142);
    bronze.setColorAt(0, QColor(120, 86, 44));
    bronze.setColorAt(1, QColor(64, 44, 28));
    p.setBrush(bronze);
    p.setPen(QPen(QColor(40, 28, 18), 2));
    p.drawRoundedRect(QRectF(282, 104, 236, 38), 4, 4);
    // A wall lamp beside the door, not yet lit.
    p.setPen(QPen(QColor(30, 28, 34), 3));
    p.drawLine(QPointF(540, 250), QPointF(560, 250));
    p.setBrush(QColor(70, 76, 90));
    p.drawRoundedRect(QRectF(552, 222, 22, 34), 4, 4);
    // The way back along the rocks, at the left edge.
    Rock(p,
         QPolygonF({QPointF(0, 600), QPointF(0, 470), QPointF(40, 440), QPointF(110, 470),
                    QPointF(150, 540), QPointF(160, 600)}),
         QColor(90, 78, 92), QColor(28, 24, 36));
    return img;
}

QImage PaintStairs() {
    QImage img = Canvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(23);
    // Curved stone wall in lamplight.
    QLinearGradient wall(0, 0, kWidth, 0);
    wall.setColorAt(0, QColor(36, 30, 38));
    wall.setColorAt(0.45, QColor(104, 86, 80));
    wall.setColorAt(0.8, QColor(70, 58, 60));
    wall.setColorAt(1, QColor(26, 22, 30));
    p.fillRect(img.rect(), wall);
    for (int row = 0; row < 20; ++row) {
        const double y = row * 32;
        p.setPen(QPen(QColor(20, 16, 20, 90), 1.2));
        p.drawLine(QPointF(0, y), QPointF(kWidth, y));
        for (double x = (row % 2) * 36 + rng.Range(0, 20); x < kWidth; x += rng.Range(60, 100))
            p.drawLine(QPointF(x, y), QPointF(x, y + 32));
    }
    // Warm light from the wall lantern.
    Glow(p, QPointF(670, 300), 320, QColor(255, 190, 110, 110));
    Glow(p, QPointF(670, 300), 60, QColor(255, 230, 170, 200));
    p.setPen(QPen(QColor(30, 24, 24), 3));
    p.setBrush(QColor(255, 220, 150));
    p.drawRoundedRect(QRectF(658, 276, 24, 40), 4, 4);
    p.drawLine(QPointF(670, 316), QPointF(670, 336));
    // A slit window with the last of the dusk.
    QLinearGradient dusk(0, 90, 0, 230);
    dusk.setColorAt(0, QColor(40, 40, 90));
    dusk.setColorAt(1, QColor(230, 130, 100));
    p.setPen(QPen(QColor(30, 24, 28), 4));
    p.setBrush(dusk);
    QPainterPath slit;
    slit.moveTo(714, 230);
    slit.lineTo(714, 104);
    slit.quadTo(728, 84, 742, 104);
    slit.lineTo(742, 230);
    slit.closeSubpath();
    p.drawPath(slit);
    // The stair, climbing along the curved wall: the farthest step first, so that each nearer
    // step stands in front of the one above it.
    const int steps = 13;
    for (int i = steps - 1; i >= 0; --i) {
        const double t = double(i) / (steps - 1);
        const double x = 170 + i * 18 + 70 * std::sin(t * kPi * 0.9);
        const double y = 566 - i * 42;
        const double w = 290 - i * 9;
        const double light = 0.55 + 0.45 * std::exp(-std::pow((t - 0.72) * 2.4, 2));
        QPolygonF tread;
        tread << QPointF(x, y) << QPointF(x + w, y) << QPointF(x + w + 18, y - 14)
              << QPointF(x + 18, y - 14);
        QLinearGradient top(x, y, x + w, y);
        top.setColorAt(0, QColor(int(120 * light), int(104 * light), int(96 * light)));
        top.setColorAt(0.6, QColor(int(200 * light), int(176 * light), int(156 * light)));
        top.setColorAt(1, QColor(int(110 * light), int(96 * light), int(92 * light)));
        p.setPen(QPen(QColor(24, 18, 18), 1.2));
        p.setBrush(top);
        p.drawPolygon(tread);
        QLinearGradient front(x, y, x + w, y);
        front.setColorAt(0, QColor(int(52 * light), int(42 * light), int(42 * light)));
        front.setColorAt(0.6, QColor(int(92 * light), int(74 * light), int(66 * light)));
        front.setColorAt(1, QColor(int(46 * light), int(38 * light), int(40 * light)));
        p.setBrush(front);
        p.drawRect(QRectF(x, y, w, 28));
        // The iron rail post at the step's open end.
        p.setPen(QPen(QColor(30, 26, 28), 3));
        p.drawLine(QPointF(x + w - 8, y), QPointF(x + w - 8, y - 56));
    }
    // The rope rail along the posts.
    p.setPen(QPen(QColor(170, 130, 86), 4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath rail;
    for (int i = 0; i < steps; ++i) {
        const double t = double(i) / (steps - 1);
        const QPointF post(170 + i * 18 + 70 * std::sin(t * kPi * 0.9) + 290 - i * 9 - 8,
                           566 - i * 42 - 56);
        if (i == 0)
            rail.moveTo(post);
        else
            rail.lineTo(post);
    }
    p.drawPath(rail);
    // The storage shelf on the left wall.
    p.setPen(QPen(QColor(30, 20, 16), 2));
    QLinearGradient plank(0, 300, 0, 316);
    plank.setColorAt(0, QColor(130, 90, 60));
    plank.setColorAt(1, QColor(70, 46, 34));
    p.setBrush(plank);
    p.drawRect(QRectF(60, 300, 210, 14));
    p.drawLine(QPointF(80, 314), QPointF(96, 340));
    p.drawLine(QPointF(250, 314), QPointF(234, 340));
    // A coil of rope and a bucket on the shelf.
    p.setPen(QPen(QColor(150, 120, 80), 3));
    p.setBrush(Qt::NoBrush);
    for (int r = 0; r < 3; ++r)
        p.drawEllipse(QRectF(214 - r * 2, 270 + r * 3, 40 + r * 4, 28 - r * 2));
    // The doorway down, bottom left.
    QLinearGradient door(0, 420, 0, 600);
    door.setColorAt(0, QColor(120, 70, 80));
    door.setColorAt(1, QColor(40, 30, 50));
    p.setPen(QPen(QColor(24, 18, 20), 4));
    p.setBrush(door);
    QPainterPath doorway;
    doorway.moveTo(30, 600);
    doorway.lineTo(30, 470);
    doorway.quadTo(90, 410, 150, 470);
    doorway.lineTo(150, 600);
    p.drawPath(doorway);
    return img;
}

QImage PaintOilCan(const QImage& stairs, QRect rect) {
    QImage img = stairs.copy(rect).convertToFormat(QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = rect.width(), h = rect.height();
    // The can stands on the shelf, whose top is at y = 300 in the scene.
    const double floor = 300 - rect.top();
    QLinearGradient tin(w * 0.2, 0, w * 0.8, 0);
    tin.setColorAt(0, QColor(90, 26, 22));
    tin.setColorAt(0.35, QColor(200, 64, 44));
    tin.setColorAt(1, QColor(70, 20, 20));
    p.setPen(QPen(QColor(30, 10, 10), 1.5));
    p.setBrush(tin);
    const QRectF body(w * 0.22, floor - h * 0.62, w * 0.5, h * 0.62);
    p.drawRoundedRect(body, 4, 4);
    // Spout and handle.
    p.setBrush(QColor(160, 150, 140));
    QPolygonF spout;
    spout << QPointF(body.right() - 4, body.top() + 6) << QPointF(w * 0.9, body.top() - h * 0.12)
          << QPointF(w * 0.93, body.top() - h * 0.08) << QPointF(body.right() - 2, body.top() + 16);
    p.drawPolygon(spout);
    p.setPen(QPen(QColor(40, 30, 30), 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(body.left() + 4, body.top() - h * 0.2, body.width() - 8, h * 0.36), 0,
              180 * 16);
    // Label.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 214, 160));
    p.drawRect(QRectF(body.left() + 3, body.top() + body.height() * 0.35, body.width() - 6, 14));
    QFont f = Serif(10, false, true);
    p.setFont(f);
    p.setPen(QColor(90, 30, 20));
    p.drawText(QRectF(body.left() + 3, body.top() + body.height() * 0.35, body.width() - 6, 14),
               Qt::AlignCenter, QStringLiteral("OIL"));
    // Highlight.
    p.setPen(QPen(QColor(255, 200, 170, 140), 2));
    p.drawLine(QPointF(body.left() + 7, body.top() + 6),
               QPointF(body.left() + 7, body.bottom() - 6));
    return img;
}

namespace {

// The first-order lens on its brass pedestal; `lit` adds the flame and the glow.
void Lens(QPainter& p, QPointF c, bool lit) {
    // Pedestal.
    QLinearGradient brass(c.x() - 50, 0, c.x() + 50, 0);
    brass.setColorAt(0, QColor(90, 64, 30));
    brass.setColorAt(0.4, QColor(214, 170, 90));
    brass.setColorAt(1, QColor(80, 56, 30));
    p.setPen(QPen(QColor(40, 28, 14), 1.5));
    p.setBrush(brass);
    p.drawRect(QRectF(c.x() - 44, c.y() + 120, 88, 140));
    p.drawRect(QRectF(c.x() - 60, c.y() + 112, 120, 14));
    p.drawRect(QRectF(c.x() - 64, c.y() + 250, 128, 14));
    // Glass body: a barrel of rings.
    const QRectF body(c.x() - 86, c.y() - 120, 172, 236);
    QRadialGradient glass(c, 120);
    if (lit) {
        glass.setColorAt(0, QColor(255, 250, 220));
        glass.setColorAt(0.35, QColor(255, 220, 130));
        glass.setColorAt(1, QColor(210, 140, 60));
    } else {
        glass.setColorAt(0, QColor(150, 180, 200));
        glass.setColorAt(0.6, QColor(70, 96, 126));
        glass.setColorAt(1, QColor(30, 44, 64));
    }
    p.setBrush(glass);
    p.setPen(QPen(QColor(60, 46, 30), 2));
    p.drawRoundedRect(body, 60, 40);
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(body, 60, 40);
    p.setClipPath(clip);
    for (int i = 1; i < 12; ++i) {
        const double y = body.top() + body.height() * i / 12;
        const double bulge = std::sin(kPi * i / 12) * 10;
        p.setPen(QPen(lit ? QColor(255, 255, 240, 160) : QColor(200, 220, 240, 110), 1.6));
        p.drawArc(QRectF(body.left() - 10, y - 6 - bulge / 2, body.width() + 20, 12 + bulge),
                  180 * 16, 180 * 16);
    }
    // Brass frame bars.
    p.setPen(QPen(QColor(120, 90, 40), 3));
    for (double x : {c.x() - 44, c.x(), c.x() + 44})
        p.drawLine(QPointF(x, body.top()), QPointF(x, body.bottom()));
    p.restore();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 50, 26));
    p.drawEllipse(QRectF(c.x() - 30, body.top() - 14, 60, 20));
}

}  // namespace

QImage PaintLampRoom() {
    QImage img = Canvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(31);
    // Windows all round: night coming over the sea.
    Sky(p, 340, {{0, QColor(14, 18, 44)}, {0.6, QColor(46, 44, 96)}, {1, QColor(150, 90, 110)}});
    Stars(p, rng, 90, 260, 220);
    QLinearGradient sea(0, 330, 0, 380);
    sea.setColorAt(0, QColor(60, 56, 96));
    sea.setColorAt(1, QColor(16, 24, 46));
    p.fillRect(QRect(0, 330, kWidth, 50), sea);
    // Window frames.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 24, 30));
    p.drawRect(QRect(0, 0, kWidth, 46));
    for (int x = 0; x <= kWidth; x += 160) p.drawRect(QRect(x - 7, 0, 14, 380));
    p.drawRect(QRect(0, 190, kWidth, 8));
    // The room below the windows: iron wall and floor.
    QLinearGradient wall(0, 380, 0, 600);
    wall.setColorAt(0, QColor(62, 58, 66));
    wall.setColorAt(0.3, QColor(46, 42, 50));
    wall.setColorAt(1, QColor(22, 20, 26));
    p.fillRect(QRect(0, 380, kWidth, 220), wall);
    p.setPen(QPen(QColor(150, 120, 70), 4));
    p.drawLine(QPointF(0, 400), QPointF(kWidth, 400));
    p.setPen(QPen(QColor(110, 90, 60), 2));
    for (int x = 20; x < kWidth; x += 40) p.drawLine(QPointF(x, 400), QPointF(x, 440));
    p.drawLine(QPointF(0, 440), QPointF(kWidth, 440));
    // The keeper's desk with the logbook.
    QLinearGradient desk(0, 450, 0, 520);
    desk.setColorAt(0, QColor(120, 76, 46));
    desk.setColorAt(1, QColor(60, 36, 26));
    p.setPen(QPen(QColor(30, 18, 12), 2));
    p.setBrush(desk);
    p.drawRect(QRectF(590, 448, 200, 18));
    p.drawRect(QRectF(600, 466, 14, 120));
    p.drawRect(QRectF(766, 466, 14, 120));
    p.setBrush(QColor(70, 30, 30));
    p.drawRoundedRect(QRectF(630, 424, 120, 24), 3, 3);
    p.setBrush(QColor(230, 214, 180));
    p.drawRect(QRectF(636, 440, 108, 6));
    p.setPen(QPen(QColor(220, 180, 90), 1.5));
    p.drawLine(QPointF(690, 424), QPointF(690, 448));
    // An inkwell and a pen.
    p.setPen(QPen(QColor(20, 20, 26), 1));
    p.setBrush(QColor(30, 34, 60));
    p.drawRoundedRect(QRectF(758, 430, 16, 18), 3, 3);
    p.setPen(QPen(QColor(230, 230, 220), 2));
    p.drawLine(QPointF(766, 432), QPointF(782, 410));
    // The hatch to the stairs, bottom left.
    QLinearGradient hatch(0, 480, 0, 600);
    hatch.setColorAt(0, QColor(10, 8, 12));
    hatch.setColorAt(1, QColor(60, 40, 36));
    p.setPen(QPen(QColor(150, 120, 70), 4));
    p.setBrush(hatch);
    p.drawRect(QRectF(24, 500, 190, 100));
    p.setPen(QPen(QColor(140, 110, 70), 3));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(40 + i * 10, 520 + i * 22), QPointF(196 - i * 10, 520 + i * 22));
    p.drawLine(QPointF(24, 500), QPointF(24, 460));
    p.drawLine(QPointF(214, 500), QPointF(214, 460));
    p.drawLine(QPointF(24, 462), QPointF(214, 462));
    Lens(p, QPointF(400, 290), false);
    return img;
}

QImage PaintLitLens(const QImage& lampRoom, QRect rect) {
    QImage img = lampRoom.copy(rect).convertToFormat(QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(-rect.left(), -rect.top());
    // The glow fades out inside the hotspot's rectangle, so its edge never shows.
    Glow(p, QPointF(400, 286), 98, QColor(255, 210, 120, 170));
    Lens(p, QPointF(400, 290), true);
    Glow(p, QPointF(400, 290), 60, QColor(255, 255, 230, 230));
    return img;
}

QImage PaintLogbook(const QImage& lampRoom) {
    QImage img = lampRoom.copy();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(img.rect(), QColor(6, 6, 14, 150));
    // The open book.
    const QRectF book(140, 80, 520, 380);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawRoundedRect(book.translated(10, 12), 10, 10);
    p.setBrush(QColor(90, 34, 32));
    p.drawRoundedRect(book.adjusted(-10, -8, 10, 8), 10, 10);
    for (int side = 0; side < 2; ++side) {
        const QRectF page =
            side == 0 ? QRectF(book.left(), book.top(), book.width() / 2, book.height())
                      : QRectF(book.center().x(), book.top(), book.width() / 2, book.height());
        QLinearGradient paper(page.left(), 0, page.right(), 0);
        if (side == 0) {
            paper.setColorAt(0, QColor(236, 224, 196));
            paper.setColorAt(0.85, QColor(244, 234, 210));
            paper.setColorAt(1, QColor(196, 180, 150));
        } else {
            paper.setColorAt(0, QColor(196, 180, 150));
            paper.setColorAt(0.15, QColor(244, 234, 210));
            paper.setColorAt(1, QColor(232, 220, 192));
        }
        p.setBrush(paper);
        p.drawRect(page);
        // Ruled lines: the right page's are spaced for the entry the keeper writes there (a
        // 14-point text box whose first line stands at y = 150).
        p.setPen(QPen(QColor(150, 170, 200, 120), 1));
        const double first = side == 0 ? page.top() + 70 : 168;
        const double step = side == 0 ? 24 : 21;
        for (double y = first; y < page.bottom() - 20; y += step)
            p.drawLine(QPointF(page.left() + 18, y), QPointF(page.right() - 18, y));
        p.setPen(Qt::NoPen);
    }
    // Earlier entries, in faded ink on the left page.
    p.setPen(QColor(70, 50, 60));
    p.setFont(Serif(20, true, true));
    p.drawText(QRectF(book.left() + 20, book.top() + 24, 220, 30), Qt::AlignLeft,
               QStringLiteral("Keeper\u2019s Log"));
    p.setFont(Serif(15, true));
    const char* lines[] = {"Oct 9. Fog. Lamp lit 6.40 pm.", "Oct 10. Gale, NW. Lamp lit 6.35.",
                           "Oct 11. Fair. Schooner Ada passed.", "Oct 12. Rain. Lamp lit 6.30.",
                           "Oct 13. Calm. Wicks trimmed."};
    double y = book.top() + 72;
    for (const char* line : lines) {
        p.setPen(QColor(50 + int(y) % 30, 44, 70, 210));
        p.drawText(QPointF(book.left() + 22, y - 4), QString::fromUtf8(line));
        y += 48;
    }
    // The ribbon marker and the close tab.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 30, 40));
    QPolygonF ribbon;
    ribbon << QPointF(398, book.bottom()) << QPointF(410, book.bottom())
           << QPointF(410, book.bottom() + 40) << QPointF(404, book.bottom() + 32)
           << QPointF(398, book.bottom() + 40);
    p.drawPolygon(ribbon);
    QLinearGradient tab(0, 40, 0, 76);
    tab.setColorAt(0, QColor(120, 40, 40));
    tab.setColorAt(1, QColor(80, 24, 28));
    p.setBrush(tab);
    p.setPen(QPen(QColor(240, 210, 160), 1.5));
    p.drawRoundedRect(QRectF(586, 40, 88, 34), 6, 6);
    p.setFont(Serif(16, false, true));
    p.drawText(QRectF(586, 40, 88, 34), Qt::AlignCenter, QStringLiteral("Close \u00d7"));
    return img;
}

QImage PaintEnding() {
    QImage img = Canvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(43);
    const int horizon = 380;
    Sky(p, horizon, {{0, QColor(6, 8, 26)}, {0.6, QColor(18, 26, 64)}, {1, QColor(44, 52, 96)}});
    Stars(p, rng, 220, 340, 255);
    // The moon.
    Glow(p, QPointF(130, 100), 90, QColor(220, 230, 255, 70));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(246, 244, 226));
    QPainterPath full, bite;
    full.addEllipse(QPointF(130, 100), 26, 26);
    bite.addEllipse(QPointF(142, 92), 24, 24);
    p.drawPath(full.subtracted(bite));
    // The sea.
    QLinearGradient sea(0, horizon, 0, 600);
    sea.setColorAt(0, QColor(30, 40, 80));
    sea.setColorAt(1, QColor(6, 10, 24));
    p.fillRect(QRect(0, horizon, kWidth, 220), sea);
    Sparkles(p, rng, QRectF(60, horizon + 2, 140, 200), QColor(220, 230, 255, 150), 80, 60);
    // Beams from the lantern, sweeping over the water.
    const QPointF lamp(600, 118);
    for (const auto& [angle, length] : {std::pair{196.0, 700.0}, std::pair{-16.0, 400.0}}) {
        p.save();
        p.translate(lamp);
        p.rotate(angle);
        QLinearGradient beam(0, 0, length, 0);
        beam.setColorAt(0, QColor(255, 240, 180, 170));
        beam.setColorAt(1, QColor(255, 240, 180, 0));
        p.setBrush(beam);
        QPolygonF cone;
        cone << QPointF(0, -4) << QPointF(length, -length * 0.12) << QPointF(length, length * 0.12)
             << QPointF(0, 4);
        p.drawPolygon(cone);
        p.restore();
    }
    Sparkles(p, rng, QRectF(360, horizon + 4, 300, 200), QColor(255, 230, 160, 170), 120, 160);
    // The headland and the lit lighthouse.
    QPolygonF headland;
    headland << QPointF(440, 480) << QPointF(500, 400) << QPointF(560, 350) << QPointF(640, 340)
             << QPointF(720, 356) << QPointF(800, 350) << QPointF(800, 480);
    Rock(p, headland, QColor(40, 40, 62), QColor(10, 10, 20));
    Lighthouse(p, 600, 348, 150, 60, true, QColor(70, 70, 100));
    // The cottage window is lit too.
    p.setBrush(QColor(24, 22, 34));
    p.drawRect(QRectF(680, 318, 56, 32));
    p.setBrush(QColor(255, 200, 120));
    p.drawRect(QRectF(696, 328, 9, 9));
    Glow(p, QPointF(700, 332), 18, QColor(255, 190, 110, 90));
    // A schooner passing safely in the distance.
    p.setBrush(QColor(10, 12, 26));
    QPainterPath ship;
    ship.moveTo(200, 372);
    ship.lineTo(286, 372);
    ship.lineTo(276, 384);
    ship.lineTo(210, 384);
    ship.closeSubpath();
    p.drawPath(ship);
    p.setPen(QPen(QColor(10, 12, 26), 2));
    p.drawLine(QPointF(228, 372), QPointF(228, 318));
    p.drawLine(QPointF(256, 372), QPointF(256, 326));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(26, 30, 54));
    p.drawPolygon(QPolygonF({QPointF(230, 320), QPointF(252, 366), QPointF(230, 366)}));
    p.drawPolygon(QPolygonF({QPointF(258, 328), QPointF(280, 366), QPointF(258, 366)}));
    p.setBrush(QColor(255, 210, 130));
    p.drawEllipse(QPointF(268, 377), 1.8, 1.8);
    // Foreground rocks.
    Rock(p,
         QPolygonF({QPointF(0, 600), QPointF(0, 520), QPointF(80, 500), QPointF(170, 540),
                    QPointF(220, 600)}),
         QColor(30, 30, 48), QColor(6, 6, 12));
    return img;
}

QImage PaintGoodNight(const QImage& ending, QRect rect) {
    QImage img = ending.copy(rect).convertToFormat(QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF plate(1, 1, rect.width() - 2, rect.height() - 2);
    QLinearGradient g(0, 0, 0, plate.height());
    g.setColorAt(0, QColor(60, 46, 30, 220));
    g.setColorAt(1, QColor(30, 22, 16, 230));
    p.setPen(QPen(QColor(230, 190, 110), 1.5));
    p.setBrush(g);
    p.drawRoundedRect(plate, 10, 10);
    Glow(p, QPointF(26, plate.center().y()), 16, QColor(255, 220, 140, 200));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 240, 200));
    p.drawEllipse(QPointF(26, plate.center().y()), 4, 4);
    p.setPen(QColor(250, 226, 170));
    p.setFont(Serif(20, true, true));
    p.drawText(plate.adjusted(40, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Good night \u203a"));
    return img;
}

QImage PaintWelcomeButton(const QString& caption, bool accent) {
    QImage img(150, 28, QImage::Format_RGB32);
    img.fill(QColor(16, 22, 44));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 28);
    g.setColorAt(0, accent ? QColor(150, 96, 40) : QColor(46, 60, 96));
    g.setColorAt(1, accent ? QColor(90, 52, 24) : QColor(24, 32, 60));
    p.setPen(QPen(QColor(230, 190, 110), 1.2));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 149, 27), 8, 8);
    p.setPen(QColor(252, 236, 196));
    p.setFont(Serif(16, false, true));
    p.drawText(QRectF(0, 0, 150, 28), Qt::AlignCenter, caption);
    return img;
}

QImage PaintWelcomeTile() {
    QImage img(64, 64, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 64);
    g.setColorAt(0, QColor(16, 24, 50));
    g.setColorAt(0.5, QColor(20, 30, 60));
    g.setColorAt(1, QColor(16, 24, 50));
    p.fillRect(img.rect(), g);
    // Gentle waves that join across tiles.
    p.setPen(QPen(QColor(40, 56, 96), 1.2));
    for (int row = 0; row < 4; ++row) {
        QPainterPath wave;
        const double y = 8 + row * 16;
        wave.moveTo(0, y);
        wave.cubicTo(16, y - 4, 16, y + 4, 32, y);
        wave.cubicTo(48, y - 4, 48, y + 4, 64, y);
        p.drawPath(wave);
    }
    return img;
}

QImage PaintHandPointer() {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A pointing hand: the finger tip at (10, 2).
    QPainterPath hand;
    hand.moveTo(8, 4);
    hand.quadTo(10, 0, 12, 4);
    hand.lineTo(12, 13);
    hand.quadTo(14, 11, 16, 13);
    hand.quadTo(18, 11, 20, 13.5);
    hand.quadTo(22, 12, 24, 14.5);
    hand.lineTo(24, 22);
    hand.quadTo(23, 28, 18, 29);
    hand.lineTo(12, 29);
    hand.quadTo(8, 27, 4, 19);
    hand.quadTo(4, 16, 7, 17);
    hand.lineTo(8, 18.5);
    hand.closeSubpath();
    p.setPen(QPen(QColor(30, 20, 16), 1.6));
    QLinearGradient skin(4, 0, 24, 0);
    skin.setColorAt(0, QColor(255, 236, 200));
    skin.setColorAt(1, QColor(226, 186, 140));
    p.setBrush(skin);
    p.drawPath(hand);
    p.setPen(QPen(QColor(120, 80, 60), 1));
    p.drawLine(QPointF(16, 14), QPointF(16, 19));
    p.drawLine(QPointF(20, 14.5), QPointF(20, 19));
    return img;
}

QImage PaintWalkPointer() {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // An arrow pointing up and ahead, hot spot at its tip (16, 2).
    QPolygonF arrow;
    arrow << QPointF(16, 2) << QPointF(27, 14) << QPointF(20, 14) << QPointF(20, 28)
          << QPointF(12, 28) << QPointF(12, 14) << QPointF(5, 14);
    QLinearGradient g(0, 2, 0, 28);
    g.setColorAt(0, QColor(255, 226, 140));
    g.setColorAt(1, QColor(210, 140, 50));
    p.setPen(QPen(QColor(40, 24, 10), 1.6));
    p.setBrush(g);
    p.drawPolygon(arrow);
    return img;
}

}  // namespace demo
