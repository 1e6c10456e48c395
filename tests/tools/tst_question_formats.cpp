// The Aiken and GIFT readers on files written the way teachers and other systems
// write them, their refusals with line numbers, and the writers checked against
// text written by hand from the formats' rules.
#include "formats/QuestionFormats.h"

#include <QFile>
#include <QtTest>

using namespace qformats;

namespace {

const QString kFixtures = QStringLiteral(ETEXTBOOK_SOURCE_DIR "/tests/tools/fixtures/questions/");

QByteArray fixture(const QString &name)
{
    QFile f(kFixtures + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return f.readAll();
}

QStringList refusalLines(const ReadResult &r)
{
    QStringList out;
    for (const Refusal &x : r.refusals)
        out << QString::number(x.line);
    return out;
}

Question make(const QString &text, const QStringList &options, int correct)
{
    Question q;
    q.text = text;
    for (int i = 0; i < options.size(); ++i)
        q.options[size_t(i)] = options[i];
    q.optionCount = int(options.size());
    q.correct = correct;
    return q;
}

} // namespace

class TestQuestionFormats : public QObject {
    Q_OBJECT
private slots:
    void aikenFromTeachersAndSystems();
    void giftFromLearningSystem();
    void encodings_data();
    void encodings();
    void refusals_data();
    void refusals();
    void writersMatchTheFormats();
    void writeThenRead_data();
    void writeThenRead();
    void whatCannotBeWritten_data();
    void whatCannotBeWritten();
    void cp1251Table();
};

void TestQuestionFormats::aikenFromTeachersAndSystems()
{
    // Notepad, Windows-1251, CRLF: no blank line between the first two questions,
    // trailing spaces, Cyrillic "А" as a letter.
    ReadResult r = readQuestions(fixture(QStringLiteral("aiken_notepad_cp1251_crlf.txt")), Encoding::Auto);
    QCOMPARE(r.format, Format::Aiken);
    QCOMPARE(r.encoding, Encoding::Cp1251);
    QVERIFY2(r.refusals.isEmpty(), qPrintable(r.refusals.value(0).text()));
    QCOMPARE(r.questions.size(), 4);
    const Question &first = r.questions[0];
    QCOMPARE(first.text, QStringLiteral("Какое устройство предназначено для долговременного хранения информации?"));
    QCOMPARE(first.optionCount, 4);
    QCOMPARE(first.options[1], QStringLiteral("Жёсткий диск"));
    QCOMPARE(first.options[4], QString());
    QCOMPARE(first.correct, 2);
    QCOMPARE(r.questions[1].line, 7);
    QCOMPARE(r.questions[1].optionCount, 3);
    QCOMPARE(r.questions[2].text, QStringLiteral("Укажите верное утверждение о числе «№ 10» — «ёлка» в двоичной записи:"));
    QCOMPARE(r.questions[2].options[0], QStringLiteral("1010"));
    QCOMPARE(r.questions[2].correct, 1);
    QCOMPARE(r.questions[3].optionCount, 5);

    // "A." and "A)" styles; the six-option and two-answer questions are refused
    // at the lines a teacher would look at.
    r = readQuestions(fixture(QStringLiteral("aiken_moodle_style.txt")), Encoding::Auto);
    QCOMPARE(r.encoding, Encoding::Utf8);
    QCOMPARE(r.questions.size(), 3);
    QCOMPARE(r.questions[1].options[2], QStringLiteral("Binary"));
    QCOMPARE(r.questions[2].text, QStringLiteral("What does RAM keep when the power is off?"));
    QCOMPARE(refusalLines(r), (QStringList{QStringLiteral("21"), QStringLiteral("27")}));
    QVERIFY(r.refusals[0].reason.contains(QStringLiteral("больше пяти")));
    QVERIFY(r.refusals[1].reason.contains(QStringLiteral("несколько верных")));
    QCOMPARE(r.refusals[0].text().left(10), QStringLiteral("строка 21:"));
}

void TestQuestionFormats::giftFromLearningSystem()
{
    const ReadResult r = readQuestions(fixture(QStringLiteral("gift_lms_export.gift")), Encoding::Auto);
    QCOMPARE(r.format, Format::Gift);
    QCOMPARE(r.questions.size(), 5);

    const Question &html = r.questions[0];
    QCOMPARE(html.line, 6);
    QCOMPARE(html.text, QStringLiteral("Сколько бит в одном байте?"));
    QCOMPARE(html.optionCount, 4);
    QCOMPARE(html.options[0], QStringLiteral("4")); // feedback dropped
    QCOMPARE(html.options[3], QStringLiteral("32")); // negative weight: a wrong answer
    QCOMPARE(html.correct, 2);

    const Question &escaped = r.questions[1];
    QCOMPARE(escaped.text, QStringLiteral("Какой знак в Паскале означает присваивание: = или :=?"));
    QCOMPARE(escaped.options[0], QStringLiteral("="));
    QCOMPARE(escaped.options[1], QStringLiteral(":="));
    QCOMPARE(escaped.options[2], QStringLiteral("=="));
    QCOMPARE(escaped.correct, 2);

    const Question &gap = r.questions[2];
    QCOMPARE(gap.text, QStringLiteral("Устройство вывода информации на бумагу называется _____ ."));
    QCOMPARE(gap.correct, 2);
    QCOMPARE(gap.optionCount, 3);

    const Question &weighted = r.questions[3]; // "~%100%" is the correct one
    QCOMPARE(weighted.correct, 1);
    QCOMPARE(weighted.options[2], QStringLiteral("Килобайт"));
    QCOMPARE(weighted.text, QStringLiteral("Какая единица больше?"));

    QCOMPARE(r.questions[4].line, 71);
    QCOMPARE(r.questions[4].optionCount, 2);

    // true/false, short answer, matching, numeric, essay, partial credit (at its
    // answer's line), six answers (at the sixth), a description.
    QCOMPARE(refusalLines(r), QStringList({"32", "35", "38", "45", "48", "52", "64", "68"}));
    const QStringList expect = {QStringLiteral("верно/неверно"), QStringLiteral("кратким ответом"),
                                QStringLiteral("соответствие"),   QStringLiteral("числовой"),
                                QStringLiteral("развёрнутым"),    QStringLiteral("частично верный"),
                                QStringLiteral("не больше пяти"), QStringLiteral("описание")};
    for (int i = 0; i < expect.size(); ++i)
        QVERIFY2(r.refusals[i].reason.contains(expect[i]), qPrintable(r.refusals[i].text()));
}

void TestQuestionFormats::encodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("forced");
    QTest::addColumn<int>("used");     // -1: refused
    QTest::addColumn<int>("badLine");
    QTest::addColumn<QString>("firstText");

    const QByteArray cp = fixture(QStringLiteral("aiken_notepad_cp1251_crlf.txt"));
    const QString cpFirst = QStringLiteral("Какое устройство предназначено для долговременного хранения информации?");
    QTest::newRow("cp1251 detected") << cp << int(Encoding::Auto) << int(Encoding::Cp1251) << 0 << cpFirst;
    QTest::newRow("cp1251 forced") << cp << int(Encoding::Cp1251) << int(Encoding::Cp1251) << 0 << cpFirst;
    QTest::newRow("cp1251 read as utf-8") << cp << int(Encoding::Utf8) << -1 << 1 << QString();
    QByteArray lateBad = "Question?\nA. one\nB. two\nANSWER: A\n\nСлово?\nA. \xE4\xE0\nB. x\nANSWER: B\n";
    lateBad.replace("Слово", QStringLiteral("Слово").toUtf8());
    QTest::newRow("bad byte on line 7") << lateBad << int(Encoding::Utf8) << -1 << 7 << QString();
    const QByteArray utf8 = "\xEF\xBB\xBF" + QStringLiteral("Вопрос?\r\nA. да\r\nB. нет\r\nANSWER: B\r\n").toUtf8();
    QTest::newRow("utf-8 with BOM and CRLF") << utf8 << int(Encoding::Auto) << int(Encoding::Utf8) << 0
                                             << QStringLiteral("Вопрос?");
    QTest::newRow("notepad unicode") << fixture(QStringLiteral("aiken_notepad_utf16.txt")) << int(Encoding::Auto)
                                     << int(Encoding::Utf16) << 0 << QStringLiteral("Which of these is an input device?");
    QTest::newRow("old Mac CR only") << QByteArray("Q?\rA. a\rB. b\rANSWER: A\r") << int(Encoding::Auto)
                                     << int(Encoding::Utf8) << 0 << QStringLiteral("Q?");
    QTest::newRow("binary") << QByteArray("Q?\nA. a\0b\nB. b\nANSWER: A\n", sizeof("Q?\nA. a\0b\nB. b\nANSWER: A\n") - 1) << int(Encoding::Auto) << -1 << 2
                            << QString();
}

void TestQuestionFormats::encodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, forced);
    QFETCH(int, used);
    QFETCH(int, badLine);
    QFETCH(QString, firstText);
    try {
        const ReadResult r = readQuestions(bytes, Encoding(forced));
        QVERIFY2(used >= 0, "expected a refusal of the whole file");
        QCOMPARE(int(r.encoding), used);
        QVERIFY(!r.questions.isEmpty());
        QCOMPARE(r.questions[0].text, firstText);
    } catch (const FileError &e) {
        QVERIFY2(used < 0, qPrintable(e.refusal.text()));
        QCOMPARE(e.refusal.line, badLine);
        QVERIFY2(e.refusal.reason.startsWith(QStringLiteral("файл не в кодировке UTF-8 (неверный байт 0x")) ||
                     e.refusal.reason.startsWith(QStringLiteral("в файле есть нулевые байты")),
                 qPrintable(e.refusal.reason));
    }
}

void TestQuestionFormats::refusals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("accepted");
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("reason"); // part of the first refusal

    // Aiken
    QTest::newRow("aiken: one option") << "Q?\nA. only\nANSWER: A\n" << 0 << "1" << "один вариант";
    QTest::newRow("aiken: six options") << "Q?\nA. 1\nB. 2\nC. 3\nD. 4\nE. 5\nF. 6\nANSWER: A\n" << 0 << "7"
                                        << "больше пяти";
    QTest::newRow("aiken: two correct") << "Q?\nA. 1\nB. 2\nANSWER: A B\n" << 0 << "4" << "несколько верных";
    QTest::newRow("aiken: answer not an option") << "Q?\nA. 1\nB. 2\nANSWER: D\n" << 0 << "4" << "такого варианта";
    QTest::newRow("aiken: empty answer") << "Q?\nA. 1\nB. 2\nANSWER:\n" << 0 << "4" << "не указан";
    QTest::newRow("aiken: answer is a word") << "Q?\nA. 1\nB. 2\nANSWER: Binary\n" << 0 << "4" << "одна буква";
    QTest::newRow("aiken: letters out of order") << "Q?\nA. 1\nC. 2\nANSWER: A\n" << 0 << "3" << "не по порядку";
    QTest::newRow("aiken: no options") << "Q?\nANSWER: A\n" << 0 << "2" << "нет вариантов";
    QTest::newRow("aiken: options first") << "A. 1\nB. 2\nANSWER: A\n" << 0 << "2" << "должен быть «A»";
    QTest::newRow("aiken: no ANSWER at the end") << "Q?\nA. 1\nB. 2\n" << 0 << "1" << "файл кончился";
    QTest::newRow("aiken: ANSWER forgotten, next question kept")
        << "Q1?\nA. 1\nB. 2\nQ2?\nA. x\nB. y\nANSWER: B\n" << 1 << "1" << "перед строкой 4";
    QTest::newRow("aiken: stray ANSWER") << "ANSWER: A\n\nQ?\nA. 1\nB. 2\nANSWER: B\n" << 1 << "1" << "без вопроса";
    QTest::newRow("aiken: good after bad") << "Q?\nA. 1\nA. 2\nB. 3\nANSWER: A\n\nQ2?\nA. 1\nB. 2\nANSWER: B\n" << 1
                                           << "3" << "не по порядку";
    QTest::newRow("aiken: lower case and blank lines inside")
        << "Q?\n\na) 1\n\nb) 2\nanswer: b\n" << 1 << "" << "";
    QTest::newRow("aiken: question begins like an option") << "А. С. Пушкин родился в году?\nA. 1799\nB. 1812\nANSWER: A\n"
                                                           << 1 << "" << "";
    QTest::newRow("aiken: empty file") << "" << 0 << "" << "";
    // GIFT
    QTest::newRow("gift: two correct") << "Q {=a =b ~c}" << 0 << "1" << "верных ответов 2";
    QTest::newRow("gift: no correct") << "Q {~a ~b}" << 0 << "1" << "нет верного";
    QTest::newRow("gift: empty wrong answer") << "Q {=a ~}" << 1 << "" << "";
    QTest::newRow("gift: unclosed block") << "// c\n::T:: Q {\n=a\n~b\n" << 0 << "2" << "не закрыт";
    QTest::newRow("gift: unclosed title") << "::T Q {=a ~b}" << 0 << "1" << "название";
    QTest::newRow("gift: two blocks") << "Q {=a ~b} and {=c ~d}" << 0 << "1" << "несколько блоков";
    QTest::newRow("gift: text before marks") << "Q {\nx =a ~b}" << 0 << "2" << "ожидался";
    QTest::newRow("gift: no question text") << "{=a ~b}" << 0 << "1" << "нет текста";
    QTest::newRow("gift: TRUE with feedback") << "Q {TRUE#right#wrong}" << 0 << "1" << "верно/неверно";
    QTest::newRow("gift: weights 100 and 0") << "Q {~%100%a ~%0%b ~c}" << 1 << "" << "";
    QTest::newRow("gift: partial credit") << "Q {\n~%50%a\n~%50%b\n}" << 0 << "2" << "частично";
    QTest::newRow("gift: block on its own lines, CRLF") << "Q\r\n{\r\n=a\r\n~b\r\n}\r\n\r\nR {=c ~d}\r\n" << 2 << ""
                                                        << "";
}

void TestQuestionFormats::refusals()
{
    QFETCH(QString, text);
    QFETCH(int, accepted);
    QFETCH(QString, lines);
    QFETCH(QString, reason);
    const ReadResult r = readQuestions(text.toUtf8(), Encoding::Auto);
    QCOMPARE(r.questions.size(), accepted);
    QCOMPARE(refusalLines(r).join(QLatin1Char(',')), lines);
    if (!reason.isEmpty())
        QVERIFY2(r.refusals[0].reason.contains(reason), qPrintable(r.refusals[0].text()));
    for (const Question &q : r.questions) {
        QVERIFY(q.optionCount >= kMinOptions && q.optionCount <= kMaxOptions);
        QVERIFY(q.correct >= 1 && q.correct <= q.optionCount);
    }
}

void TestQuestionFormats::writersMatchTheFormats()
{
    // Written by hand from the formats' descriptions: one line per Aiken option and
    // "ANSWER: X"; GIFT escapes ~ = # { } : and \ with a backslash and a line
    // break as \n.
    const QList<Question> qs = {make(QStringLiteral("2 + 2 = ?"), {QStringLiteral("3"), QStringLiteral("4"), QString()}, 2)};
    QCOMPARE(writeAiken(qs), QStringLiteral("2 + 2 = ?\nA. 3\nB. 4\nANSWER: B\n\n"));
    const QList<Question> g = {make(QStringLiteral("Что выведет {a:b}?\nДва ряда"),
                                    {QStringLiteral("~x"), QStringLiteral("C:\\dir"), QStringLiteral("#1=1")}, 3)};
    QCOMPARE(writeGift(g), QStringLiteral("Что выведет \\{a\\:b\\}?\\nДва ряда {\n\t~\\~x\n\t~C\\:\\\\dir\n\t=\\#1\\=1\n}\n\n"));
}

void TestQuestionFormats::writeThenRead_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("correct");
    const QStringList five = {"один", "два", "три", "четыре", "пять"};
    for (const int f : {int(Format::Aiken), int(Format::Gift)}) {
        const QByteArray n = f == int(Format::Aiken) ? "aiken: " : "gift: ";
        QTest::newRow(n + "five, last correct") << f << QStringLiteral("Вопрос?") << five << 5;
        QTest::newRow(n + "empty options in the middle")
            << f << QStringLiteral("Вопрос?") << QStringList{"a", "", "c", "", ""} << 1;
        QTest::newRow(n + "correct option is empty") << f << QStringLiteral("Q") << QStringList{"a", "", "", "", ""} << 4;
        QTest::newRow(n + "looks like an option") << f << QStringLiteral("B) или C)?") << QStringList{"B)", "C."} << 2;
        QTest::newRow(n + "special characters")
            << f << QStringLiteral("a = b; {x} ~y #z :: \\n") << QStringList{"=", "~", "{}", "#", "\\"} << 3;
    }
    const int g = int(Format::Gift);
    QTest::newRow("gift: line breaks") << g << QStringLiteral("Строка 1\nСтрока 2") << QStringList{"a\nb", "c"} << 1;
    QTest::newRow("gift: looks like a comment") << g << QStringLiteral("// не комментарий") << QStringList{"a", "b"} << 1;
    QTest::newRow("gift: looks like a marker") << g << QStringLiteral("[html]<b>") << QStringList{"a", "b"} << 1;
    QTest::newRow("gift: looks like a category") << g << QStringLiteral("$CATEGORY: x") << QStringList{"a", "b"} << 2;
    QTest::newRow("gift: looks like T/F") << g << QStringLiteral("Q") << QStringList{"T", "F"} << 2;
}

void TestQuestionFormats::writeThenRead()
{
    QFETCH(int, format);
    QFETCH(QString, text);
    QFETCH(QStringList, options);
    QFETCH(int, correct);
    Question q = make(text, options, correct);
    QCOMPARE(cannotWrite(q, Format(format)), QString());
    const QList<Question> two = {q, make(QStringLiteral("Второй"), {QStringLiteral("x"), QStringLiteral("y")}, 1)};
    const QString written = Format(format) == Format::Gift ? writeGift(two) : writeAiken(two);
    const ReadResult r = readQuestions(written.toUtf8(), Encoding::Auto);
    QCOMPARE(r.format, Format(format));
    QVERIFY2(r.refusals.isEmpty(), qPrintable(r.refusals.value(0).text() + QLatin1Char('\n') + written));
    QCOMPARE(r.questions.size(), 2);
    QCOMPARE(r.questions[0].text, text);
    for (int i = 0; i < kMaxOptions; ++i)
        QCOMPARE(r.questions[0].options[size_t(i)], options.value(i));
    QCOMPARE(r.questions[0].correct, correct);
    QCOMPARE(r.questions[1].text, QStringLiteral("Второй"));
}

void TestQuestionFormats::whatCannotBeWritten_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("correct");
    QTest::addColumn<QString>("reason");
    const int a = int(Format::Aiken), g = int(Format::Gift);
    QTest::newRow("no correct answer") << g << "Q" << QStringList{"a", "b"} << 0 << "ОтветПр";
    QTest::newRow("correct answer 6") << a << "Q" << QStringList{"a", "b"} << 6 << "ОтветПр";
    QTest::newRow("empty question") << g << "  " << QStringList{"a", "b"} << 1 << "нет текста";
    QTest::newRow("aiken: line break in text") << a << "Q\nQ" << QStringList{"a", "b"} << 1 << "GIFT";
    QTest::newRow("aiken: line break in option") << a << "Q" << QStringList{"a\nb", "b"} << 1 << "GIFT";
    QTest::newRow("aiken: text is an ANSWER line") << a << "Answer: A" << QStringList{"a", "b"} << 1 << "ANSWER";
    QTest::newRow("gift: option looks like a weight") << g << "Q" << QStringList{"%50%a", "b"} << 1 << "вес";
}

void TestQuestionFormats::whatCannotBeWritten()
{
    QFETCH(int, format);
    QFETCH(QString, text);
    QFETCH(QStringList, options);
    QFETCH(int, correct);
    QFETCH(QString, reason);
    const QString why = cannotWrite(make(text, options, correct), Format(format));
    QVERIFY2(why.contains(reason), qPrintable(why));
}

void TestQuestionFormats::cp1251Table()
{
    // Every byte but the unassigned 0x98 goes there and back; the letters match
    // what iconv made of the fixture.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        if (b != 0x98)
            all += char(b);
    bool lossless = false;
    QCOMPARE(encodeCp1251(decodeCp1251(all), &lossless), all);
    QVERIFY(lossless);
    QCOMPARE(decodeCp1251("\xA8\xB8\xB9\xAB\xBB\x97\xC0\xDF\xE0\xFF"), QStringLiteral("Ёё№«»—АЯая"));
    encodeCp1251(QStringLiteral("日本"), &lossless);
    QVERIFY(!lossless);
}

QTEST_GUILESS_MAIN(TestQuestionFormats)
#include "tst_question_formats.moc"
