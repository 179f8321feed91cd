#pragma once
// The file list box: the files of a folder that match a pattern.
#include <QString>
#include <functional>

#include "platform/forms/controls/ListBox.h"

namespace storyloom::forms {

// The files of a folder that match a pattern ("*.*", or several wildcards separated by ";").
class FileListBox : public ListBox {
  public:
    explicit FileListBox(QString name = QStringLiteral("File1"));
    const QString& Path() const { return path_; }
    // A folder that does not exist is error 76 and leaves the list as it was.
    void SetPath(const QString& path);
    const QString& Pattern() const { return pattern_; }
    void SetPattern(const QString& pattern);
    // The selected file's name; setting a name with a folder changes Path, with wildcards
    // Pattern, otherwise selects that file.
    QString FileName() const { return Text(); }
    void SetFileName(const QString& name);
    // Reads the folder again.
    void Reload();
    std::function<void(Control&)> onPathChange;
    std::function<void(Control&)> onPatternChange;

  protected:
    FileListBox(const FileListBox& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};

}  // namespace storyloom::forms
