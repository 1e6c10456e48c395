#pragma once
// The one error type every layer raises: its text is what the user reads in the
// error box, so it is always Russian and says what to do.
#include <QString>
#include <exception>
#include <functional>

class QWidget;

class AppError : public std::exception {
public:
    explicit AppError(QString text, int code = 0) : text_(std::move(text)), code_(code), utf8_(text_.toUtf8()) {}
    const QString &text() const noexcept { return text_; }
    // The engine's result code where the error came from the database, else 0.
    int code() const noexcept { return code_; }
    const char *what() const noexcept override { return utf8_.constData(); }
private:
    QString text_;
    int code_;
    QByteArray utf8_;
};

namespace ui {

// The error box's text: a full stop is added when the last character sorts after ".".
QString errorBoxText(const QString &text);

// Shows an error in the error box (title, error icon, one OK), text rule applied.
void showErrorBox(QWidget *parent, const QString &text);

// Runs one user action. An error stops the action at the failing step, keeps what
// was done before it, and is shown in the error box; the event loop goes on.
// Returns false when the action failed.
bool runAction(QWidget *parent, const std::function<void()> &action);

} // namespace ui
