#pragma once
// Modal message boxes and the input box. Every box the player shows goes through this
// service: QtDialogs shows real ones, ScriptedDialogs records each box and answers from a queue.
#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace storyloom {

enum class BoxIcon { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class BoxButtons {
    Ok = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5
};
enum class BoxResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct MessageBoxRequest {
    QString text;
    QString title;
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
    int defaultButton = 0;  // 0 = first, 1 = second, 2 = third

    // From Basic's MsgBox style flags (icon + buttons + vbDefaultButtonN). Unknown button or
    // icon values give OK only or no icon; a default button the box does not have is the first.
    static MessageBoxRequest FromStyle(const QString& text, int style, const QString& title);
    int Style() const;
    // The answer that the default button gives.
    BoxResult DefaultResult() const;
};

struct InputBoxRequest {
    QString prompt;
    QString title;
    QString defaultText;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual BoxResult MessageBox(const MessageBoxRequest& request) = 0;
    // nullopt when cancelled.
    virtual std::optional<QString> InputBox(const InputBoxRequest& request) = 0;
    // The folder chooser, starting at the native folder `start`: the native folder chosen, or
    // nullopt when cancelled (and where no chooser can be shown).
    virtual std::optional<QString> ChooseFolder(const QString& title, const QString& start);

    // Shortcut for a box with the OK button only.
    void Show(BoxIcon icon, const QString& title, const QString& text);

    // Called as every box opens, before it takes the input (the windows let go of the mouse).
    std::function<void()> onModalOpening;

  protected:
    void ModalOpening() {
        if (onModalOpening) onModalOpening();
    }
};

class ScriptedDialogs : public Dialogs {
  public:
    struct Record {
        bool isInput = false;
        BoxIcon icon = BoxIcon::None;
        BoxButtons buttons = BoxButtons::Ok;
        QString title;
        QString text;    // the box text or the input prompt
        QString answer;  // the button ("Yes", "No", "OK" ...) or the text given
        bool answeredFromQueue = false;
    };

    BoxResult MessageBox(const MessageBoxRequest& request) override;
    std::optional<QString> InputBox(const InputBoxRequest& request) override;
    // Recorded as an input box titled `title`; takes the next queued answer as the folder
    // ("Cancel" cancels), and is cancelled without one.
    std::optional<QString> ChooseFolder(const QString& title, const QString& start) override;

    // Answers for the next boxes, in order: a button name ("OK", "Cancel", "Abort", "Retry",
    // "Ignore", "Yes", "No", case-insensitive) for a message box, the text for an input box
    // ("\x1b" or the word "Cancel" cancels it). A box without a queued answer gets its
    // default button (the default text for an input box).
    void QueueAnswer(const QString& answer) { answers.push_back(answer); }

    std::deque<QString> answers;
    std::vector<Record> shown;
    // Queued answers that did not fit the box they were given to (a button the box does not
    // have). The box got its default button instead; tests check that this stays empty.
    std::vector<QString> problems;
};

class QtDialogs : public Dialogs {
  public:
    BoxResult MessageBox(const MessageBoxRequest& request) override;
    std::optional<QString> InputBox(const InputBoxRequest& request) override;
    std::optional<QString> ChooseFolder(const QString& title, const QString& start) override;
};

// "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No".
QString BoxResultName(BoxResult result);
// The results of a box's buttons, left to right.
std::vector<BoxResult> ButtonResults(BoxButtons buttons);

}  // namespace storyloom
