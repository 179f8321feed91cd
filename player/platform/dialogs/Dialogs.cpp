#include "platform/dialogs/Dialogs.h"

namespace storyloom {

std::vector<BoxResult> ButtonResults(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::Ok:
            return {BoxResult::Ok};
        case BoxButtons::OkCancel:
            return {BoxResult::Ok, BoxResult::Cancel};
        case BoxButtons::AbortRetryIgnore:
            return {BoxResult::Abort, BoxResult::Retry, BoxResult::Ignore};
        case BoxButtons::YesNoCancel:
            return {BoxResult::Yes, BoxResult::No, BoxResult::Cancel};
        case BoxButtons::YesNo:
            return {BoxResult::Yes, BoxResult::No};
        case BoxButtons::RetryCancel:
            return {BoxResult::Retry, BoxResult::Cancel};
    }
    return {BoxResult::Ok};
}

QString BoxResultName(BoxResult result) {
    switch (result) {
        case BoxResult::Ok:
            return QStringLiteral("OK");
        case BoxResult::Cancel:
            return QStringLiteral("Cancel");
        case BoxResult::Abort:
            return QStringLiteral("Abort");
        case BoxResult::Retry:
            return QStringLiteral("Retry");
        case BoxResult::Ignore:
            return QStringLiteral("Ignore");
        case BoxResult::Yes:
            return QStringLiteral("Yes");
        case BoxResult::No:
            return QStringLiteral("No");
    }
    return QString();
}

MessageBoxRequest MessageBoxRequest::FromStyle(const QString& text, int style,
                                               const QString& title) {
    MessageBoxRequest r;
    r.text = text;
    r.title = title;
    const int buttons = style & 0x7;
    r.buttons = buttons <= 5 ? static_cast<BoxButtons>(buttons) : BoxButtons::Ok;
    const int icon = style & 0x70;
    r.icon = (icon == 16 || icon == 32 || icon == 48 || icon == 64) ? static_cast<BoxIcon>(icon)
                                                                    : BoxIcon::None;
    const int def = (style >> 8) & 0x3;
    r.defaultButton = def < static_cast<int>(ButtonResults(r.buttons).size()) ? def : 0;
    return r;
}

int MessageBoxRequest::Style() const {
    return static_cast<int>(icon) + static_cast<int>(buttons) + defaultButton * 256;
}

BoxResult MessageBoxRequest::DefaultResult() const {
    const std::vector<BoxResult> results = ButtonResults(buttons);
    if (defaultButton >= 0 && defaultButton < static_cast<int>(results.size())) {
        return results[defaultButton];
    }
    return results.front();
}

void Dialogs::Show(BoxIcon icon, const QString& title, const QString& text) {
    MessageBoxRequest r;
    r.text = text;
    r.title = title;
    r.icon = icon;
    MessageBox(r);
}

BoxResult ScriptedDialogs::MessageBox(const MessageBoxRequest& request) {
    ModalOpening();
    Record rec;
    rec.icon = request.icon;
    rec.buttons = request.buttons;
    rec.title = request.title;
    rec.text = request.text;
    BoxResult result = request.DefaultResult();
    if (!answers.empty()) {
        const QString answer = answers.front();
        answers.pop_front();
        bool fits = false;
        for (BoxResult b : ButtonResults(request.buttons)) {
            if (BoxResultName(b).compare(answer, Qt::CaseInsensitive) == 0) {
                result = b;
                fits = true;
            }
        }
        rec.answeredFromQueue = fits;
        if (!fits) {
            problems.push_back(QStringLiteral("answer \"%1\" does not fit the box \"%2\"")
                                   .arg(answer, request.text));
        }
    }
    rec.answer = BoxResultName(result);
    shown.push_back(rec);
    return result;
}

std::optional<QString> ScriptedDialogs::InputBox(const InputBoxRequest& request) {
    ModalOpening();
    Record rec;
    rec.isInput = true;
    rec.title = request.title;
    rec.text = request.prompt;
    std::optional<QString> result = request.defaultText;
    if (!answers.empty()) {
        const QString answer = answers.front();
        answers.pop_front();
        rec.answeredFromQueue = true;
        if (answer == QLatin1String("\x1b") ||
            answer.compare(QLatin1String("Cancel"), Qt::CaseInsensitive) == 0) {
            result = std::nullopt;
        } else {
            result = answer;
        }
    }
    rec.answer = result ? *result : QStringLiteral("Cancel");
    shown.push_back(rec);
    return result;
}

std::optional<QString> Dialogs::ChooseFolder(const QString&, const QString&) {
    return std::nullopt;
}

std::optional<QString> ScriptedDialogs::ChooseFolder(const QString& title, const QString&) {
    ModalOpening();
    Record rec;
    rec.isInput = true;
    rec.title = title;
    std::optional<QString> result;
    if (!answers.empty()) {
        const QString answer = answers.front();
        answers.pop_front();
        rec.answeredFromQueue = true;
        if (answer != QLatin1String("\x1b") &&
            answer.compare(QLatin1String("Cancel"), Qt::CaseInsensitive) != 0)
            result = answer;
    }
    rec.answer = result ? *result : QStringLiteral("Cancel");
    shown.push_back(rec);
    return result;
}

}  // namespace storyloom
