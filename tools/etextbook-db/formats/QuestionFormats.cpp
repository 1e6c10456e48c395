#include "QuestionFormats.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <vector>

namespace qformats {
namespace {

// Windows-1251, 0x80–0xBF; 0xC0–0xFF are А…я in order. 0x98 is unassigned.
constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

// Offset of the first byte that breaks UTF-8 (overlong forms, surrogates and
// values past U+10FFFF included), or -1.
qsizetype firstBadUtf8(const QByteArray &b)
{
    const auto *p = reinterpret_cast<const unsigned char *>(b.constData());
    const qsizetype n = b.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len = 0;
        unsigned lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF)
            len = 2;
        else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0)
                lo = 0xA0;
            if (c == 0xED)
                hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0)
                lo = 0x90;
            if (c == 0xF4)
                hi = 0x8F;
        } else
            return i;
        if (i + len > n)
            return i;
        for (int k = 1; k < len; ++k) {
            const unsigned d = p[i + k];
            if (d < (k == 1 ? lo : 0x80) || d > (k == 1 ? hi : 0xBF))
                return i;
        }
        i += len;
    }
    return -1;
}

int byteLine(const QByteArray &b, qsizetype upTo)
{
    int line = 1;
    for (qsizetype i = 0; i < upTo && i < b.size(); ++i)
        if (b[i] == '\n' || (b[i] == '\r' && (i + 1 >= b.size() || b[i + 1] != '\n')))
            ++line;
    return line;
}

QStringList splitLines(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t.split(QLatin1Char('\n'));
}

// Cyrillic letters that look like Latin ones: a teacher on a Russian keyboard
// layout types "А." or "ANSWER: С" and sees no difference.
QChar latinLetter(QChar c)
{
    switch (c.unicode()) {
    case 0x0410: case 0x0430: return QLatin1Char('A');
    case 0x0412: case 0x0432: return QLatin1Char('B');
    case 0x0421: case 0x0441: return QLatin1Char('C');
    case 0x0415: case 0x0435: return QLatin1Char('E');
    default: break;
    }
    if (c.unicode() < 128 && c.isLetter())
        return c.toUpper();
    return QChar();
}

// "A. text", "B) text", "C." — the letter, or a null QChar when the line is no option.
QChar aikenOption(const QString &t, QString *rest)
{
    if (t.size() < 2 || (t[1] != QLatin1Char('.') && t[1] != QLatin1Char(')')))
        return QChar();
    if (t.size() > 2 && !t[2].isSpace())
        return QChar();
    const QChar letter = latinLetter(t[0]);
    if (letter.isNull())
        return QChar();
    if (rest)
        *rest = t.mid(2).trimmed();
    return letter;
}

bool aikenAnswer(const QString &t, QString *rest)
{
    static const QRegularExpression re(QStringLiteral("^(?:ANSWER|ОТВЕТ)\\s*:(.*)$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(t);
    if (!m.hasMatch())
        return false;
    if (rest)
        *rest = m.captured(1).trimmed();
    return true;
}

QString letterName(int index) { return QString(QChar(u'A' + index)); }

QString countOptions(int n)
{
    const int mod10 = n % 10, mod100 = n % 100;
    const char16_t *word = (mod10 == 1 && mod100 != 11)                             ? u"вариант"
                           : (mod10 >= 2 && mod10 <= 4 && (mod100 < 12 || mod100 > 14)) ? u"варианта"
                                                                                         : u"вариантов";
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf16(word));
}

// ---- GIFT ----

// One question of a GIFT file: its lines joined with "\n", and the file line of each.
struct Chunk {
    QString text;
    std::vector<int> lines;         // file line of each line of text
    std::vector<qsizetype> breaks;  // offsets of the "\n" between them
    int lineAt(qsizetype offset) const
    {
        const auto k = std::lower_bound(breaks.begin(), breaks.end(), offset) - breaks.begin();
        return lines[size_t(std::min<qsizetype>(k, qsizetype(lines.size()) - 1))];
    }
};

bool isSpecial(QChar c)
{
    return c == QLatin1Char('~') || c == QLatin1Char('=') || c == QLatin1Char('#') || c == QLatin1Char('{') ||
           c == QLatin1Char('}') || c == QLatin1Char(':') || c == QLatin1Char('\\');
}

// Offset of the first unescaped c at or after from, or -1.
qsizetype findUnescaped(const QString &s, QChar c, qsizetype from)
{
    for (qsizetype i = from; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (s[i] == c)
            return i;
    }
    return -1;
}

qsizetype findUnescapedPair(const QString &s, QChar c, qsizetype from)
{
    for (qsizetype i = from; i + 1 < s.size(); ++i) {
        if (s[i] == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (s[i] == c && s[i + 1] == c)
            return i;
    }
    return -1;
}

QString unescape(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('\\') && i + 1 < s.size()) {
            const QChar n = s[i + 1];
            if (isSpecial(n)) {
                out += n;
                ++i;
                continue;
            }
            if (n == QLatin1Char('n')) {
                out += QLatin1Char('\n');
                ++i;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

QString escape(const QString &s)
{
    QString out;
    out.reserve(s.size() + 8);
    for (const QChar c : s) {
        if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else {
            if (isSpecial(c))
                out += QLatin1Char('\\');
            out += c;
        }
    }
    return out;
}

// What a question in HTML (Moodle writes "[html]<p>…</p>") reads as plain text.
QString htmlToText(const QString &html)
{
    static const QRegularExpression breaks(QStringLiteral("<\\s*(br\\s*/?|/p|/div|/li|/h[1-6])\\s*>"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    QString t = html;
    t.replace(breaks, QStringLiteral("\n"));
    t.remove(tags);
    QString out;
    out.reserve(t.size());
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i] != QLatin1Char('&')) {
            out += t[i];
            continue;
        }
        const qsizetype semi = t.indexOf(QLatin1Char(';'), i);
        if (semi < 0 || semi - i > 10) {
            out += t[i];
            continue;
        }
        const QString name = t.mid(i + 1, semi - i - 1);
        QString rep;
        if (name == QLatin1String("amp"))
            rep = QStringLiteral("&");
        else if (name == QLatin1String("lt"))
            rep = QStringLiteral("<");
        else if (name == QLatin1String("gt"))
            rep = QStringLiteral(">");
        else if (name == QLatin1String("quot"))
            rep = QStringLiteral("\"");
        else if (name == QLatin1String("apos"))
            rep = QStringLiteral("'");
        else if (name == QLatin1String("nbsp"))
            rep = QStringLiteral(" ");
        else if (name.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const uint code = name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'))
                                  ? name.mid(2).toUInt(&ok, 16)
                                  : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                const char32_t c32 = char32_t(code);
                rep = QString::fromUcs4(&c32, 1);
            }
        }
        if (rep.isNull()) {
            out += t[i];
            continue;
        }
        out += rep;
        i = semi;
    }
    QStringList lines = out.split(QLatin1Char('\n'));
    for (QString &l : lines)
        l = l.trimmed();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    while (!lines.isEmpty() && lines.first().isEmpty())
        lines.removeFirst();
    return lines.join(QLatin1Char('\n'));
}

bool isCommentLine(const QString &line) { return line.trimmed().startsWith(QLatin1String("//")); }

std::vector<Chunk> giftChunks(const QString &text)
{
    std::vector<Chunk> chunks;
    const QStringList lines = splitLines(text);
    Chunk cur;
    auto flush = [&] {
        if (!cur.lines.empty())
            chunks.push_back(std::move(cur));
        cur = Chunk();
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &l = lines[i];
        if (l.trimmed().isEmpty()) {
            flush();
            continue;
        }
        if (isCommentLine(l))
            continue;
        // A category line belongs to no question.
        if (l.trimmed().startsWith(QLatin1String("$CATEGORY:"))) {
            flush();
            continue;
        }
        if (!cur.lines.empty()) {
            cur.breaks.push_back(cur.text.size());
            cur.text += QLatin1Char('\n');
        }
        cur.text += l;
        cur.lines.push_back(int(i + 1));
    }
    flush();
    return chunks;
}

struct GiftAnswer {
    bool correctMark = false; // "="
    QString weight;           // between the % signs, or null
    QString text;             // unescaped, trimmed
    int line = 0;
};

bool parseWeight(const QString &w, double *value)
{
    bool ok = false;
    *value = QString(w).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok;
}

// Fills q from one chunk, or returns the refusal.
std::optional<Refusal> parseGiftChunk(const Chunk &c, Question &q)
{
    const QString &s = c.text;
    const int first = c.lines.front();
    q.line = first;
    qsizetype pos = 0;
    while (pos < s.size() && s[pos].isSpace())
        ++pos;
    if (s.mid(pos, 2) == QLatin1String("::")) {
        const qsizetype end = findUnescapedPair(s, QLatin1Char(':'), pos + 2);
        if (end < 0)
            return Refusal{first, QStringLiteral("название вопроса начато «::», но не закрыто вторым «::»")};
        pos = end + 2;
    }
    const qsizetype open = findUnescaped(s, QLatin1Char('{'), pos);
    if (open < 0)
        return Refusal{first, QStringLiteral("нет блока ответов в фигурных скобках { … }: такой текст в GIFT — "
                                             "описание, а не вопрос")};
    const qsizetype close = findUnescaped(s, QLatin1Char('}'), open + 1);
    if (close < 0)
        return Refusal{c.lineAt(open), QStringLiteral("блок ответов открыт «{», но не закрыт «}»")};
    const QString tail = s.mid(close + 1);
    if (findUnescaped(tail, QLatin1Char('{'), 0) >= 0)
        return Refusal{c.lineAt(close + 1 + findUnescaped(tail, QLatin1Char('{'), 0)),
                       QStringLiteral("у вопроса несколько блоков ответов { … }; в банке у вопроса один набор "
                                      "вариантов")};

    // Answer text in the middle ("… {~a =b} …") becomes a gap in the question.
    QString raw = s.mid(pos, open - pos).trimmed();
    if (!tail.trimmed().isEmpty())
        raw += QStringLiteral(" _____ ") + tail.trimmed();
    bool html = false;
    static const QRegularExpression marker(QStringLiteral("^\\[(html|moodle|plain|markdown)\\]"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = marker.match(raw);
    if (m.hasMatch()) {
        html = m.captured(1).compare(QLatin1String("html"), Qt::CaseInsensitive) == 0;
        raw = raw.mid(m.capturedLength());
    }
    auto plain = [html](const QString &escaped) {
        const QString t = unescape(escaped).trimmed();
        return html ? htmlToText(t) : t;
    };
    q.text = plain(raw);

    const QString block = s.mid(open + 1, close - open - 1);
    const QString body = block.trimmed();
    const int blockLine = c.lineAt(open);
    if (body.isEmpty())
        return Refusal{blockLine, QStringLiteral("вопрос с развёрнутым ответом (пустой блок { }) не хранится: в банке "
                                                 "только вопросы с выбором одного ответа")};
    if (body.startsWith(QLatin1Char('#')))
        return Refusal{blockLine, QStringLiteral("числовой вопрос ({# …}) не хранится: в банке только вопросы с "
                                                 "выбором одного ответа")};
    static const QRegularExpression trueFalse(QStringLiteral("^(T|F|TRUE|FALSE)\\s*(#.*)?$"),
                                              QRegularExpression::CaseInsensitiveOption |
                                                  QRegularExpression::DotMatchesEverythingOption);
    if (trueFalse.match(body).hasMatch())
        return Refusal{blockLine, QStringLiteral("вопрос «верно/неверно» ({T} или {F}) не хранится: в банке только "
                                                 "вопросы с выбором одного из вариантов")};

    std::vector<GiftAnswer> answers;
    qsizetype i = 0;
    const qsizetype n = block.size();
    while (i < n && block[i].isSpace())
        ++i;
    while (i < n) {
        const QChar mark = block[i];
        if (mark != QLatin1Char('=') && mark != QLatin1Char('~'))
            return Refusal{c.lineAt(open + 1 + i),
                           QStringLiteral("в блоке ответов ожидался «=» (верный ответ) или «~» (неверный), а "
                                          "стоит «%1»")
                               .arg(mark)};
        GiftAnswer a;
        a.correctMark = mark == QLatin1Char('=');
        a.line = c.lineAt(open + 1 + i);
        ++i;
        // The answer runs to the next unescaped "=" or "~"; a "#" starts its
        // feedback, which the bank has no place for.
        qsizetype end = i;
        qsizetype feedback = -1;
        while (end < n) {
            const QChar ch = block[end];
            if (ch == QLatin1Char('\\')) {
                end += 2;
                continue;
            }
            if (ch == QLatin1Char('=') || ch == QLatin1Char('~'))
                break;
            if (ch == QLatin1Char('#') && feedback < 0)
                feedback = end;
            ++end;
        }
        end = std::min(end, n);
        QString raw = block.mid(i, (feedback >= 0 ? feedback : end) - i).trimmed();
        static const QRegularExpression weight(QStringLiteral("^%(-?[0-9]+(?:[.,][0-9]*)?)%"));
        const QRegularExpressionMatch wm = weight.match(raw);
        if (wm.hasMatch()) {
            a.weight = wm.captured(1);
            raw = raw.mid(wm.capturedLength());
        }
        a.text = plain(raw);
        answers.push_back(a);
        i = end;
    }

    bool anyWrong = false;
    for (const GiftAnswer &a : answers)
        anyWrong = anyWrong || !a.correctMark;
    if (!anyWrong) {
        bool matching = false;
        for (const GiftAnswer &a : answers)
            matching = matching || a.text.contains(QLatin1String("->"));
        return Refusal{blockLine, matching ? QStringLiteral("вопрос на соответствие (… -> …) не хранится: в банке "
                                                           "только вопросы с выбором одного ответа")
                                           : QStringLiteral("вопрос с кратким ответом (только «=», без «~») не "
                                                            "хранится: в банке только вопросы с выбором одного из "
                                                            "вариантов")};
    }
    int correct = 0, correctCount = 0;
    for (size_t k = 0; k < answers.size(); ++k) {
        const GiftAnswer &a = answers[k];
        bool right = a.correctMark;
        if (!a.weight.isNull()) {
            double w = 0;
            parseWeight(a.weight, &w);
            if (w >= 100)
                right = true;
            else if (w > 0)
                return Refusal{a.line, QStringLiteral("частично верный ответ (%%1%) не хранится: в банке у вопроса "
                                                      "один верный ответ")
                                           .arg(a.weight)};
            else
                right = false;
        }
        if (right) {
            ++correctCount;
            correct = int(k) + 1;
        }
    }
    if (answers.size() > size_t(kMaxOptions))
        return Refusal{answers[kMaxOptions].line,
                       QStringLiteral("%1 ответа; в банке у вопроса не больше пяти вариантов")
                           .arg(countOptions(int(answers.size())))};
    if (answers.size() < size_t(kMinOptions))
        return Refusal{blockLine, QStringLiteral("всего один вариант ответа; нужно от двух до пяти")};
    if (correctCount == 0)
        return Refusal{blockLine, QStringLiteral("нет верного ответа: отметьте его знаком «=»")};
    if (correctCount > 1)
        return Refusal{blockLine, QStringLiteral("верных ответов %1; в банке у вопроса ровно один верный ответ")
                                      .arg(correctCount)};
    if (q.text.isEmpty())
        return Refusal{first, QStringLiteral("нет текста вопроса")};
    q.optionCount = int(answers.size());
    q.correct = correct;
    for (size_t k = 0; k < answers.size(); ++k)
        q.options[k] = answers[k].text;
    return std::nullopt;
}

} // namespace

QString Refusal::text() const { return QStringLiteral("строка %1: %2").arg(line).arg(reason); }

QString decodeCp1251(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out += QChar(b);
        else if (b < 0xC0)
            out += QChar(kCp1251High[b - 0x80]);
        else
            out += QChar(char16_t(0x0410 + (b - 0xC0)));
    }
    return out;
}

QByteArray encodeCp1251(const QString &text, bool *lossless)
{
    QByteArray out;
    out.reserve(text.size());
    bool ok = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            out += char(u);
        } else if (u >= 0x0410 && u <= 0x044F) {
            out += char(0xC0 + (u - 0x0410));
        } else {
            const char16_t *hit = std::find(std::begin(kCp1251High), std::end(kCp1251High), u);
            if (hit != std::end(kCp1251High) && u != 0xFFFD) {
                out += char(0x80 + (hit - std::begin(kCp1251High)));
            } else {
                out += '?';
                ok = false;
            }
        }
    }
    if (lossless)
        *lossless = ok;
    return out;
}

QString decode(const QByteArray &bytes, Encoding encoding, Encoding *used)
{
    const bool bom8 = bytes.startsWith("\xEF\xBB\xBF");
    const bool bom16le = bytes.startsWith("\xFF\xFE");
    const bool bom16be = bytes.startsWith("\xFE\xFF");
    if (encoding == Encoding::Auto && (bom16le || bom16be)) {
        // Notepad's "Unicode": UTF-16 with a byte-order mark.
        QStringDecoder d(bom16le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                         QStringDecoder::Flag::Stateless);
        QString text = d(bytes.mid(2));
        if (used)
            *used = Encoding::Utf16;
        return text;
    }
    if (encoding == Encoding::Cp1251 || (encoding == Encoding::Auto && !bom8 && firstBadUtf8(bytes) >= 0)) {
        if (used)
            *used = Encoding::Cp1251;
        return decodeCp1251(bytes);
    }
    const QByteArray body = bom8 ? bytes.mid(3) : bytes;
    const qsizetype bad = firstBadUtf8(body);
    if (bad >= 0)
        throw FileError{Refusal{byteLine(body, bad),
                                QStringLiteral("файл не в кодировке UTF-8 (неверный байт 0x%1); если он в "
                                               "Windows-1251, укажите --encoding cp1251")
                                    .arg(QString::number(uint(static_cast<unsigned char>(body[bad])), 16)
                                             .toUpper()
                                             .rightJustified(2, QLatin1Char('0')))}};
    if (used)
        *used = Encoding::Utf8;
    return QString::fromUtf8(body);
}

Format detectFormat(const QString &text)
{
    bool brace = false;
    for (const QString &l : splitLines(text)) {
        const QString t = l.trimmed();
        if (aikenAnswer(t, nullptr))
            return Format::Aiken;
        if (!isCommentLine(l) && findUnescaped(t, QLatin1Char('{'), 0) >= 0)
            brace = true;
    }
    return brace ? Format::Gift : Format::Aiken;
}

ReadResult readAiken(const QString &text)
{
    ReadResult r;
    r.format = Format::Aiken;
    enum class State { Idle, Text, Options, Skip } state = State::Idle;
    Question q;
    auto refuse = [&](int line, const QString &reason) {
        r.refusals << Refusal{line, reason};
        state = State::Skip;
    };
    auto start = [&](const QString &t, int line) {
        q = Question();
        q.text = t;
        q.line = line;
        state = State::Text;
    };
    const QStringList lines = splitLines(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNo = int(i + 1);
        const QString t = lines[i].trimmed();
        if (t.isEmpty()) {
            // Blank lines inside a question are tolerated; after a refused one they
            // end the skip.
            if (state == State::Skip)
                state = State::Idle;
            continue;
        }
        QString rest;
        const bool isAnswer = aikenAnswer(t, &rest);
        const QChar letter = isAnswer ? QChar() : aikenOption(t, &rest);
        switch (state) {
        case State::Skip:
            if (isAnswer)
                state = State::Idle;
            break;
        case State::Idle:
            // A question may itself begin like an option ("А. С. Пушкин …"); a
            // missing question line then shows as options out of order.
            if (isAnswer)
                refuse(lineNo, QStringLiteral("строка «ANSWER:» без вопроса и вариантов перед ней"));
            else
                start(t, lineNo);
            break;
        case State::Text:
            if (isAnswer)
                refuse(lineNo, QStringLiteral("у вопроса со строки %1 нет вариантов ответа (A. …, B. …)").arg(q.line));
            else if (!letter.isNull() && letter != QLatin1Char('A'))
                refuse(lineNo, QStringLiteral("первый вариант ответа — «%1», а должен быть «A»").arg(letter));
            else if (!letter.isNull()) {
                q.options[0] = rest;
                q.optionCount = 1;
                state = State::Options;
            } else
                q.text += QLatin1Char('\n') + t;
            break;
        case State::Options:
            if (isAnswer) {
                if (q.optionCount < kMinOptions) {
                    refuse(q.line, QStringLiteral("всего один вариант ответа; нужно от двух до пяти"));
                    state = State::Idle;
                    break;
                }
                QStringList letters;
                QString bad;
                for (const QString &part : rest.split(QRegularExpression(QStringLiteral("[\\s,;]+")),
                                                      Qt::SkipEmptyParts)) {
                    const QChar l = part.size() == 1 ? latinLetter(part[0]) : QChar();
                    if (l.isNull())
                        bad = part;
                    else
                        letters << QString(l);
                }
                state = State::Idle;
                if (!bad.isNull() || letters.isEmpty()) {
                    r.refusals << Refusal{lineNo, rest.isEmpty()
                                                      ? QStringLiteral("в строке «ANSWER:» не указан верный вариант")
                                                      : QStringLiteral("в строке «ANSWER:» ожидалась одна буква "
                                                                       "варианта, а стоит «%1»")
                                                            .arg(rest)};
                } else if (letters.size() > 1) {
                    r.refusals << Refusal{lineNo, QStringLiteral("указано несколько верных ответов (%1); в банке у "
                                                                 "вопроса ровно один верный ответ")
                                                      .arg(letters.join(QStringLiteral(", ")))};
                } else if (letters[0][0].unicode() - u'A' >= q.optionCount) {
                    r.refusals << Refusal{lineNo, QStringLiteral("верный ответ «%1» — такого варианта у вопроса нет")
                                                      .arg(letters[0])};
                } else {
                    q.correct = letters[0][0].unicode() - u'A' + 1;
                    r.questions << q;
                }
            } else if (!letter.isNull()) {
                const QChar expected(u'A' + q.optionCount);
                if (q.optionCount == kMaxOptions && letter == expected)
                    refuse(lineNo, QStringLiteral("больше пяти вариантов ответа (вариант «%1»); в банке у вопроса не "
                                                  "больше пяти")
                                       .arg(letter));
                else if (letter != expected)
                    refuse(lineNo, QStringLiteral("вариант «%1» не по порядку: ожидался «%2»").arg(letter, expected));
                else
                    q.options[size_t(q.optionCount++)] = rest;
            } else {
                // Most often the ANSWER line was forgotten and this is the next question.
                r.refusals << Refusal{q.line, QStringLiteral("у вопроса нет строки «ANSWER:» после вариантов "
                                                             "(перед строкой %1)")
                                                  .arg(lineNo)};
                start(t, lineNo);
            }
            break;
        }
    }
    if (state == State::Text || state == State::Options)
        r.refusals << Refusal{q.line, QStringLiteral("у вопроса нет строки «ANSWER:» — файл кончился раньше")};
    return r;
}

ReadResult readGift(const QString &text)
{
    ReadResult r;
    r.format = Format::Gift;
    for (const Chunk &c : giftChunks(text)) {
        Question q;
        if (const std::optional<Refusal> refusal = parseGiftChunk(c, q))
            r.refusals << *refusal;
        else
            r.questions << q;
    }
    return r;
}

ReadResult readQuestions(const QByteArray &bytes, Encoding encoding)
{
    Encoding used = Encoding::Utf8;
    const QString text = decode(bytes, encoding, &used);
    if (text.contains(QChar(0)))
        throw FileError{Refusal{int(splitLines(text.left(text.indexOf(QChar(0)))).size()),
                                QStringLiteral("в файле есть нулевые байты: это не текстовый файл вопросов")}};
    ReadResult r = detectFormat(text) == Format::Gift ? readGift(text) : readAiken(text);
    r.encoding = used;
    return r;
}

int optionsToWrite(const std::array<QString, kMaxOptions> &options, int correct)
{
    int k = kMinOptions;
    for (int i = 0; i < kMaxOptions; ++i)
        if (!options[size_t(i)].trimmed().isEmpty())
            k = std::max(k, i + 1);
    if (correct >= 1 && correct <= kMaxOptions)
        k = std::max(k, correct);
    return k;
}

QString cannotWrite(const Question &q, Format format)
{
    if (q.text.trimmed().isEmpty())
        return QStringLiteral("нет текста вопроса");
    if (q.correct < 1 || q.correct > kMaxOptions)
        return QStringLiteral("номер верного ответа (ОтветПр) не от 1 до 5");
    const int k = optionsToWrite(q.options, q.correct);
    if (format == Format::Aiken) {
        bool lineBreak = q.text.trimmed().contains(QLatin1Char('\n')) || q.text.contains(QLatin1Char('\r'));
        for (int i = 0; i < k; ++i)
            lineBreak = lineBreak || q.options[size_t(i)].trimmed().contains(QLatin1Char('\n')) ||
                        q.options[size_t(i)].contains(QLatin1Char('\r'));
        if (lineBreak)
            return QStringLiteral("в тексте есть переносы строк, а в формате Aiken вопрос и каждый вариант — одна "
                                  "строка; выгрузите в формате GIFT");
        if (aikenAnswer(q.text.trimmed(), nullptr))
            return QStringLiteral("текст вопроса начинается как строка «ANSWER:»; выгрузите в формате GIFT");
    } else {
        static const QRegularExpression weight(QStringLiteral("^%-?[0-9]+(?:[.,][0-9]*)?%"));
        for (int i = 0; i < k; ++i)
            if (weight.match(q.options[size_t(i)].trimmed()).hasMatch())
                return QStringLiteral("вариант %1 начинается как вес ответа GIFT («%50%»)").arg(letterName(i));
    }
    return QString();
}

QString writeAiken(const QList<Question> &questions)
{
    QString out;
    for (const Question &q : questions) {
        out += q.text.trimmed() + QLatin1Char('\n');
        const int k = optionsToWrite(q.options, q.correct);
        for (int i = 0; i < k; ++i) {
            const QString o = q.options[size_t(i)].trimmed();
            out += letterName(i) + QLatin1Char('.') + (o.isEmpty() ? QString() : QLatin1Char(' ') + o) +
                   QLatin1Char('\n');
        }
        out += QStringLiteral("ANSWER: ") + letterName(q.correct - 1) + QStringLiteral("\n\n");
    }
    return out;
}

QString writeGift(const QList<Question> &questions)
{
    QString out;
    for (const Question &q : questions) {
        QString text = escape(q.text.trimmed());
        // Keeps a text that begins like a comment, a category or a format marker
        // from being read as one.
        if (text.startsWith(QLatin1String("//")) || text.startsWith(QLatin1String("$CATEGORY")) ||
            text.startsWith(QLatin1Char('[')))
            text.prepend(QLatin1String("[plain]"));
        out += text + QStringLiteral(" {\n");
        const int k = optionsToWrite(q.options, q.correct);
        for (int i = 0; i < k; ++i)
            out += QString(QLatin1Char('\t')) + QLatin1Char(i + 1 == q.correct ? '=' : '~') +
                   escape(q.options[size_t(i)].trimmed()) + QLatin1Char('\n');
        out += QStringLiteral("}\n\n");
    }
    return out;
}

} // namespace qformats
