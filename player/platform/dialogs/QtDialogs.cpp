#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "platform/dialogs/Dialogs.h"

namespace storyloom {

namespace {

QMessageBox::StandardButton StandardFor(BoxResult r) {
    switch (r) {
        case BoxResult::Ok:
            return QMessageBox::Ok;
        case BoxResult::Cancel:
            return QMessageBox::Cancel;
        case BoxResult::Abort:
            return QMessageBox::Abort;
        case BoxResult::Retry:
            return QMessageBox::Retry;
        case BoxResult::Ignore:
            return QMessageBox::Ignore;
        case BoxResult::Yes:
            return QMessageBox::Yes;
        case BoxResult::No:
            return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon QtIcon(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Critical:
            return QMessageBox::Critical;
        case BoxIcon::Question:
            return QMessageBox::Question;
        case BoxIcon::Exclamation:
            return QMessageBox::Warning;
        case BoxIcon::Information:
            return QMessageBox::Information;
        case BoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Box texts come from game data with CR LF line breaks; they are shown as plain text, never
// interpreted as markup.
QString PlainLines(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace

BoxResult QtDialogs::MessageBox(const MessageBoxRequest& request) {
    ModalOpening();
    QMessageBox box(QtIcon(request.icon), request.title, PlainLines(request.text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    const std::vector<BoxResult> results = ButtonResults(request.buttons);
    QPushButton* cancel = nullptr;
    for (size_t i = 0; i < results.size(); ++i) {
        QPushButton* b = box.addButton(StandardFor(results[i]));
        if (static_cast<int>(i) == request.defaultButton) box.setDefaultButton(b);
        if (results[i] == BoxResult::Cancel) cancel = b;
    }
    // As on Windows, Esc and the close button mean Cancel where the box has one, OK for an
    // OK-only box, and nothing otherwise.
    if (cancel) {
        box.setEscapeButton(cancel);
    } else if (results.size() == 1) {
        box.setEscapeButton(box.buttons().front());
    }
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (BoxResult r : results) {
        if (clicked && box.standardButton(clicked) == StandardFor(r)) return r;
    }
    return cancel ? BoxResult::Cancel : request.DefaultResult();
}

std::optional<QString> QtDialogs::InputBox(const InputBoxRequest& request) {
    ModalOpening();
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(request.title);
    dialog.setLabelText(PlainLines(request.prompt));
    dialog.setTextValue(request.defaultText);
    dialog.setInputMode(QInputDialog::TextInput);
    for (QLabel* label : dialog.findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtDialogs::ChooseFolder(const QString& title, const QString& start) {
    ModalOpening();
    const QString folder =
        QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, start);
    if (folder.isEmpty()) return std::nullopt;
    return folder;
}

}  // namespace storyloom
