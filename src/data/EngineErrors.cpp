#include "EngineErrors.h"
#include "common/Errors.h"

#include <QRegularExpression>
#include <QSqlError>

namespace data {

int engineResultCode(const QSqlError &err)
{
    bool ok = false;
    const int code = err.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : 0;
}

namespace {

QString detail(const QString &engineText)
{
    return engineText.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(engineText);
}

QString constraintText(const QString &engineText)
{
    static const QRegularExpression lengthCheck(QStringLiteral("length\\((\\w+)\\)\\s*<=\\s*(\\d+)"),
                                                QRegularExpression::UseUnicodePropertiesOption);
    const auto m = lengthCheck.match(engineText);
    if (m.hasMatch())
        return QStringLiteral("Значение поля «%1» длиннее %2 символов, и база данных его не приняла. "
                              "Сократите текст и повторите")
            .arg(m.captured(1), m.captured(2));
    if (engineText.contains(QStringLiteral("typeof(ОтветПр)")))
        return QStringLiteral("Номер правильного ответа должен быть целым числом (от 1 до 5), "
                              "и база данных не приняла это значение. Исправьте его и повторите");
    if (engineText.contains(QStringLiteral("Верно")))
        return QStringLiteral("Число верных ответов должно быть целым числом от 0 до 255, "
                              "и база данных не приняла это значение. Исправьте его и повторите");
    return QStringLiteral("База данных не приняла значение: оно нарушает правило таблицы. "
                          "Исправьте значение и повторите") + detail(engineText);
}

} // namespace

QString engineErrorText(int resultCode, const QString &engineText)
{
    static const QRegularExpression noTable(QStringLiteral("no such table: (\\S+)"));
    // Table and field names are Cyrillic: "\\S" needs no Unicode option, "\\w" would.
    static const QRegularExpression noColumn(QStringLiteral("no such column: (\\S+)"));
    static const QRegularExpression noColumnNamed(QStringLiteral("has no column named (\\S+)"));
    switch (resultCode) {
    case 5: // busy
    case 6: // locked
        return QStringLiteral("База данных занята другой копией программы и не освободилась вовремя. "
                              "Подождите немного и повторите действие");
    case 7: // out of memory
        return QStringLiteral("Недостаточно памяти для работы с базой данных. "
                              "Закройте другие программы и повторите");
    case 8: // read-only
        return QStringLiteral("Файл базы данных открыт только для чтения, и изменение не сохранено. "
                              "Разрешите запись в файл db.mdb и в его папку (или скопируйте курс в папку, "
                              "доступную для записи) и повторите");
    case 10: // I/O error
        return QStringLiteral("Ошибка чтения или записи файла базы данных. Проверьте диск или сетевую папку "
                              "и повторите") + detail(engineText);
    case 11: // corrupt
        return QStringLiteral("Файл базы данных db.mdb повреждён. Восстановите его из резервной копии");
    case 13: // disk full
        return QStringLiteral("На диске нет места для записи в базу данных. Освободите место и повторите");
    case 14: // cannot open
        return QStringLiteral("Не удаётся открыть файл базы данных db.mdb. Проверьте, что файл есть в папке "
                              "курса и доступен, и повторите");
    case 18: // too big
        return QStringLiteral("Значение слишком велико для базы данных. Сократите текст и повторите");
    case 19: // constraint
        return constraintText(engineText);
    case 20: // type mismatch
        return QStringLiteral("Значение не подходит по типу для поля базы данных. Исправьте его и повторите");
    case 26: // not a database
        return QStringLiteral("Файл db.mdb не является базой данных электронного учебника или повреждён. "
                              "Восстановите его из резервной копии или создайте курс заново");
    default:
        break;
    }
    if (auto m = noTable.match(engineText); m.hasMatch())
        return QStringLiteral("В базе данных нет таблицы «%1». Файл db.mdb неполон или создан не этой "
                              "программой: восстановите его из резервной копии или создайте курс заново")
            .arg(m.captured(1));
    if (auto m = noColumn.match(engineText); m.hasMatch())
        return QStringLiteral("В базе данных нет поля «%1». Файл db.mdb неполон или создан не этой "
                              "программой: восстановите его из резервной копии или создайте курс заново")
            .arg(m.captured(1));
    if (auto m = noColumnNamed.match(engineText); m.hasMatch())
        return QStringLiteral("В базе данных нет поля «%1». Файл db.mdb неполон или создан не этой "
                              "программой: восстановите его из резервной копии или создайте курс заново")
            .arg(m.captured(1));
    return QStringLiteral("Ошибка базы данных. Повторите действие; если ошибка не исчезнет, "
                          "проверьте файл db.mdb") + detail(engineText);
}

QString engineErrorText(const QSqlError &err)
{
    const QString text = err.databaseText().isEmpty() ? err.driverText() : err.databaseText();
    return engineErrorText(engineResultCode(err), text);
}

void throwEngineError(const QSqlError &err)
{
    throw AppError(engineErrorText(err), engineResultCode(err));
}

} // namespace data
