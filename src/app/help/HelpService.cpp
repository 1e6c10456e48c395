#include "HelpService.h"
#include "HelpWindow.h"
#include "WinHelpFile.h"
#include "common/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

namespace help {
namespace {

// Our own WinHelp viewer: reads the file each time it is asked, so a file the
// course author has just replaced is picked up, and reuses one window.
class ViewerService final : public HelpService {
public:
    void showKeywordIndex(QWidget *owner, const QString &helpFile) override
    {
        const QString path = QDir::current().absoluteFilePath(helpFile);
        const QFileInfo info(path);
        const QString name = info.fileName().isEmpty() ? helpFile : info.fileName();
        const QString folder = QDir::toNativeSeparators(info.absolutePath());
        if (!info.exists()) {
            ui::showErrorBox(owner, QStringLiteral("Файл справки «%1» не найден в папке курса (%2). "
                                                   "Скопируйте файл справки в папку курса и повторите.")
                                        .arg(name, folder));
            return;
        }
        if (info.isDir()) {
            ui::showErrorBox(owner, QStringLiteral("Вместо файла справки «%1» в папке курса (%2) находится папка. "
                                                   "Уберите её, скопируйте файл справки в папку курса и повторите.")
                                        .arg(name, folder));
            return;
        }
        QFile file(path);
        if (info.size() > kMaxHelpFileSize) {
            ui::showErrorBox(owner, QStringLiteral("Файл справки «%1» слишком велик (%2 байт) и, видимо, повреждён. "
                                                   "Скопируйте исправный файл справки в папку курса и повторите.")
                                        .arg(name)
                                        .arg(info.size()));
            return;
        }
        if (!file.open(QIODevice::ReadOnly)) {
            ui::showErrorBox(owner, QStringLiteral("Не удалось прочитать файл справки «%1»: %2. "
                                                   "Проверьте права доступа к файлу и повторите.")
                                        .arg(name, file.errorString()));
            return;
        }
        HelpDocument doc;
        try {
            doc = readWinHelp(file.readAll());
        } catch (const WinHelpError &e) {
            ui::showErrorBox(owner, message(e, name));
            return;
        } catch (const std::bad_alloc &) {
            ui::showErrorBox(owner, QStringLiteral("Недостаточно памяти, чтобы открыть файл справки «%1». "
                                                   "Закройте другие программы и повторите.")
                                        .arg(name));
            return;
        }
        if (!window_ || window_->parentWidget() != owner) {
            if (window_)
                window_->close();
            window_ = new HelpWindow(owner);
        }
        window_->setDocument(doc);
        window_->show();
        window_->raise();
        window_->activateWindow();
    }

private:
    static QString message(const WinHelpError &e, const QString &name)
    {
        switch (e.kind()) {
        case WinHelpError::NotWinHelp:
            return QStringLiteral("Файл «%1» не является файлом справки WinHelp (%2). "
                                  "Замените его файлом справки курса и повторите.")
                .arg(name, e.reason());
        case WinHelpError::Unsupported:
            return QStringLiteral("Файл справки «%1» не удаётся показать: %2. "
                                  "Замените его файлом справки WinHelp 3.1 или 4.0 и повторите.")
                .arg(name, e.reason());
        case WinHelpError::Damaged:
            break;
        }
        return QStringLiteral("Файл справки «%1» повреждён: %2. "
                              "Скопируйте исправный файл справки в папку курса и повторите.")
            .arg(name, e.reason());
    }

    QPointer<HelpWindow> window_;
};

HelpService *g_override = nullptr;

} // namespace

HelpService &helpService()
{
    static ViewerService real;
    return g_override ? *g_override : real;
}

void setHelpService(HelpService *replacement) { g_override = replacement; }

} // namespace help
