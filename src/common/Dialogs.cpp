#include "Dialogs.h"
#include "Errors.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

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

Dialogs *g_override = nullptr;

} // namespace

Dialogs &dialogs()
{
    static QtDialogs real;
    return g_override ? *g_override : real;
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
