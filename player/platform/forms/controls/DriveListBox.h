#pragma once
// The drive list box: a closed drop-down list of the drives.
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/forms/StyledControl.h"

namespace storyloom::forms {

// The drives of the machine: on this system there is one, "/".
class DriveListBox : public StyledControl {
  public:
    explicit DriveListBox(QString name = QStringLiteral("Drive1"));
    // A closed drop-down list: the current drive and the button.
    void Paint(QPainter& painter) const override;
    const QString& Drive() const { return drive_; }
    // Only a name of an existing drive is accepted (error 68 otherwise).
    void SetDrive(const QString& drive);
    static QStringList Drives();
    std::function<void(Control&)> onChange;

  protected:
    DriveListBox(const DriveListBox& other) = default;
    std::unique_ptr<Control> CloneForArray() const override;

  private:
    QString drive_;
};

}  // namespace storyloom::forms
