// How the standard controls look: the classic grey desktop's sunken white boxes, check marks,
// highlighted list rows and drop-down buttons.
#include <QPainterPath>
#include <algorithm>

#include "platform/forms/MoreControls.h"
#include "platform/forms/Text.h"

namespace storyloom::forms {

namespace {

const QColor kShadow(0x80, 0x80, 0x80), kDarkShadow(0, 0, 0), kLight(0xDF, 0xDF, 0xDF),
    kWhite(0xFF, 0xFF, 0xFF), kFace(0xC0, 0xC0, 0xC0), kSelection(0x00, 0x00, 0x80);

void Sunken(QPainter& p, const QRect& r) {
    if (r.width() < 4 || r.height() < 4) return;
    const int x0 = r.left(), y0 = r.top(), x1 = r.right(), y1 = r.bottom();
    p.fillRect(x0, y0, r.width(), 1, kShadow);
    p.fillRect(x0, y0, 1, r.height(), kShadow);
    p.fillRect(x0, y1, r.width(), 1, kWhite);
    p.fillRect(x1, y0, 1, r.height(), kWhite);
    p.fillRect(x0 + 1, y0 + 1, r.width() - 2, 1, kDarkShadow);
    p.fillRect(x0 + 1, y0 + 1, 1, r.height() - 2, kDarkShadow);
    p.fillRect(x0 + 1, y1 - 1, r.width() - 2, 1, kLight);
    p.fillRect(x1 - 1, y0 + 1, 1, r.height() - 2, kLight);
}

void Raised(QPainter& p, const QRect& r) {
    p.fillRect(r, kFace);
    const int x0 = r.left(), y0 = r.top(), x1 = r.right(), y1 = r.bottom();
    p.fillRect(x0, y0, r.width(), 1, kLight);
    p.fillRect(x0, y0, 1, r.height(), kLight);
    p.fillRect(x0, y1, r.width(), 1, kDarkShadow);
    p.fillRect(x1, y0, 1, r.height(), kDarkShadow);
    p.fillRect(x0 + 1, y0 + 1, r.width() - 2, 1, kWhite);
    p.fillRect(x0 + 1, y0 + 1, 1, r.height() - 2, kWhite);
    p.fillRect(x0 + 1, y1 - 1, r.width() - 2, 1, kShadow);
    p.fillRect(x1 - 1, y0 + 1, 1, r.height() - 2, kShadow);
}

QPen OutlinePen(const Outline& o) {
    QPen pen(ToQColor(o.color), o.width);
    static const Qt::PenStyle styles[] = {Qt::NoPen,    Qt::SolidLine,   Qt::DashLine,
                                          Qt::DotLine,  Qt::DashDotLine, Qt::DashDotDotLine,
                                          Qt::SolidLine};
    pen.setStyle(styles[std::clamp(o.style, 0, 6)]);
    // Patterned pens exist only one pixel wide, as on the original's desktop.
    if (o.style >= 2 && o.style <= 5) pen.setWidth(1);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

void DrawCheckBox(QPainter& p, const CheckBox& box) {
    const QRect outer(QPoint(0, 0), box.PixelRect().size());
    p.fillRect(outer, ToQColor(box.BackColor()));
    const int side = 13;
    const int y = (outer.height() - side) / 2;
    const int x = box.Alignment() == 0 ? 0 : outer.width() - side;
    const QRect mark(x, y, side, side);
    Sunken(p, mark);
    p.fillRect(mark.adjusted(2, 2, -2, -2), box.Value() == 2 ? kFace : kWhite);
    if (box.Value() != 0) {
        // The tick: a 3-pixel-thick stroke down then up, grey when greyed.
        const QColor ink = box.Value() == 2 ? kShadow : kDarkShadow;
        for (int i = 0; i < 7; ++i) {
            const int top = i < 3 ? y + 5 + i : y + 7 - (i - 2);
            p.fillRect(x + 3 + i, top, 1, 3, ink);
        }
    }
    const QFont font = MakeQFont(box.Font());
    const QFontMetrics metrics(font);
    p.save();
    p.setFont(font);
    p.setPen(box.Enabled() ? ToQColor(box.ForeColor()) : kShadow);
    const QRect text = box.Alignment() == 0 ? outer.adjusted(side + 4, 0, 0, 0)
                                            : outer.adjusted(0, 0, -side - 4, 0);
    p.setClipRect(text);
    p.drawText(text, Qt::AlignVCenter | (box.Alignment() == 0 ? Qt::AlignLeft : Qt::AlignRight),
               box.Caption());
    p.restore();
}

void DrawLine(QPainter& p, const LineControl& line) {
    if (line.Border().style == 0) return;
    const QPoint origin = line.PixelRect().topLeft();
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(OutlinePen(line.Border()));
    p.drawLine(line.P1() - origin, line.P2() - origin);
    p.restore();
}

void DrawShape(QPainter& p, const ShapeControl& shape) {
    QRect r = shape.FigureRect();
    const Outline& o = shape.Border();
    const bool inside = o.style == 6 || o.width > 1;
    if (inside && o.style != 0) {
        // Wide outlines stay inside the figure's rectangle.
        const int half = o.width / 2;
        r = r.adjusted(half, half, -(o.width - half), -(o.width - half));
    } else {
        r = r.adjusted(0, 0, -1, -1);
    }
    if (r.width() < 0 || r.height() < 0) return;
    const int radius = std::min(r.width(), r.height()) / 4;
    auto figure = [&](QPainter& painter) {
        switch (shape.Shape()) {
            case ShapeControl::Oval:
            case ShapeControl::Circle:
                painter.drawEllipse(r);
                break;
            case ShapeControl::RoundedRectangle:
            case ShapeControl::RoundedSquare:
                painter.drawRoundedRect(r, radius, radius);
                break;
            default:
                painter.drawRect(r);
                break;
        }
    };
    p.save();
    p.setRenderHint(QPainter::Antialiasing, shape.Shape() >= ShapeControl::Oval);
    p.setPen(Qt::NoPen);
    if (shape.BackStyle() == 1) {
        p.setBrush(ToQColor(shape.BackColor()));
        figure(p);
    }
    if (shape.FillStyle() != 1) {
        static const Qt::BrushStyle fills[] = {
            Qt::SolidPattern, Qt::NoBrush,      Qt::HorPattern,   Qt::VerPattern,
            Qt::BDiagPattern, Qt::FDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        p.setBrush(QBrush(ToQColor(shape.FillColor()), fills[shape.FillStyle()]));
        figure(p);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(OutlinePen(o));
    figure(p);
    p.restore();
}

void DrawTextBox(QPainter& p, const TextBox& box) {
    const QRect outer(QPoint(0, 0), box.PixelRect().size());
    p.fillRect(outer, ToQColor(box.BackColor()));
    const int b = box.BorderPixels();
    if (b) Sunken(p, outer);
    const QRect inner = outer.adjusted(b + 1, b + 1, -b - 1, -b - 1);
    const QFont font = MakeQFont(box.Font());
    const QFontMetrics metrics(font);
    const QString shown = box.DisplayText();
    const QStringList lines =
        box.MultiLine() ? LayoutLines(shown, metrics, inner.width()) : QStringList{shown};
    p.save();
    p.setClipRect(inner, Qt::IntersectClip);
    p.setFont(font);
    const QColor ink = box.Enabled() ? ToQColor(box.ForeColor()) : kShadow;
    int y = box.MultiLine() ? inner.top() : inner.top() + (inner.height() - metrics.height()) / 2;
    int offset = 0;
    const bool focused = box.OwnerWindow() && box.OwnerWindow()->FocusedControl() == &box;
    for (const QString& line : lines) {
        int x = inner.left();
        const int w = metrics.horizontalAdvance(line);
        if (box.Alignment() == 1) x = inner.right() + 1 - w;
        if (box.Alignment() == 2) x = inner.left() + (inner.width() - w) / 2;
        // The selection shows as white on dark blue.
        const int s0 = std::clamp(box.SelStart() - offset, 0, int(line.size()));
        const int s1 = std::clamp(box.SelStart() + box.SelLength() - offset, 0, int(line.size()));
        if (s1 > s0) {
            const int sx = x + metrics.horizontalAdvance(line.left(s0));
            p.fillRect(sx, y, metrics.horizontalAdvance(line.mid(s0, s1 - s0)), metrics.height(),
                       kSelection);
        }
        p.setPen(ink);
        p.drawText(x, y + metrics.ascent(), line.left(s0));
        p.setPen(s1 > s0 ? kWhite : ink);
        p.drawText(x + metrics.horizontalAdvance(line.left(s0)), y + metrics.ascent(),
                   line.mid(s0, s1 - s0));
        p.setPen(ink);
        p.drawText(x + metrics.horizontalAdvance(line.left(s1)), y + metrics.ascent(),
                   line.mid(s1));
        if (focused && box.SelLength() == 0 && box.SelStart() >= offset &&
            box.SelStart() <= offset + line.size())
            p.fillRect(x + metrics.horizontalAdvance(line.left(box.SelStart() - offset)), y, 1,
                       metrics.height(), ink);
        offset += int(line.size());
        // Wrapped lines lose their break characters; a hard break is two.
        if (offset < shown.size() && shown.mid(offset, 2) == QLatin1String("\r\n"))
            offset += 2;
        else if (offset < shown.size() && shown[offset] == QLatin1Char(' '))
            offset += 1;
        y += metrics.height();
    }
    p.restore();
}

void DrawFolderIcon(QPainter& p, int x, int y, bool open) {
    p.fillRect(x, y + 1, 6, 2, QColor(0xC0, 0xC0, 0x00));
    p.fillRect(x, y + 3, 13, 8, open ? QColor(0xFF, 0xFF, 0x80) : QColor(0xC0, 0xC0, 0x00));
    p.setPen(kDarkShadow);
    p.setBrush(Qt::NoBrush);
    p.drawRect(x, y + 3, 12, 7);
}

void DrawList(QPainter& p, const ListBox& list, bool folders) {
    const QRect outer(QPoint(0, 0), list.PixelRect().size());
    p.fillRect(outer, ToQColor(list.BackColor()));
    Sunken(p, outer);
    const QRect inner = outer.adjusted(2, 2, -2, -2);
    const QFont font = MakeQFont(list.Font());
    const QFontMetrics metrics(font);
    const int rowH = std::max(1, metrics.height());
    p.save();
    p.setClipRect(inner, Qt::IntersectClip);
    p.setFont(font);
    const int count = list.DisplayRowCount();
    for (int row = list.TopIndex(), y = inner.top(); row < count && y <= inner.bottom();
         ++row, y += rowH) {
        QString text = list.DisplayRow(row);
        int x = inner.left() + 1;
        if (folders) {
            const int indent = list.DisplayIndent(row);
            x += indent * 8;
            const auto& dir = static_cast<const DirListBox&>(list);
            DrawFolderIcon(p, x, y + (rowH - 12) / 2, row < count - dir.SubfolderCount());
            x += 16;
            // Each folder row shows its own name; the root shows itself.
            const int slash = int(text.lastIndexOf(QLatin1Char('/')));
            if (text.size() > 1 && slash >= 0) text = text.mid(slash + 1);
        }
        const bool selected = row == list.SelectedRow();
        if (selected) {
            p.fillRect(QRect(x - 1, y, inner.right() - x + 2, rowH), kSelection);
            p.setPen(kWhite);
        } else {
            p.setPen(list.Enabled() ? ToQColor(list.ForeColor()) : kShadow);
        }
        p.drawText(x + 1, y + metrics.ascent(), text);
    }
    p.restore();
}

void DrawDriveList(QPainter& p, const DriveListBox& drives) {
    const QRect outer(QPoint(0, 0), drives.PixelRect().size());
    p.fillRect(outer, ToQColor(drives.BackColor()));
    Sunken(p, outer);
    const QRect inner = outer.adjusted(2, 2, -2, -2);
    // The drop-down button on the right.
    const int bw = std::min(16, inner.width());
    const QRect button(inner.right() + 1 - bw, inner.top(), bw, inner.height());
    Raised(p, button);
    const int cx = button.center().x(), cy = button.center().y();
    for (int i = 0; i < 4; ++i) p.fillRect(cx - 3 + i, cy - 1 + i, 7 - 2 * i, 1, kDarkShadow);
    const QFont font = MakeQFont(drives.Font());
    p.save();
    p.setClipRect(inner.adjusted(0, 0, -bw, 0), Qt::IntersectClip);
    p.setFont(font);
    p.setPen(ToQColor(drives.ForeColor()));
    p.drawText(inner.adjusted(3, 0, -bw, 0), Qt::AlignVCenter | Qt::AlignLeft, drives.Drive());
    p.restore();
}

}  // namespace

bool DrawMoreControl(QPainter& painter, const Control& control) {
    switch (control.Kind()) {
        case ControlKind::CheckBox:
            DrawCheckBox(painter, static_cast<const CheckBox&>(control));
            return true;
        case ControlKind::Line:
            DrawLine(painter, static_cast<const LineControl&>(control));
            return true;
        case ControlKind::Shape:
            DrawShape(painter, static_cast<const ShapeControl&>(control));
            return true;
        case ControlKind::TextBox:
            DrawTextBox(painter, static_cast<const TextBox&>(control));
            return true;
        case ControlKind::ListBox:
        case ControlKind::FileListBox:
            DrawList(painter, static_cast<const ListBox&>(control), false);
            return true;
        case ControlKind::DirListBox:
            DrawList(painter, static_cast<const ListBox&>(control), true);
            return true;
        case ControlKind::DriveListBox:
            DrawDriveList(painter, static_cast<const DriveListBox&>(control));
            return true;
        default:
            return false;
    }
}

}  // namespace storyloom::forms
