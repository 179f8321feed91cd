#include "platform/forms/controls/LineControl.h"

#include <QPainter>

#include "platform/forms/CommonProperties.h"

namespace storyloom::forms {

LineControl::LineControl(QString name) : OutlinedControl(ControlKind::Line, std::move(name)) {
    Place();
}

std::unique_ptr<Control> LineControl::CloneForArray() const {
    return std::unique_ptr<LineControl>(new LineControl(*this));
}

void LineControl::Place() {
    // The rectangle covers both ends and the pen's width, so the renderer and hit tests of
    // neighbours see where the line is.
    const int half = Border().width / 2;
    const QRect r = QRect(p1_, p2_).normalized().adjusted(-half, -half, half, half);
    SetPixelRect(QRect(r.topLeft(), r.size()));
    Changed();
}

void LineControl::SetX1(double twips) {
    p1_.setX(TwipsToPixels(twips));
    Place();
}
void LineControl::SetY1(double twips) {
    p1_.setY(TwipsToPixels(twips));
    Place();
}
void LineControl::SetX2(double twips) {
    p2_.setX(TwipsToPixels(twips));
    Place();
}
void LineControl::SetY2(double twips) {
    p2_.setY(TwipsToPixels(twips));
    Place();
}

void LineControl::Paint(QPainter& p) const {
    if (Border().style == 0) return;
    const QPoint origin = PixelRect().topLeft();
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(OutlinePen(Border()));
    p.drawLine(P1() - origin, P2() - origin);
    p.restore();
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("Line"));
    // A line has no Left/Top/Width/Height: its end points place it.
    t.Add(NameProperty());
    t.Add(IndexProperty());
    t.Add(TagProperty());
    t.Add(VisibleProperty());
    using Get = double (LineControl::*)() const;
    using Set = void (LineControl::*)(double);
    auto point = [&t](const char* name, Get get, Set set) {
        t.Add({name, PropertyType::Single,
               [get](Control& c) { return PropertyValue((As<LineControl>(c).*get)()); },
               [set](Control& c, const PropertyValue& v) {
                   (As<LineControl>(c).*set)(std::get<double>(v));
               }});
    };
    point("X1", &LineControl::X1, &LineControl::SetX1);
    point("Y1", &LineControl::Y1, &LineControl::SetY1);
    point("X2", &LineControl::X2, &LineControl::SetX2);
    point("Y2", &LineControl::Y2, &LineControl::SetY2);
    AddOutlineProperties(t);
    t.Add(RefreshMethod());
    t.Add(ZOrderMethod());
    t.SetDefault("Visible");
    return t;
}

const PropertyTableRegistration registration(ControlKind::Line, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
