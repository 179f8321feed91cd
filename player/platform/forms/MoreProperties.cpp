// Property tables of check boxes, lines, shapes, text boxes and the lists.
#include "platform/forms/MoreControls.h"
#include "platform/forms/PropertyHelpers.h"

namespace storyloom::forms {

namespace {

template <class C>
C& As(Control& c) {
    return static_cast<C&>(c);
}

PropertyValue Long(qint32 v) {
    return PropertyValue(v);
}

bool Given(const std::vector<PropertyValue>& a, std::size_t i) {
    return i < a.size() && !std::holds_alternative<std::monostate>(a[i]);
}

// ForeColor, BackColor and the font of the text-drawing controls.
void AddStyle(PropertyTable& t) {
    AddFontPropertiesTo(t);
    t.Add({"ForeColor", PropertyType::Color,
           [](Control& c) { return Long(static_cast<qint32>(As<StyledControl>(c).ForeColor())); },
           [](Control& c, const PropertyValue& v) {
               As<StyledControl>(c).SetForeColor(static_cast<OleColor>(std::get<qint32>(v)));
           }});
    t.Add({"BackColor", PropertyType::Color,
           [](Control& c) { return Long(static_cast<qint32>(As<StyledControl>(c).BackColor())); },
           [](Control& c, const PropertyValue& v) {
               As<StyledControl>(c).SetBackColor(static_cast<OleColor>(std::get<qint32>(v)));
           }});
    t.Add({"Appearance", PropertyType::Integer, [](Control&) { return Long(1); }, {}});
}

// BorderColor, BorderWidth, BorderStyle of lines and shapes.
template <class C>
void AddOutline(PropertyTable& t) {
    t.Add({"BorderColor", PropertyType::Color,
           [](Control& c) { return Long(static_cast<qint32>(As<C>(c).Border().color)); },
           [](Control& c, const PropertyValue& v) {
               As<C>(c).SetBorderColor(static_cast<OleColor>(std::get<qint32>(v)));
           }});
    t.Add(
        {"BorderWidth", PropertyType::Integer,
         [](Control& c) { return Long(As<C>(c).Border().width); },
         [](Control& c, const PropertyValue& v) { As<C>(c).SetBorderWidth(std::get<qint32>(v)); }});
    t.Add(
        {"BorderStyle", PropertyType::Integer,
         [](Control& c) { return Long(As<C>(c).Border().style); },
         [](Control& c, const PropertyValue& v) { As<C>(c).SetBorderStyle(std::get<qint32>(v)); }});
}

// List(i), ListCount, ListIndex, Text, and with `editable` the methods that change the rows.
// List and ItemData take the index as an argument; a second argument sets the row.
void AddListMembers(PropertyTable& t, bool editable) {
    t.Add({"ListCount",
           PropertyType::Integer,
           [](Control& c) { return Long(As<ListBox>(c).ListCount()); },
           {}});
    t.Add({"ListIndex", PropertyType::Integer,
           [](Control& c) { return Long(As<ListBox>(c).ListIndex()); },
           [](Control& c, const PropertyValue& v) {
               As<ListBox>(c).SetListIndex(std::get<qint32>(v));
           }});
    t.Add({"TopIndex", PropertyType::Integer,
           [](Control& c) { return Long(As<ListBox>(c).TopIndex()); },
           [](Control& c, const PropertyValue& v) {
               As<ListBox>(c).SetTopIndex(std::get<qint32>(v));
           }});
    t.Add(MethodInfo{"List", 1, 2, [](Control& c, const std::vector<PropertyValue>& a) {
                         auto& list = As<ListBox>(c);
                         const int index = ToLong(a[0]);
                         if (Given(a, 1)) {
                             list.SetList(index, ToText(a[1]));
                             return PropertyValue();
                         }
                         return PropertyValue(list.List(index));
                     }});
    if (!editable) {
        t.Add({"Text",
               PropertyType::String,
               [](Control& c) { return PropertyValue(As<ListBox>(c).Text()); },
               {}});
        return;
    }
    t.Add({"Text", PropertyType::String,
           [](Control& c) { return PropertyValue(As<ListBox>(c).Text()); },
           [](Control& c, const PropertyValue& v) {
               // Selects the row of that text, as typing a known item would.
               auto& list = As<ListBox>(c);
               const QString text = std::get<QString>(v);
               for (int i = 0; i < list.ListCount(); ++i)
                   if (list.List(i).compare(text, Qt::CaseInsensitive) == 0) {
                       list.SetListIndex(i);
                       return;
                   }
               list.SetListIndex(-1);
           }});
    t.Add({"NewIndex",
           PropertyType::Integer,
           [](Control& c) { return Long(As<ListBox>(c).NewIndex()); },
           {}});
    t.Add(
        {"Sorted", PropertyType::Boolean,
         [](Control& c) { return PropertyValue(As<ListBox>(c).Sorted()); },
         [](Control& c, const PropertyValue& v) { As<ListBox>(c).SetSorted(std::get<bool>(v)); }});
    t.Add(MethodInfo{"ItemData", 1, 2, [](Control& c, const std::vector<PropertyValue>& a) {
                         auto& list = As<ListBox>(c);
                         const int index = ToLong(a[0]);
                         if (Given(a, 1)) {
                             list.SetItemData(index, ToLong(a[1]));
                             return PropertyValue();
                         }
                         return PropertyValue(list.ItemData(index));
                     }});
    t.Add(MethodInfo{"AddItem", 1, 2, [](Control& c, const std::vector<PropertyValue>& a) {
                         As<ListBox>(c).AddItem(ToText(a[0]), Given(a, 1) ? ToLong(a[1]) : -1);
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"RemoveItem", 1, 1, [](Control& c, const std::vector<PropertyValue>& a) {
                         As<ListBox>(c).RemoveItem(ToLong(a[0]));
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"Clear", 0, 0, [](Control& c, const std::vector<PropertyValue>&) {
                         As<ListBox>(c).Clear();
                         return PropertyValue();
                     }});
}

PropertyTable MakeCheckBoxTable() {
    PropertyTable t;
    AddCommonProperties(t, true);
    AddStyle(t);
    t.Add({"Caption", PropertyType::String,
           [](Control& c) { return PropertyValue(As<CheckBox>(c).Caption()); },
           [](Control& c, const PropertyValue& v) {
               As<CheckBox>(c).SetCaption(std::get<QString>(v));
           }});
    t.Add({"Value", PropertyType::Integer, [](Control& c) { return Long(As<CheckBox>(c).Value()); },
           [](Control& c, const PropertyValue& v) {
               As<CheckBox>(c).SetValue(std::get<qint32>(v));
           }});
    t.Add({"Alignment", PropertyType::Integer,
           [](Control& c) { return Long(As<CheckBox>(c).Alignment()); },
           [](Control& c, const PropertyValue& v) {
               As<CheckBox>(c).SetAlignment(std::get<qint32>(v));
           }});
    t.SetDefault("Value");
    return t;
}

PropertyTable MakeLineTable() {
    PropertyTable t;
    // A line has no Left/Top/Width/Height: its end points place it.
    t.Add({"Name", PropertyType::String, [](Control& c) { return PropertyValue(c.Name()); }, {}});
    t.Add({"Index",
           PropertyType::Integer,
           [](Control& c) -> PropertyValue {
               if (c.Index() < 0) throw ControlError(343, QStringLiteral("Object not an array"));
               return Long(c.Index());
           },
           {}});
    t.Add({"Tag", PropertyType::String, [](Control& c) { return PropertyValue(c.Tag()); },
           [](Control& c, const PropertyValue& v) { c.SetTag(std::get<QString>(v)); }});
    t.Add({"Visible", PropertyType::Boolean, [](Control& c) { return PropertyValue(c.Visible()); },
           [](Control& c, const PropertyValue& v) { c.SetVisible(std::get<bool>(v)); }});
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
    AddOutline<LineControl>(t);
    t.Add(MethodInfo{"Refresh", 0, 0, [](Control& c, const std::vector<PropertyValue>&) {
                         c.Refresh();
                         return PropertyValue();
                     }});
    t.Add(MethodInfo{"ZOrder", 0, 1, [](Control& c, const std::vector<PropertyValue>& a) {
                         c.ZOrder(Given(a, 0) ? ToLong(a[0]) : 0);
                         return PropertyValue();
                     }});
    t.SetDefault("Visible");
    return t;
}

PropertyTable MakeShapeTable() {
    PropertyTable t;
    AddCommonProperties(t, true);
    t.Add({"Shape", PropertyType::Integer,
           [](Control& c) { return Long(As<ShapeControl>(c).Shape()); },
           [](Control& c, const PropertyValue& v) {
               As<ShapeControl>(c).SetShape(std::get<qint32>(v));
           }});
    t.Add({"BackStyle", PropertyType::Integer,
           [](Control& c) { return Long(As<ShapeControl>(c).BackStyle()); },
           [](Control& c, const PropertyValue& v) {
               As<ShapeControl>(c).SetBackStyle(std::get<qint32>(v));
           }});
    t.Add({"BackColor", PropertyType::Color,
           [](Control& c) { return Long(static_cast<qint32>(As<ShapeControl>(c).BackColor())); },
           [](Control& c, const PropertyValue& v) {
               As<ShapeControl>(c).SetBackColor(static_cast<OleColor>(std::get<qint32>(v)));
           }});
    t.Add({"FillColor", PropertyType::Color,
           [](Control& c) { return Long(static_cast<qint32>(As<ShapeControl>(c).FillColor())); },
           [](Control& c, const PropertyValue& v) {
               As<ShapeControl>(c).SetFillColor(static_cast<OleColor>(std::get<qint32>(v)));
           }});
    t.Add({"FillStyle", PropertyType::Integer,
           [](Control& c) { return Long(As<ShapeControl>(c).FillStyle()); },
           [](Control& c, const PropertyValue& v) {
               As<ShapeControl>(c).SetFillStyle(std::get<qint32>(v));
           }});
    AddOutline<ShapeControl>(t);
    t.SetDefault("Shape");
    return t;
}

PropertyTable MakeTextBoxTable() {
    PropertyTable t;
    AddCommonProperties(t, true);
    AddStyle(t);
    t.Add(
        {"Text", PropertyType::String,
         [](Control& c) { return PropertyValue(As<TextBox>(c).Text()); },
         [](Control& c, const PropertyValue& v) { As<TextBox>(c).SetText(std::get<QString>(v)); }});
    t.Add({"MaxLength", PropertyType::Long,
           [](Control& c) { return Long(As<TextBox>(c).MaxLength()); },
           [](Control& c, const PropertyValue& v) {
               As<TextBox>(c).SetMaxLength(std::get<qint32>(v));
           }});
    t.Add(
        {"Locked", PropertyType::Boolean,
         [](Control& c) { return PropertyValue(As<TextBox>(c).Locked()); },
         [](Control& c, const PropertyValue& v) { As<TextBox>(c).SetLocked(std::get<bool>(v)); }});
    t.Add({"PasswordChar", PropertyType::String,
           [](Control& c) { return PropertyValue(As<TextBox>(c).PasswordChar()); },
           [](Control& c, const PropertyValue& v) {
               As<TextBox>(c).SetPasswordChar(std::get<QString>(v));
           }});
    t.Add({"MultiLine", PropertyType::Boolean,
           [](Control& c) { return PropertyValue(As<TextBox>(c).MultiLine()); },
           [](Control& c, const PropertyValue& v) {
               As<TextBox>(c).SetMultiLine(std::get<bool>(v));
           }});
    t.Add({"Alignment", PropertyType::Integer,
           [](Control& c) { return Long(As<TextBox>(c).Alignment()); },
           [](Control& c, const PropertyValue& v) {
               As<TextBox>(c).SetAlignment(std::get<qint32>(v));
           }});
    t.Add({"BorderStyle", PropertyType::Integer,
           [](Control& c) { return Long(As<TextBox>(c).BorderStyle()); },
           [](Control& c, const PropertyValue& v) {
               As<TextBox>(c).SetBorderStyle(std::get<qint32>(v));
           }});
    t.Add({"SelStart", PropertyType::Long,
           [](Control& c) { return Long(As<TextBox>(c).SelStart()); },
           [](Control& c, const PropertyValue& v) {
               As<TextBox>(c).SetSelStart(std::get<qint32>(v));
           }});
    t.Add({"SelLength", PropertyType::Long,
           [](Control& c) { return Long(As<TextBox>(c).SelLength()); },
           [](Control& c, const PropertyValue& v) {
               As<TextBox>(c).SetSelLength(std::get<qint32>(v));
           }});
    t.Add({"SelText", PropertyType::String,
           [](Control& c) { return PropertyValue(As<TextBox>(c).SelText()); },
           [](Control& c, const PropertyValue& v) {
               As<TextBox>(c).SetSelText(std::get<QString>(v));
           }});
    t.SetDefault("Text");
    return t;
}

PropertyTable MakeListBoxTable() {
    PropertyTable t;
    AddCommonProperties(t, true);
    AddStyle(t);
    AddListMembers(t, true);
    t.SetDefault("Text");
    return t;
}

PropertyTable MakeFileListTable() {
    PropertyTable t;
    AddCommonProperties(t, true);
    AddStyle(t);
    AddListMembers(t, false);
    t.Add({"Path", PropertyType::String,
           [](Control& c) { return PropertyValue(As<FileListBox>(c).Path()); },
           [](Control& c, const PropertyValue& v) {
               As<FileListBox>(c).SetPath(std::get<QString>(v));
           }});
    t.Add({"Pattern", PropertyType::String,
           [](Control& c) { return PropertyValue(As<FileListBox>(c).Pattern()); },
           [](Control& c, const PropertyValue& v) {
               As<FileListBox>(c).SetPattern(std::get<QString>(v));
           }});
    t.Add({"FileName", PropertyType::String,
           [](Control& c) { return PropertyValue(As<FileListBox>(c).FileName()); },
           [](Control& c, const PropertyValue& v) {
               As<FileListBox>(c).SetFileName(std::get<QString>(v));
           }});
    t.SetDefault("FileName");
    return t;
}

PropertyTable MakeDirListTable() {
    PropertyTable t;
    AddCommonProperties(t, true);
    AddStyle(t);
    AddListMembers(t, false);
    t.Add({"Path", PropertyType::String,
           [](Control& c) { return PropertyValue(As<DirListBox>(c).Path()); },
           [](Control& c, const PropertyValue& v) {
               As<DirListBox>(c).SetPath(std::get<QString>(v));
           }});
    t.SetDefault("Path");
    return t;
}

PropertyTable MakeDriveListTable() {
    PropertyTable t;
    AddCommonProperties(t, true);
    AddStyle(t);
    t.Add({"Drive", PropertyType::String,
           [](Control& c) { return PropertyValue(As<DriveListBox>(c).Drive()); },
           [](Control& c, const PropertyValue& v) {
               As<DriveListBox>(c).SetDrive(std::get<QString>(v));
           }});
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
               if (i < 0 || i >= drives.size())
                   throw ControlError(kErrInvalidPropertyValue,
                                      QStringLiteral("Invalid property value"));
               As<DriveListBox>(c).SetDrive(drives[i]);
           }});
    t.Add(MethodInfo{"List", 1, 1, [](Control&, const std::vector<PropertyValue>& a) {
                         return PropertyValue(DriveListBox::Drives().value(ToLong(a[0])));
                     }});
    t.SetDefault("Drive");
    return t;
}

}  // namespace

const PropertyTable* MoreControlsProperties(ControlKind kind) {
    // Built once, never changed afterwards.
    static const PropertyTable checkBox = MakeCheckBoxTable();
    static const PropertyTable line = MakeLineTable();
    static const PropertyTable shape = MakeShapeTable();
    static const PropertyTable textBox = MakeTextBoxTable();
    static const PropertyTable listBox = MakeListBoxTable();
    static const PropertyTable fileList = MakeFileListTable();
    static const PropertyTable dirList = MakeDirListTable();
    static const PropertyTable driveList = MakeDriveListTable();
    switch (kind) {
        case ControlKind::CheckBox:
            return &checkBox;
        case ControlKind::Line:
            return &line;
        case ControlKind::Shape:
            return &shape;
        case ControlKind::TextBox:
            return &textBox;
        case ControlKind::ListBox:
            return &listBox;
        case ControlKind::FileListBox:
            return &fileList;
        case ControlKind::DirListBox:
            return &dirList;
        case ControlKind::DriveListBox:
            return &driveList;
        default:
            return nullptr;
    }
}

}  // namespace storyloom::forms
