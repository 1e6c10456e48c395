#include "AccessReader.h"

#include "common/Errors.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <mdbtools.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace course {
namespace {

// Long memo fields (question texts) must not be cut: 64 K characters of Access
// text are at most 192 KiB of UTF-8.
constexpr size_t kBindSize = 1 << 20;
// libmdb's OFFSET_MASK: the upper bits of a row offset are flags.
constexpr int kRowOffsetMask = 0x1fff;

// libmdb reports trouble in English on stderr, which is the tool's channel for its
// own Russian messages; what matters comes back as return values anyway.
class QuietStderr {
public:
    QuietStderr()
    {
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0)
            ::dup2(null, STDERR_FILENO);
        if (null >= 0)
            ::close(null);
    }
    ~QuietStderr()
    {
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
        }
    }
    QuietStderr(const QuietStderr &) = delete;
    QuietStderr &operator=(const QuietStderr &) = delete;

private:
    int saved_ = -1;
};

// libmdb picks its text conversion from the environment when a file is opened.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value) : name_(name), had_(qEnvironmentVariableIsSet(name))
    {
        old_ = qgetenv(name);
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

struct TableGuard {
    MdbTableDef *table;
    ~TableGuard()
    {
        if (table)
            mdb_free_tabledef(table);
    }
};

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

} // namespace

struct AccessReader::Impl {
    QString path;
    MdbHandle *mdb = nullptr;
    // Here rather than in ~AccessReader: a constructor that throws after the file
    // opened runs no destructor of its own, only those of its members.
    ~Impl()
    {
        if (mdb)
            mdb_close(mdb);
    }
    QString format;
    QByteArray jet3Charset;

    AppError damaged(const QString &detail) const
    {
        return AppError(QStringLiteral("Файл «%1» повреждён или не читается как база данных Microsoft Access (%2). "
                                       "Откройте его в Microsoft Access, выполните «Сжать и восстановить базу "
                                       "данных» и повторите")
                            .arg(shown(path), detail));
    }

    MdbCatalogEntry *find(const QString &name) const
    {
        for (guint i = 0; i < mdb->catalog->len; ++i) {
            auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
            if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry) &&
                QString::fromUtf8(entry->object_name).compare(name, Qt::CaseInsensitive) == 0)
                return entry;
        }
        return nullptr;
    }
};

AccessReader::AccessReader(const QString &path, const QByteArray &charset) : d_(std::make_unique<Impl>())
{
    d_->path = QFileInfo(path).absoluteFilePath();
    const QFileInfo info(d_->path);
    if (!info.exists())
        throw AppError(QStringLiteral("Файл «%1» не найден").arg(shown(d_->path)));
    if (info.isDir())
        throw AppError(QStringLiteral("«%1» — это папка, а не файл базы данных").arg(shown(d_->path)));
    QFile f(d_->path);
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Нет доступа к файлу «%1»: %2. Разрешите чтение файла и повторите")
                           .arg(shown(d_->path), f.errorString()));
    const QByteArray head = f.read(2048);
    f.close();
    if (head.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        throw AppError(QStringLiteral("Файл «%1» — уже курс новой версии учебника (база SQLite); "
                                      "преобразовывать его не нужно")
                           .arg(shown(d_->path)));
    const QByteArray tag = head.mid(4, 15);
    if (tag != "Standard Jet DB" && tag != "Standard ACE DB")
        throw AppError(QStringLiteral("Файл «%1» не является базой данных Microsoft Access").arg(shown(d_->path)));
    if (head.size() < 2048)
        throw d_->damaged(QStringLiteral("файл обрывается в начале"));

    // Jet 4 keeps text as UTF-16 (often "compressed"); Jet 3 keeps it in the
    // Windows code page, which the file does not record: Russian courses were
    // written in 1251. A user who knows better says so with --jet3-charset (or,
    // as before, in MDB_JET3_CHARSET).
    const QByteArray jet3Charset = !charset.isEmpty()                           ? charset
                                   : !qEnvironmentVariableIsEmpty("MDB_JET3_CHARSET") ? qgetenv("MDB_JET3_CHARSET")
                                                                                     : QByteArrayLiteral("CP1251");
    d_->jet3Charset = jet3Charset;
    {
        QuietStderr quiet;
        ScopedEnv target("MDBICONV", QByteArrayLiteral("UTF-8"));
        ScopedEnv jet3("MDB_JET3_CHARSET", jet3Charset);
        d_->mdb = mdb_open(QFile::encodeName(d_->path).constData(), MDB_NOFLAGS);
    }
    if (!d_->mdb)
        throw d_->damaged(QStringLiteral("не удалось прочитать заголовок"));
    const guint32 version = d_->mdb->f->jet_version;
    d_->format = version == MDB_VER_JET3   ? QStringLiteral("Jet 3")
                 : version == MDB_VER_JET4 ? QStringLiteral("Jet 4")
                                           : QStringLiteral("ACE");
    if (d_->mdb->iconv_in == iconv_t(-1))
        throw AppError(QStringLiteral("Не удалось перекодировать текст файла «%1»: кодировка «%2» неизвестна")
                           .arg(shown(d_->path), QString::fromUtf8(version == MDB_VER_JET3 ? jet3Charset
                                                                                           : "UTF-16")));
    mdb_set_bind_size(d_->mdb, kBindSize);
    mdb_set_boolean_fmt_numbers(d_->mdb);
    mdb_set_date_fmt(d_->mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_shortdate_fmt(d_->mdb, "%Y-%m-%d");
    bool catalog = false;
    {
        QuietStderr quiet;
        catalog = mdb_read_catalog(d_->mdb, MDB_TABLE) != nullptr;
    }
    if (!catalog)
        throw d_->damaged(QStringLiteral("не удалось прочитать список таблиц"));
}

AccessReader::~AccessReader() = default;

QString AccessReader::format() const { return d_->format; }

QByteArray AccessReader::jet3Charset() const { return d_->jet3Charset; }

QStringList AccessReader::tables() const
{
    QStringList names;
    for (guint i = 0; i < d_->mdb->catalog->len; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(d_->mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry))
            names << QString::fromUtf8(entry->object_name);
    }
    return names;
}

OldTable AccessReader::readTable(const QString &name) const
{
    MdbCatalogEntry *entry = d_->find(name);
    if (!entry)
        throw AppError(QStringLiteral("В файле «%1» нет таблицы «%2»").arg(shown(d_->path), name));

    QuietStderr quiet;
    TableGuard guard{mdb_read_table(entry)};
    MdbTableDef *table = guard.table;
    if (!table || !mdb_read_columns(table))
        throw d_->damaged(QStringLiteral("не читается описание таблицы «%1»").arg(name));

    const unsigned columns = table->num_cols;
    OldTable out;
    std::vector<std::vector<char>> values(columns, std::vector<char>(kBindSize));
    std::vector<int> lengths(columns, 0);
    std::vector<int> types(columns, 0);
    for (unsigned i = 0; i < columns; ++i) {
        auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        out.columns << QString::fromUtf8(col->name);
        types[i] = col->col_type;
        mdb_bind_column(table, int(i) + 1, values[i].data(), &lengths[i]);
    }

    std::vector<MdbField> fields(columns);
    std::vector<bool> isNull(columns);
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        // The bound text of a NULL and of an empty string are both "", so the row
        // is cracked once more for its null mask. The row is still in pg_buf.
        std::fill(isNull.begin(), isNull.end(), false);
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(d_->mdb, int(table->cur_row) - 1, &start, &size) == 0) {
            const int n = mdb_crack_row(table, start & kRowOffsetMask, size, fields.data());
            for (int k = 0; k < n && k < int(columns); ++k)
                if (fields[k].colnum >= 0 && unsigned(fields[k].colnum) < columns && fields[k].is_null)
                    isNull[fields[k].colnum] = true;
        }
        QVariantList row;
        row.reserve(columns);
        for (unsigned i = 0; i < columns; ++i) {
            // A Yes/No column keeps its value in the null bit; OLE data is no text.
            if ((isNull[i] && types[i] != MDB_BOOL) || types[i] == MDB_OLE)
                row << QVariant();
            else
                row << QVariant(QString::fromUtf8(values[i].data(), lengths[i]));
        }
        out.rows << row;
    }
    if (unsigned(out.rows.size()) < table->num_rows)
        throw d_->damaged(QStringLiteral("в таблице «%1» прочитано записей: %2 из %3")
                              .arg(name)
                              .arg(out.rows.size())
                              .arg(table->num_rows));
    return out;
}

} // namespace course
