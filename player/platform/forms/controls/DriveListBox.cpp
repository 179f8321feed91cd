#include "platform/forms/controls/DriveListBox.h"

#include <QPainter>
#include <algorithm>

#include "platform/forms/CommonProperties.h"
#include "platform/forms/Painting.h"
#include "platform/forms/Text.h"

namespace storyloom::forms {

DriveListBox::DriveListBox(QString name)
    : StyledControl(ControlKind::DriveListBox, std::move(name), kSysWindowBackground,
                    kSysWindowText),
      drive_(Drives().value(0)) {
    SetPixelRect(QRect(0, 0, 120, 21));
}

std::unique_ptr<Control> DriveListBox::CloneForArray() const {
    return std::unique_ptr<DriveListBox>(new DriveListBox(*this));
}

QStringList DriveListBox::Drives() {
    return {QStringLiteral("/")};
}

void DriveListBox::SetDrive(const QString& drive) {
    // A drive is named by its start, as "c:" names "c: [label]".
    for (const QString& d : Drives())
        if (!drive.isEmpty() && d.startsWith(drive.left(d.size()), Qt::CaseInsensitive) &&
            drive.startsWith(d, Qt::CaseInsensitive)) {
            const bool changed = d != drive_;
            drive_ = d;
            Changed();
            if (changed) RaiseEvent(onChange, *this);
            return;
        }
    throw ControlError(kErrDeviceUnavailable, QStringLiteral("Device unavailable"));
}

void DriveListBox::Paint(QPainter& p) const {
    const QRect outer(QPoint(0, 0), PixelRect().size());
    p.fillRect(outer, ToQColor(BackColor()));
    DrawSunkenBox(p, outer);
    const QRect inner = outer.adjusted(2, 2, -2, -2);
    // The drop-down button on the right.
    const int bw = std::min(16, inner.width());
    const QRect button(inner.right() + 1 - bw, inner.top(), bw, inner.height());
    DrawRaisedBox(p, button);
    const int cx = button.center().x(), cy = button.center().y();
    for (int i = 0; i < 4; ++i) p.fillRect(cx - 3 + i, cy - 1 + i, 7 - 2 * i, 1, kBlack);
    const QFont font = MakeQFont(Font());
    p.save();
    p.setClipRect(inner.adjusted(0, 0, -bw, 0), Qt::IntersectClip);
    p.setFont(font);
    p.setPen(ToQColor(ForeColor()));
    p.drawText(inner.adjusted(3, 0, -bw, 0), Qt::AlignVCenter | Qt::AlignLeft, Drive());
    p.restore();
}

namespace {

PropertyTable MakeTable() {
    PropertyTable t(QStringLiteral("DriveListBox"));
    AddCommonProperties(t, true);
    AddStyleProperties(t);
    t.Add(Member<DriveListBox>("Drive", PropertyType::String, &DriveListBox::Drive,
                               &DriveListBox::SetDrive));
    t.Add({"ListCount",
           PropertyType::Integer,
           [](Control&) { return Long(qint32(DriveListBox::Drives().size())); },
           {}});
    t.Add({"ListIndex", PropertyType::Integer,
           [](Control& c) {
               return Long(qint32(DriveListBox::Drives().indexOf(As<DriveListBox>(c).Drive())));
           },
           [](Control& c, const PropertyValue& v) {
               const QStringList drives = DriveListBox::Drives();
               const qint32 i = std::get<qint32>(v);
               if (i < 0 || i >= drives.size()) ThrowInvalidValue();
               As<DriveListBox>(c).SetDrive(drives[i]);
           }});
    t.Add(MethodInfo{"List", 1, 1, [](Control&, const std::vector<PropertyValue>& a) {
                         return PropertyValue(DriveListBox::Drives().value(ToLong(a[0])));
                     }});
    t.SetDefault("Drive");
    return t;
}

const PropertyTableRegistration registration(ControlKind::DriveListBox, &MakeTable);

}  // namespace

}  // namespace storyloom::forms
