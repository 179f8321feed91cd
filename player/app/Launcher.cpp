#include "app/Launcher.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "app/CommandLine.h"

namespace storyloom {
namespace {

QList<RecentGame> ReadAll() {
    QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("storyloom"),
                    QStringLiteral("recent"));
    QList<RecentGame> games;
    const int n = store.beginReadArray(QStringLiteral("games"));
    for (int i = 0; i < n; ++i) {
        store.setArrayIndex(i);
        RecentGame g{store.value(QStringLiteral("folder")).toString(),
                     store.value(QStringLiteral("title")).toString()};
        if (!g.folder.isEmpty()) games << g;
    }
    store.endArray();
    return games;
}

QString Shown(const RecentGame& game) {
    const QString title =
        game.title.trimmed().isEmpty() ? QDir(game.folder).dirName() : game.title.trimmed();
    return QStringLiteral("%1\n    %2").arg(title, game.folder);
}

}  // namespace

QList<RecentGame> LoadRecentGames() {
    QList<RecentGame> games;
    for (const RecentGame& g : ReadAll())
        if (NotAGameFolder(g.folder).isEmpty()) games << g;
    return games;
}

void RememberRecentGame(const QString& folder, const QString& title) {
    const QString absolute = QDir::cleanPath(QDir(folder).absolutePath());
    QList<RecentGame> games = ReadAll();
    games.removeIf([&](const RecentGame& g) { return g.folder == absolute; });
    games.prepend({absolute, title.trimmed()});
    while (games.size() > kRecentGamesKept) games.removeLast();
    QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("storyloom"),
                    QStringLiteral("recent"));
    store.remove(QStringLiteral("games"));
    store.beginWriteArray(QStringLiteral("games"), static_cast<int>(games.size()));
    for (int i = 0; i < games.size(); ++i) {
        store.setArrayIndex(i);
        store.setValue(QStringLiteral("folder"), games[i].folder);
        store.setValue(QStringLiteral("title"), games[i].title);
    }
    store.endArray();
}

LauncherWindow::LauncherWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Storyloom"));
    auto* layout = new QVBoxLayout(this);
    const QList<RecentGame> games = LoadRecentGames();
    auto* label =
        new QLabel(games.isEmpty() ? QStringLiteral("No game was found to play. Add the folder "
                                                    "of a game (the folder that holds its Config "
                                                    "folder).")
                                   : QStringLiteral("Choose a game to play, or add a game folder."),
                   this);
    label->setWordWrap(true);
    layout->addWidget(label);
    list_ = new QListWidget(this);
    for (const RecentGame& g : games) {
        auto* item = new QListWidgetItem(Shown(g), list_);
        item->setData(Qt::UserRole, g.folder);
    }
    if (list_->count() > 0) list_->setCurrentRow(0);
    layout->addWidget(list_, 1);
    auto* buttons = new QDialogButtonBox(this);
    auto* add =
        buttons->addButton(QStringLiteral("Add game folder..."), QDialogButtonBox::ActionRole);
    play_ = buttons->addButton(QStringLiteral("Play"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Quit"), QDialogButtonBox::RejectRole);
    play_->setEnabled(list_->count() > 0);
    layout->addWidget(buttons);
    connect(add, &QPushButton::clicked, this, [this] { AddFolder(); });
    connect(play_, &QPushButton::clicked, this, [this] { PlaySelected(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemActivated, this, [this] { PlaySelected(); });
    resize(520, 360);

    chooseFolder = [this] {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Add a game folder"),
                                                 QDir::homePath());
    };
    showRefusal = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Storyloom"), text);
    };
}

void LauncherWindow::PlaySelected() {
    if (const QListWidgetItem* item = list_->currentItem()) {
        Choose(item->data(Qt::UserRole).toString());
        return;
    }
    AddFolder();
}

void LauncherWindow::AddFolder() {
    const QString folder = chooseFolder ? chooseFolder() : QString();
    if (folder.isEmpty()) return;  // the chooser was cancelled
    Choose(folder);
}

void LauncherWindow::Choose(const QString& folder) {
    if (const QString why = NotAGameFolder(folder); !why.isEmpty()) {
        if (showRefusal) showRefusal(why);
        return;
    }
    chosen_ = QDir::cleanPath(QDir(folder).absolutePath());
    accept();
}

QString RunLauncher() {
    LauncherWindow launcher;
    return launcher.exec() == QDialog::Accepted ? launcher.Chosen() : QString();
}

}  // namespace storyloom
