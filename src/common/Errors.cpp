#include "Errors.h"
#include "Dialogs.h"

namespace ui {

QString errorBoxText(const QString &text)
{
    if (!text.isEmpty() && text.back() > QChar(u'.'))
        return text + u'.';
    return text;
}

void showErrorBox(QWidget *parent, const QString &text)
{
    dialogs().message(parent, appTitle(), errorBoxText(text), Icon::Error);
}

bool runAction(QWidget *parent, const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const AppError &e) {
        showErrorBox(parent, e.text());
    } catch (const std::bad_alloc &) {
        showErrorBox(parent, QStringLiteral("Недостаточно памяти для выполнения действия. Закройте другие программы и повторите"));
    } catch (const std::exception &e) {
        showErrorBox(parent, QString::fromUtf8(e.what()));
    }
    return false;
}

} // namespace ui
