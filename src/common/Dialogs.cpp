#include "Dialogs.h"
#include "Errors.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include <cstdio>

namespace ui {
namespace {

class QtDialogs final : public Dialogs {
public:
    void message(QWidget *parent, const QString &title, const QString &text, Icon icon) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(title);
        box.setText(text);
        box.setIcon(icon == Icon::Error         ? QMessageBox::Critical
                    : icon == Icon::Warning     ? QMessageBox::Warning
                    : icon == Icon::Question    ? QMessageBox::Question
                                                : QMessageBox::NoIcon);
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
    }

    bool confirm(QWidget *parent, const QString &title, const QString &text) override
    {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
        box.setDefaultButton(QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok;
    }

    std::optional<QString> input(QWidget *parent, const QString &caption, const QString &prompt,
                                 const QString &initial) override
    {
        QInputDialog dlg(parent);
        dlg.setWindowTitle(caption);
        dlg.setLabelText(prompt);
        dlg.setTextValue(initial);
        dlg.setInputMode(QInputDialog::TextInput);
        if (dlg.exec() != QDialog::Accepted)
            return std::nullopt;
        return dlg.textValue();
    }

    QString openFile(QWidget *parent, const QString &filter, const QString &startFile) override
    {
        return QFileDialog::getOpenFileName(parent, QString(), startFile, filter);
    }
};

// For copies of the program driven without a person (stress and crash tests): every
// box is written to standard error, questions are confirmed, input is cancelled.
class StreamDialogs final : public Dialogs {
public:
    void message(QWidget *, const QString &title, const QString &text, Icon icon) override
    {
        const char *kind = icon == Icon::Error ? "error" : "message";
        std::fprintf(stderr, "[%s] %s: %s\n", kind, title.toUtf8().constData(), text.toUtf8().constData());
        std::fflush(stderr);
    }
    bool confirm(QWidget *, const QString &, const QString &text) override
    {
        std::fprintf(stderr, "[confirm] %s\n", text.toUtf8().constData());
        return true;
    }
    std::optional<QString> input(QWidget *, const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    QString openFile(QWidget *, const QString &, const QString &) override { return QString(); }
};

Dialogs *g_override = nullptr;

} // namespace

Dialogs &dialogs()
{
    static QtDialogs real;
    static StreamDialogs stream;
    static const bool headless = qEnvironmentVariableIntValue("ETEXTBOOK_HEADLESS_DIALOGS") == 1;
    if (g_override)
        return *g_override;
    return headless ? static_cast<Dialogs &>(stream) : real;
}

void setDialogs(Dialogs *replacement) { g_override = replacement; }

QString appTitle() { return QStringLiteral("Электронный учебник"); }

void showMessage(QWidget *parent, const QString &text)
{
    dialogs().message(parent, appTitle(), text, Icon::Information);
}

void showError(QWidget *parent, const QString &text) { showErrorBox(parent, text); }

QString inputBox(QWidget *parent, const QString &caption, const QString &prompt)
{
    return dialogs().input(parent, caption, prompt, QString()).value_or(QString());
}

} // namespace ui
