#pragma once
// The launcher: what `run` opens when it finds no game of its own to play. It lists the games
// played recently (their titles and folders) and lets the user add a game folder; a folder
// that is not a game is refused with a message that names what is missing.
#include <QDialog>
#include <QList>
#include <QString>
#include <functional>

class QListWidget;
class QPushButton;

namespace storyloom {

struct RecentGame {
    QString folder;  // absolute, with `/`
    QString title;   // the game's name when it was last played
    bool operator==(const RecentGame&) const = default;
};

// The per-user list of recently played games (~/.config/storyloom/recent.ini), the most
// recent first. Folders that no longer hold a game are left out.
QList<RecentGame> LoadRecentGames();
// Puts the game at the top of the list (once), keeping the most recent ten.
void RememberRecentGame(const QString& folder, const QString& title);
constexpr int kRecentGamesKept = 10;

class LauncherWindow : public QDialog {
  public:
    explicit LauncherWindow(QWidget* parent = nullptr);

    // How a folder is chosen and how a refusal is shown; tests replace them.
    std::function<QString()> chooseFolder;
    std::function<void(const QString& text)> showRefusal;

    // The folder chosen to play; empty until one is.
    const QString& Chosen() const { return chosen_; }
    // Plays the selected recent game, or asks for a folder and plays it when it is a game.
    void PlaySelected();
    void AddFolder();
    QListWidget& List() { return *list_; }

  private:
    void Choose(const QString& folder);
    QListWidget* list_;
    QPushButton* play_;
    QString chosen_;
};

// Shows the launcher and waits; the chosen game folder, or empty when the user closed it.
QString RunLauncher();

}  // namespace storyloom
