// libFuzzer entry for the reading of old Access courses: any bytes must give
// tables or an AppError, never a crash or a hang. The bytes go through a file
// because the Access library reads files only.
#include "AccessReader.h"
#include "common/Errors.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = QStringLiteral("/tmp/fuzz_access-%1.mdb").arg(::getpid());
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    try {
        course::AccessReader reader(path);
        for (const QString &table : reader.tables()) {
            try {
                const course::OldTable t = reader.readTable(table);
                // Every row has a value for every column.
                for (const QVariantList &row : t.rows)
                    if (row.size() != t.columns.size())
                        __builtin_trap();
            } catch (const AppError &) {
            }
        }
    } catch (const AppError &) {
    }
    return 0;
}
