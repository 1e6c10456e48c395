#pragma once
// Every modal box the program raises goes through this seam, so that tests can
// answer them without ever blocking on a modal window.
#include <QString>
#include <optional>

class QWidget;

namespace ui {

enum class Icon { Information, Warning, Error, Question };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal box with one OK button.
    virtual void message(QWidget *parent, const QString &title, const QString &text, Icon icon) = 0;
    // A yes/no question; true when the user confirms.
    virtual bool confirm(QWidget *parent, const QString &title, const QString &text) = 0;
    // A one-line input box; std::nullopt on Cancel.
    virtual std::optional<QString> input(QWidget *parent, const QString &caption,
                                         const QString &prompt, const QString &initial) = 0;
    // Open-file dialog; Qt filter syntax ("Видео (*.avi *.wmv)"), the file to start
    // from (may be empty). Returns the chosen full path, or empty on Cancel.
    virtual QString openFile(QWidget *parent, const QString &filter, const QString &startFile) = 0;
};

// The dialogs in force: real Qt dialogs unless a test installed its own.
Dialogs &dialogs();
// Installs a replacement (not owned); nullptr restores the real dialogs.
void setDialogs(Dialogs *replacement);

// The application's title, used as the caption of every message box.
QString appTitle();

// Shorthands used by the windows.
void showMessage(QWidget *parent, const QString &text);
void showError(QWidget *parent, const QString &text);
// Cancel yields the empty text, as the input boxes of this program expect.
QString inputBox(QWidget *parent, const QString &caption, const QString &prompt);

} // namespace ui
