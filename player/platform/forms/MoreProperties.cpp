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
    t.Add(Member<StyledControl>("ForeColor", PropertyType::Color, &StyledControl::ForeColor,
                                &StyledControl::SetForeColor));
    t.Add(Member<StyledControl>("BackColor", PropertyType::Color, &StyledControl::BackColor,
                                &StyledControl::SetBackColor));
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
    t.Add(Member<ListBox>("ListCount", PropertyType::Integer, &ListBox::ListCount));
    t.Add(Member<ListBox>("ListIndex", PropertyType::Integer, &ListBox::ListIndex,
                          &ListBox::SetListIndex));
    t.Add(Member<ListBox>("TopIndex", PropertyType::Integer, &ListBox::TopIndex,
                          &ListBox::SetTopIndex));
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
        t.Add(Member<ListBox>("Text", PropertyType::String, &ListBox::Text));
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
    t.Add(Member<ListBox>("NewIndex", PropertyType::Integer, &ListBox::NewIndex));
    t.Add(Member<ListBox>("Sorted", PropertyType::Boolean, &ListBox::Sorted, &ListBox::SetSorted));
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
    t.Add(Member<CheckBox>("Caption", PropertyType::String, &CheckBox::Caption,
                           &CheckBox::SetCaption));
    t.Add(Member<CheckBox>("Value", PropertyType::Integer, &CheckBox::Value, &CheckBox::SetValue));
    t.Add(Member<CheckBox>("Alignment", PropertyType::Integer, &CheckBox::Alignment,
                           &CheckBox::SetAlignment));
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
    t.Add(Member<ShapeControl>("Shape", PropertyType::Integer, &ShapeControl::Shape,
                               &ShapeControl::SetShape));
    t.Add(Member<ShapeControl>("BackStyle", PropertyType::Integer, &ShapeControl::BackStyle,
                               &ShapeControl::SetBackStyle));
    t.Add(Member<ShapeControl>("BackColor", PropertyType::Color, &ShapeControl::BackColor,
                               &ShapeControl::SetBackColor));
    t.Add(Member<ShapeControl>("FillColor", PropertyType::Color, &ShapeControl::FillColor,
                               &ShapeControl::SetFillColor));
    t.Add(Member<ShapeControl>("FillStyle", PropertyType::Integer, &ShapeControl::FillStyle,
                               &ShapeControl::SetFillStyle));
    AddOutline<ShapeControl>(t);
    t.SetDefault("Shape");
    return t;
}

PropertyTable MakeTextBoxTable() {
    PropertyTable t;
    AddCommonProperties(t, true);
    AddStyle(t);
    t.Add(Member<TextBox>("Text", PropertyType::String, &TextBox::Text, &TextBox::SetText));
    t.Add(Member<TextBox>("MaxLength", PropertyType::Long, &TextBox::MaxLength,
                          &TextBox::SetMaxLength));
    t.Add(Member<TextBox>("Locked", PropertyType::Boolean, &TextBox::Locked, &TextBox::SetLocked));
    t.Add(Member<TextBox>("PasswordChar", PropertyType::String, &TextBox::PasswordChar,
                          &TextBox::SetPasswordChar));
    t.Add(Member<TextBox>("MultiLine", PropertyType::Boolean, &TextBox::MultiLine,
                          &TextBox::SetMultiLine));
    t.Add(Member<TextBox>("Alignment", PropertyType::Integer, &TextBox::Alignment,
                          &TextBox::SetAlignment));
    t.Add(Member<TextBox>("BorderStyle", PropertyType::Integer, &TextBox::BorderStyle,
                          &TextBox::SetBorderStyle));
    t.Add(
        Member<TextBox>("SelStart", PropertyType::Long, &TextBox::SelStart, &TextBox::SetSelStart));
    t.Add(Member<TextBox>("SelLength", PropertyType::Long, &TextBox::SelLength,
                          &TextBox::SetSelLength));
    t.Add(
        Member<TextBox>("SelText", PropertyType::String, &TextBox::SelText, &TextBox::SetSelText));
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
    t.Add(Member<FileListBox>("Path", PropertyType::String, &FileListBox::Path,
                              &FileListBox::SetPath));
    t.Add(Member<FileListBox>("Pattern", PropertyType::String, &FileListBox::Pattern,
                              &FileListBox::SetPattern));
    t.Add(Member<FileListBox>("FileName", PropertyType::String, &FileListBox::FileName,
                              &FileListBox::SetFileName));
    t.SetDefault("FileName");
    return t;
}

PropertyTable MakeDirListTable() {
    PropertyTable t;
    AddCommonProperties(t, true);
    AddStyle(t);
    AddListMembers(t, false);
    t.Add(
        Member<DirListBox>("Path", PropertyType::String, &DirListBox::Path, &DirListBox::SetPath));
    t.SetDefault("Path");
    return t;
}

PropertyTable MakeDriveListTable() {
    PropertyTable t;
    AddCommonProperties(t, true);
    AddStyle(t);
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
