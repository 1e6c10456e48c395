#include "TestRun.h"
#include "common/Errors.h"

#include <chrono>
#include <limits>
#include <random>

namespace testrun {

namespace {
DrawSource g_source;
}

void setDrawSource(DrawSource source) { g_source = std::move(source); }

Draw drawQuestions(int bankSize)
{
    Draw drawn{};
    if (bankSize <= 0)
        return drawn;
    DrawSource source = g_source;
    if (!source) {
        // Seeded from the clock at every test, mixed with the system's entropy so
        // that two tests started within one clock tick still differ.
        const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
        std::random_device entropy;
        std::seed_seq seed{quint32(ticks), quint32(quint64(ticks) >> 32), entropy()};
        auto generator = std::make_shared<std::mt19937>(seed);
        source = [generator](int n) { return std::uniform_int_distribution<int>(0, n - 1)(*generator); };
    }
    for (int &p : drawn)
        p = source(bankSize);
    return drawn;
}

int toInteger(const QString &text)
{
    bool ok = !text.isEmpty();
    qint64 value = 0;
    int i = 0;
    bool negative = false;
    if (ok && (text.at(0) == u'+' || text.at(0) == u'-')) {
        negative = text.at(0) == u'-';
        i = 1;
        ok = text.size() > 1;
    }
    for (; ok && i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9') {
            ok = false;
            break;
        }
        value = value * 10 + (c - u'0');
        if (value > qint64(1) << 31)
            ok = false;
    }
    if (ok) {
        if (negative)
            value = -value;
        ok = value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max();
    }
    if (!ok)
        throw AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return int(value);
}

const QString &entry(const QStringList &list, int index)
{
    if (index < 0 || index >= list.size())
        throw AppError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return list.at(index);
}

quint8 score(const QStringList &rightAnswers, const Draw &drawn, const Answers &chosen)
{
    quint8 count = 0;
    for (int i = 0; i < kQuestions; ++i)
        if (toInteger(entry(rightAnswers, drawn[i])) == chosen[i])
            ++count;
    return count;
}

QString scoreMessage(int count) { return QStringLiteral("Вы ") + QString::number(count) + QStringLiteral(" ответили верно"); }

QString questionText(const QStringList &questions, const std::array<const QStringList *, kAnswers> &answers,
                     int position)
{
    QString text = entry(questions, position);
    for (const QStringList *list : answers)
        text += u'\n' + entry(*list, position);
    return text;
}

} // namespace testrun
