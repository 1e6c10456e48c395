// The WinHelp reader against files from Halibut and from our writer in every
// compression the format has, the code page rules, and damaged files.
#include "HelpTestKit.h"
#include "app/help/CourseHelp.h"
#include "app/help/HelpSource.h"
#include "app/help/WinHelpCodec.h"
#include "app/help/WinHelpPicture.h"

#include <QImage>

#include <QRandomGenerator>
#include <QtTest>

using namespace help;
using Phr = WinHelpWriteOptions::Phrases;
Q_DECLARE_METATYPE(WinHelpWriteOptions)
Q_DECLARE_METATYPE(QList<help::HelpParagraph>)

namespace {

// Every encoding the reader must know: both versions, stored and LZ77 topics,
// no phrases and both phrase compressions.
QList<std::pair<QByteArray, WinHelpWriteOptions>> allEncodings()
{
    QList<std::pair<QByteArray, WinHelpWriteOptions>> out;
    for (int minor : {21, 33})
        for (bool lz77 : {false, true})
            for (Phr phrases : {Phr::None, Phr::Old, Phr::Hall}) {
                WinHelpWriteOptions o;
                o.minor = minor;
                o.lz77 = lz77;
                o.phrases = phrases;
                out.append({QByteArray(minor == 21 ? "3.1" : "4.0") + (lz77 ? " LZ77" : " stored")
                                + (phrases == Phr::None ? "" : phrases == Phr::Old ? " old phrases" : " Hall"),
                            o});
            }
    return out;
}

HelpParagraph textParagraph(const QString &text)
{
    HelpParagraph p;
    p.runs = {HelpRun(text)};
    return p;
}

HelpRun linked(const QString &text, HelpLink::Kind kind, int topic)
{
    HelpRun r(text);
    r.link.kind = kind;
    r.link.topic = topic;
    return r;
}

} // namespace

class TestWinHelp : public QObject {
    Q_OBJECT
private slots:
    void halibutFile();
    void roundTrip_data();
    void roundTrip();
    void codePage_data();
    void codePage();
    void codeTables();
    void lz77();
    void courseManual();
    void compilerRecords_data();
    void compilerRecords();
    void pictures_data();
    void pictures();
    void unknownCommandKeepsTopic();
    void unknownRecordKeepsFile();
    void contextNumbersAndTitles();
    void damaged_data();
    void damaged();
    void randomCorruption();
};

void TestWinHelp::halibutFile()
{
    QString why;
    // The fixture is in the repository and scripts/setup.sh installs Halibut: either
    // missing is a fault of the checkout, not a reason to skip.
    QVERIFY2(QFileInfo::exists(helptest::fixture("sample.but")), qPrintable(helptest::fixture("sample.but")));
    const QByteArray hlp = helptest::halibutHelp(helptest::fixture("sample.but"), &why);
    QVERIFY2(!hlp.isEmpty(), qPrintable(why));
    const HelpDocument doc = readWinHelp(hlp);
    QCOMPARE(doc.title, QStringLiteral("Sample Help"));
    QCOMPARE(doc.codePage, 1252);

    QStringList keywords;
    for (const HelpKeyword &k : doc.keywords)
        keywords.append(k.text);
    QCOMPARE(keywords, (QStringList{QStringLiteral("café"), QStringLiteral("exams"), QStringLiteral("starting")}));

    auto topicOf = [&](const QString &keyword) {
        QStringList titles;
        for (const HelpKeyword &k : doc.keywords)
            if (k.text == keyword)
                for (int t : k.topics)
                    titles.append(doc.topics[t].title);
        return titles;
    };
    QCOMPARE(topicOf(QStringLiteral("starting")),
             (QStringList{QStringLiteral("Chapter 1: Getting started"), QStringLiteral("Chapter 2: Exams")}));
    QCOMPARE(topicOf(QStringLiteral("exams")), QStringList{QStringLiteral("Chapter 2: Exams")});

    const HelpTopic *start = nullptr;
    for (const HelpTopic &t : doc.topics)
        if (t.title == QStringLiteral("Chapter 1: Getting started"))
            start = &t;
    QVERIFY(start);
    bool found = false;
    for (const HelpParagraph &p : start->paragraphs) {
        if (!p.plainText().startsWith(QStringLiteral("To start")))
            continue;
        found = true;
        QCOMPARE(p.plainText(), QStringLiteral("To start, open the Café menu."));
        QCOMPARE(p.runs, (QList<HelpRun>{{QStringLiteral("To start, "), false, false},
                                         {QStringLiteral("open"), false, true},
                                         {QStringLiteral(" the "), false, false},
                                         {QStringLiteral("Café"), true, false},
                                         {QStringLiteral(" menu."), false, false}}));
    }
    QVERIFY(found);
    QCOMPARE(start->paragraphs.last().plainText(), QStringLiteral("A second paragraph about starting."));
}

void TestWinHelp::roundTrip_data()
{
    QTest::addColumn<WinHelpWriteOptions>("options");
    QTest::addColumn<QByteArray>("mustContain");
    auto row = [](const char *name, int minor, bool lz77, Phr phrases, const char *file) {
        WinHelpWriteOptions o;
        o.minor = minor;
        o.lz77 = lz77;
        o.phrases = phrases;
        QTest::newRow(name) << o << QByteArray(file);
    };
    row("4.0 plain", 33, false, Phr::None, "|TOPIC");
    row("4.0 LZ77", 33, true, Phr::None, "|TOPIC");
    row("4.0 LZ77 + old phrases", 33, true, Phr::Old, "|Phrases");
    row("4.0 plain + old phrases", 33, false, Phr::Old, "|Phrases");
    row("4.0 LZ77 + Hall phrases", 33, true, Phr::Hall, "|PhrIndex");
    row("4.0 plain + Hall phrases", 33, false, Phr::Hall, "|PhrImage");
    row("3.1 LZ77 + old phrases", 21, true, Phr::Old, "|Phrases");
}

void TestWinHelp::roundTrip()
{
    QFETCH(WinHelpWriteOptions, options);
    QFETCH(QByteArray, mustContain);
    HelpDocument source = helptest::russianDocument();
    if (options.minor == 21)
        source.codePage = 1252; // 3.1 files have no record to name a code page
    for (HelpTopic &t : source.topics)
        for (HelpParagraph &p : t.paragraphs)
            for (HelpRun &r : p.runs)
                if (source.codePage == 1252)
                    r.text = winhelp::decode(winhelp::encode(r.text, 1252), 1252);
    const QByteArray hlp = writeWinHelp(source, options);
    QVERIFY(hlp.contains(mustContain));
    // The text must span several topic blocks, so links cross block boundaries.
    const qsizetype topic = helptest::internalFile(hlp, "|TOPIC");
    QVERIFY(topic > 0);
    QVERIFY(helptest::le32(hlp, topic - 5) > 3 * 4096);

    const HelpDocument read = readWinHelp(hlp);
    QCOMPARE(read.codePage, source.codePage);
    QCOMPARE(read.title, winhelp::decode(winhelp::encode(source.title, source.codePage), source.codePage));
    QCOMPARE(read.topics.size(), source.topics.size());
    for (int i = 0; i < source.topics.size(); ++i) {
        QCOMPARE(read.topics[i].title,
                 winhelp::decode(winhelp::encode(source.topics[i].title, source.codePage), source.codePage));
        QCOMPARE(read.topics[i].paragraphs, source.topics[i].paragraphs);
    }
    if (source.codePage == 1251)
        QCOMPARE(read.keywords, helptest::sortedKeywords(source.keywords));
    else
        QCOMPARE(read.keywords.size(), source.keywords.size());
}

void TestWinHelp::codePage_data()
{
    QTest::addColumn<bool>("charset");
    QTest::addColumn<bool>("lcid");
    QTest::addColumn<int>("expected");
    QTest::newRow("CHARSET 204 and LCID 0x419") << true << true << 1251;
    QTest::newRow("CHARSET 204 only") << true << false << 1251;
    QTest::newRow("LCID 0x419 only") << false << true << 1251;
    QTest::newRow("nothing: cp1252") << false << false << 1252;
}

void TestWinHelp::codePage()
{
    QFETCH(bool, charset);
    QFETCH(bool, lcid);
    QFETCH(int, expected);
    HelpDocument doc;
    doc.title = QStringLiteral("Справка");
    doc.codePage = 1251;
    doc.topics = {HelpTopic{QStringLiteral("Вход"), {helptest::para({{QStringLiteral("Пароль"), false, false}})}}};
    doc.keywords = {HelpKeyword{QStringLiteral("пароль"), {0}}};
    WinHelpWriteOptions o;
    o.charsetRecord = charset;
    o.lcidRecord = lcid;
    const HelpDocument read = readWinHelp(writeWinHelp(doc, o));
    QCOMPARE(read.codePage, expected);
    if (expected == 1251) {
        QCOMPARE(read.title, doc.title);
        QCOMPARE(read.keywords.first().text, QStringLiteral("пароль"));
        QCOMPARE(read.topics.first().paragraphs.first().plainText(), QStringLiteral("Пароль"));
    } else {
        // Without a record the bytes are taken as Western European.
        QCOMPARE(read.title, QStringLiteral("Ñïðàâêà"));
    }
}

void TestWinHelp::codeTables()
{
    struct Point {
        int codePage;
        unsigned char byte;
        char16_t unicode;
    };
    for (const Point &p : {Point{1251, 0xA8, u'Ё'}, Point{1251, 0xB8, u'ё'}, Point{1251, 0xB9, u'№'},
                           Point{1251, 0xC0, u'А'}, Point{1251, 0xFF, u'я'}, Point{1251, 0x88, u'€'},
                           Point{1251, 0xAB, u'«'}, Point{1251, 0x96, u'–'}, Point{1252, 0x80, u'€'},
                           Point{1252, 0xE9, u'é'}, Point{1252, 0x9C, u'œ'}, Point{1252, 0x41, u'A'}}) {
        QCOMPARE(winhelp::decode(QByteArray(1, char(p.byte)), p.codePage), QString(QChar(p.unicode)));
    }
    for (int cp : {1251, 1252}) {
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            all.append(char(b));
        const QString text = winhelp::decode(all, cp);
        QCOMPARE(winhelp::encode(text, cp), all);
    }
    QCOMPARE(winhelp::encode(QStringLiteral("日"), 1251), QByteArray("?"));
}

void TestWinHelp::lz77()
{
    // Written by hand from the format: three literals, then a match of length 6
    // at distance 3 (flag bit 3 set; code = distance-1 | (length-3) << 12).
    QByteArray out;
    QVERIFY(winhelp::lz77Decompress("\x08" "ABC\x02\x30", 6, 1024, out));
    QCOMPARE(out, QByteArray("ABCABCABC"));
    QVERIFY(winhelp::lz77Decompress("\x08" "ABC\x02\x30", 6, 5, out));
    QCOMPARE(out, QByteArray("ABCAB"));
    QVERIFY(!winhelp::lz77Decompress("\x01\x05\x00", 3, 1024, out)); // reaches before the start

    QByteArray data;
    QRandomGenerator rng(7);
    for (int i = 0; i < 40000; ++i)
        data.append(i % 3 == 0 ? char(rng.bounded(256)) : "текст справки "[i % 14]);
    const QByteArray packed = winhelp::lz77Compress(data);
    QVERIFY(packed.size() < data.size());
    QVERIFY(winhelp::lz77Decompress(packed.constData(), packed.size(), data.size(), out));
    QCOMPARE(out, data);

    // A bounded block leaves at most one byte, so zero padding decodes to nothing.
    qsizetype used = 0;
    QByteArray block = winhelp::lz77Compress(data, 100, 16384, 4084, &used);
    QVERIFY(block.size() >= 4083 && block.size() <= 4084);
    block.append(QByteArray(4084 - block.size(), '\0'));
    QVERIFY(winhelp::lz77Decompress(block.constData(), block.size(), 16384, out));
    QCOMPARE(out, data.mid(100, used));
}

void TestWinHelp::courseManual()
{
    const QByteArray hlp = courseHelpFile();
    QVERIFY(hlp.startsWith(QByteArray("\x3F\x5F\x03\x00", 4)));
    const HelpDocument read = readWinHelp(hlp);
    QFile source(QStringLiteral(ETEXTBOOK_SOURCE_DIR "/help/manual.but"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    const HelpDocument expected = parseHelpSource(QString::fromUtf8(source.readAll()));
    QCOMPARE(read.title, expected.title);
    QCOMPARE(read.codePage, 1251);
    QCOMPARE(read.topics, expected.topics);
    QCOMPARE(read.keywords, helptest::sortedKeywords(expected.keywords));

    QStringList keywords;
    for (const HelpKeyword &k : read.keywords)
        keywords.append(k.text);
    for (const char *k : {"Теория", "Практика", "Видео", "Найти", "Все записи", "Сдать анкету",
                          "Просмотр результатов", "редактор вопросов", "окно пользователей", "пароль администратора"})
        QVERIFY2(keywords.contains(QString::fromUtf8(k)), k);
}

void TestWinHelp::compilerRecords_data()
{
    QTest::addColumn<QList<HelpParagraph>>("paragraphs");
    auto row = [](const char *name, QList<HelpParagraph> paragraphs) { QTest::newRow(name) << paragraphs; };

    // Each paragraph setting alone, values that fit one byte and values that need
    // two, and all of them together.
    const char *names[] = {"space above", "space below", "line spacing", "left indent", "right indent", "first line"};
    for (int field = 0; field < 6; ++field)
        for (int value : {12, -7, 300, -1000}) {
            HelpParagraph p = textParagraph(QStringLiteral("Отступы и интервалы"));
            int *fields[] = {&p.spaceAbove, &p.spaceBelow, &p.lineSpacing, &p.leftIndent, &p.rightIndent, &p.firstIndent};
            *fields[field] = value;
            QTest::addRow("%s %d", names[field], value) << QList<HelpParagraph>{p};
        }
    {
        HelpParagraph p = textParagraph(QStringLiteral("Всё сразу\tпосле табуляции"));
        p.spaceAbove = 6;
        p.spaceBelow = 12;
        p.lineSpacing = -240;
        p.leftIndent = 720;
        p.rightIndent = 36;
        p.firstIndent = -360;
        p.border = 0x01 | 0x20;
        p.tabs = {72, 144, 4000};
        p.align = HelpParagraph::Right;
        HelpParagraph centred = textParagraph(QStringLiteral("По центру"));
        centred.align = HelpParagraph::Center;
        row("all settings, right and centred", {p, centred});
    }

    HelpParagraph fonts;
    fonts.runs = {HelpRun(QStringLiteral("обычный ")), HelpRun(QStringLiteral("подчёркнутый"))};
    fonts.runs[1].underline = true;
    fonts.runs.append(HelpRun(QStringLiteral(" крупный"), true));
    fonts.runs.last().halfPoints = 36;
    fonts.runs.append(HelpRun(QStringLiteral(" мелкий курсив"), false, true));
    fonts.runs.last().halfPoints = 14;
    row("underline and sizes", {fonts});

    row("non-breaking space and hyphen",
        {textParagraph(QStringLiteral("10\u00A0кг, Ростов\u2011на\u2011Дону, строка\nперенос"))});

    HelpParagraph links;
    links.runs = {HelpRun(QStringLiteral("См. ")), linked(QStringLiteral("второй раздел"), HelpLink::Jump, 1),
                  HelpRun(QStringLiteral(" и ")), linked(QStringLiteral("термин"), HelpLink::Popup, 2),
                  HelpRun(QStringLiteral(", ")), linked(QStringLiteral("сайт"), HelpLink::Macro, -1)};
    links.runs.last().link.macro = QStringLiteral("ExecFile(\"http://example.org/\")");
    row("jump, popup and macro hotspots", {links});

    HelpParagraph external;
    external.runs = {linked(QStringLiteral("в другом файле"), HelpLink::Jump, -1),
                     HelpRun(QStringLiteral(" и ")),
                     linked(QStringLiteral("в его окне"), HelpLink::Popup, -1)};
    external.runs[0].link.file = QStringLiteral("other.hlp");
    external.runs[0].link.hash = 0x12345678;
    external.runs[2].link.file = QStringLiteral("другой.hlp");
    external.runs[2].link.window = QStringLiteral("main");
    external.runs[2].link.hash = 0xFEDCBA98;
    row("jumps into other files", {external});

    HelpParagraph unknown;
    unknown.runs = {linked(QStringLiteral("никуда"), HelpLink::Jump, -1)};
    unknown.runs[0].link.hash = 0x0BADF00D;
    row("jump to a context the file does not have", {unknown});

    // Two rows of a two-column table between ordinary paragraphs; a cell may
    // hold several paragraphs.
    QList<HelpParagraph> table{textParagraph(QStringLiteral("Перед таблицей"))};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c) {
            HelpParagraph cell = textParagraph(QStringLiteral("Ячейка %1.%2").arg(r).arg(c));
            cell.row = r;
            cell.column = c;
            cell.leftIndent = 10 * c;
            table.append(cell);
            if (c == 1) {
                cell.runs = {HelpRun(QStringLiteral("второй абзац ячейки"), true)};
                table.append(cell);
            }
        }
    table.append(textParagraph(QStringLiteral("После таблицы")));
    row("table rows", table);
}

void TestWinHelp::compilerRecords()
{
    QFETCH(QList<HelpParagraph>, paragraphs);
    HelpDocument doc;
    doc.title = QStringLiteral("Записи");
    doc.codePage = 1251;
    doc.topics = {HelpTopic{QStringLiteral("Первый"), paragraphs},
                  HelpTopic{QStringLiteral("Второй"), {textParagraph(QStringLiteral("цель перехода"))}},
                  HelpTopic{QStringLiteral("Третий"), {textParagraph(QStringLiteral("цель окна"))}}};
    doc.keywords = {{QStringLiteral("записи"), {0}}};
    for (const auto &[name, options] : allEncodings()) {
        WinHelpWriteOptions o = options;
        if (o.minor == 21)
            o.lcidRecord = o.charsetRecord = false;
        HelpDocument source = doc;
        if (o.minor == 21) { // a 3.1 file names no code page: Latin text only
            source.codePage = 1252;
            auto latin = [](QString &text) { text = winhelp::decode(winhelp::encode(text, 1252), 1252); };
            for (HelpTopic &t : source.topics)
                for (HelpParagraph &p : t.paragraphs)
                    for (HelpRun &r : p.runs) {
                        latin(r.text);
                        latin(r.link.file);
                        latin(r.link.window);
                    }
        }
        const HelpDocument read = readWinHelp(writeWinHelp(source, o));
        QVERIFY2(read.topics.size() == 3, name.constData());
        QList<HelpParagraph> got = read.topics[0].paragraphs;
        for (HelpParagraph &p : got)
            for (HelpRun &r : p.runs)
                if (r.link.topic >= 0)
                    r.link.hash = 0; // the writer's own hash for the target
        const QList<HelpParagraph> expected = source.topics[0].paragraphs;
        QVERIFY2(got == expected, name.constData());
        QCOMPARE(read.skipped, 0);
    }
}

void TestWinHelp::pictures_data()
{
    QTest::addColumn<int>("bitCount");
    QTest::addColumn<int>("packing");
    for (int bits : {1, 4, 8, 24})
        for (int packing : {0, 1, 2, 3})
            QTest::addRow("%d bits, packing %d", bits, packing) << bits << packing;
}

void TestWinHelp::pictures()
{
    QFETCH(int, bitCount);
    QFETCH(int, packing);
    // A picture with stripes (long runs) and a noisy band (short ones), an odd
    // width so rows carry padding.
    const int width = 37, height = 11;
    const int stride = ((width * bitCount + 31) / 32) * 4;
    QByteArray rows(stride * height, '\0');
    QRandomGenerator rng(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < (width * bitCount + 7) / 8; ++x)
            rows[y * stride + x] = char(y < 4 ? (y * 37) & 0xFF : rng.bounded(256));
    QList<quint32> palette;
    if (bitCount <= 8)
        for (int i = 0; i < (1 << bitCount); ++i)
            palette.append(quint32(i * 0x010203) & 0xFFFFFF);
    HelpPicture bitmap{3, false, width, height, winhelp::bmpFile(width, height, bitCount, palette, rows)};
    HelpPicture metafile{7, true, 2540, 1270, {}};

    HelpDocument doc;
    doc.codePage = 1251;
    HelpParagraph p;
    p.runs = {HelpRun(QStringLiteral("Рисунок: ")), HelpRun(), HelpRun(QStringLiteral(" и схема ")), HelpRun()};
    p.runs[1].picture = 0;
    p.runs[3].picture = 1;
    doc.pictures = {bitmap, metafile};
    doc.topics = {HelpTopic{QStringLiteral("Рисунки"), {p}}};
    WinHelpWriteOptions o;
    o.picturePacking = packing;
    const QByteArray hlp = writeWinHelp(doc, o);
    QVERIFY(hlp.contains("|bm3") && hlp.contains("|bm7"));

    const HelpDocument read = readWinHelp(hlp);
    QCOMPARE(read.pictures, doc.pictures);
    QCOMPARE(read.topics[0].paragraphs, QList<HelpParagraph>{p});
    QCOMPARE(read.skipped, 0);
    // The bitmap must be a .bmp another decoder accepts, with the pixels we drew.
    const QImage image = QImage::fromData(read.pictures[0].bmp, "BMP");
    QCOMPARE(image.size(), QSize(width, height));
    if (bitCount == 24) {
        const auto *row0 = reinterpret_cast<const unsigned char *>(rows.constData() + (height - 1) * stride);
        QCOMPARE(image.pixel(0, 0) & 0xFFFFFF, quint32(row0[2] << 16 | row0[1] << 8 | row0[0]));
    }
}

void TestWinHelp::unknownCommandKeepsTopic()
{
    // A command byte this reader does not know ends that record only: the text
    // before it and every other record stay.
    HelpDocument doc;
    HelpParagraph p;
    p.runs = {HelpRun(QStringLiteral("Before the hotspot ")), linked(QStringLiteral("macro"), HelpLink::Macro, -1),
              HelpRun(QStringLiteral(" after it"))};
    p.runs[1].link.macro = QStringLiteral("Unique()");
    doc.topics = {HelpTopic{QStringLiteral("One"), {p, textParagraph(QStringLiteral("Second paragraph"))}},
                  HelpTopic{QStringLiteral("Two"), {textParagraph(QStringLiteral("Other topic"))}}};
    doc.keywords = {{QStringLiteral("two"), {1}}};
    WinHelpWriteOptions o;
    o.lz77 = false;
    QByteArray hlp = writeWinHelp(doc, o);
    const qsizetype macro = hlp.indexOf(QByteArray("\xC8\x09\x00Unique()", 12));
    QVERIFY(macro > 0);
    hlp[macro] = char(0xC9);

    const HelpDocument read = readWinHelp(hlp);
    QCOMPARE(read.skipped, 1);
    QCOMPARE(read.topics.size(), 2);
    QCOMPARE(read.topics[0].paragraphs.size(), 2);
    QCOMPARE(read.topics[0].paragraphs[0].plainText(), QStringLiteral("Before the hotspot "));
    QCOMPARE(read.topics[0].paragraphs[1].plainText(), QStringLiteral("Second paragraph"));
    QCOMPARE(read.topics[1].paragraphs[0].plainText(), QStringLiteral("Other topic"));
    QCOMPARE(read.keywords.value(0).topics, QList<int>{1});
}

void TestWinHelp::unknownRecordKeepsFile()
{
    HelpDocument doc;
    doc.topics = {HelpTopic{QStringLiteral("One"), {textParagraph(QStringLiteral("first")), textParagraph(QStringLiteral("second"))}}};
    WinHelpWriteOptions o;
    o.lz77 = false;
    QByteArray hlp = writeWinHelp(doc, o);
    // |TOPIC: block header, the topic header's link, then the first text record.
    const qsizetype topic = helptest::internalFile(hlp, "|TOPIC");
    const qsizetype header = topic + 12;
    const qsizetype text = header + qsizetype(helptest::le32(hlp, header));
    QCOMPARE(int(static_cast<unsigned char>(hlp[text + 20])), 0x20);
    hlp[text + 20] = char(0x42);
    const HelpDocument read = readWinHelp(hlp);
    QCOMPARE(read.skipped, 1);
    QCOMPARE(read.topics.value(0).paragraphs.size(), 1);
    QCOMPARE(read.topics[0].paragraphs[0].plainText(), QStringLiteral("second"));
}

void TestWinHelp::contextNumbersAndTitles()
{
    HelpDocument doc;
    doc.topics = {HelpTopic{QStringLiteral("Alpha"), {textParagraph(QStringLiteral("a"))}},
                  HelpTopic{QString(), {textParagraph(QStringLiteral("b"))}},
                  HelpTopic{QStringLiteral("Gamma"), {textParagraph(QStringLiteral("c"))}}};
    doc.contextNumbers = {{1000, 2}, {1001, 0}, {-5, 1}};
    doc.contents = 1;
    HelpDocument read = readWinHelp(writeWinHelp(doc));
    QCOMPARE(read.contextNumbers, doc.contextNumbers);
    QCOMPARE(read.contents, 1);
    QCOMPARE(read.topics[0].title, QStringLiteral("Alpha"));
    QCOMPARE(read.topics[1].title, QString());

    // A topic header without a title takes the one |TTLBTREE holds for it.
    WinHelpWriteOptions o;
    o.lz77 = false;
    QByteArray hlp = writeWinHelp(doc, o);
    const qsizetype topic = helptest::internalFile(hlp, "|TOPIC");
    const qsizetype ttl = helptest::internalFile(hlp, "|TTLBTREE");
    const qsizetype alpha = hlp.indexOf("Alpha", topic);
    QVERIFY(topic > 0 && alpha > topic && alpha < ttl);
    hlp[alpha] = '\0';
    read = readWinHelp(hlp);
    QCOMPARE(read.topics[0].title, QStringLiteral("Alpha"));
}

void TestWinHelp::damaged_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("kind");
    WinHelpWriteOptions o;
    o.phrases = Phr::Hall;
    const QByteArray good = writeWinHelp(helptest::russianDocument(30), o);
    const int damaged = WinHelpError::Damaged, notHelp = WinHelpError::NotWinHelp;

    for (qsizetype size : {qsizetype(0), qsizetype(8), qsizetype(15), qsizetype(16), good.size() / 3,
                           good.size() / 2, good.size() - 1})
        QTest::addRow("truncated to %lld", qlonglong(size)) << good.left(size) << (size < 16 ? notHelp : damaged);

    auto patch = [&](const char *name, qsizetype at, QByteArray bytes, int kind) {
        QByteArray f = good;
        QVERIFY(at >= 0 && at + bytes.size() <= f.size());
        f.replace(at, bytes.size(), bytes);
        QTest::newRow(name) << f << kind;
    };
    auto le = [](quint32 v) { QByteArray b(4, '\0'); helptest::setLe32(b, 0, v); return b; };
    const qsizetype dir = helptest::le32(good, 4);
    const qsizetype system = helptest::internalFile(good, "|SYSTEM");
    const qsizetype topic = helptest::internalFile(good, "|TOPIC");
    const qsizetype phrIndex = helptest::internalFile(good, "|PhrIndex");
    const qsizetype kwtree = helptest::internalFile(good, "|KWBTREE");
    QVERIFY(system > 0 && topic > 0 && phrIndex > 0 && kwtree > 0);

    patch("not a help file", 0, "MZ\x90\x00", notHelp);
    patch("text file", 0, "Hello, world", notHelp);
    patch("directory beyond the end", 4, le(quint32(good.size() + 10)), damaged);
    patch("directory offset negative", 4, le(0xFFFFFFF0u), damaged);
    patch("directory size too large", dir + 4, le(0x7FFFFFFF), damaged);
    patch("directory B+ tree magic", dir + 9, "XX", damaged);
    patch("directory root page out of range", dir + 9 + 26, "\x50\x00", damaged);
    patch("directory levels absurd", dir + 9 + 32, "\x40\x00", damaged);
    patch("|SYSTEM magic", system, QByteArray(2, char(0)), damaged);
    patch("|SYSTEM record longer than file", system + 12 + 2, "\xFF\x7F", damaged);
    patch("|TOPIC block header only", topic - 5, le(0), damaged);
    patch("first link size absurd", topic + 12 + 2, "\xFF\x7F", damaged);
    patch("phrase count absurd", phrIndex + 4, le(0x7FFFFFFF), damaged);
    patch("phrase image size absurd", phrIndex + 12, le(0x7FFFFFFF), damaged);
    patch("keyword B+ tree magic", kwtree, QByteArray(2, char(0)), damaged);
    patch("keyword B+ tree page count", kwtree + 30, "\xFF\x7F", damaged);

    // A link whose next pointer goes back to itself would loop for ever.
    {
        HelpDocument doc = helptest::russianDocument(2);
        WinHelpWriteOptions plain;
        plain.lz77 = false;
        QByteArray f = writeWinHelp(doc, plain);
        const qsizetype t = helptest::internalFile(f, "|TOPIC");
        helptest::setLe32(f, t + 12 + 12, 12);
        QTest::newRow("link loops to itself") << f << damaged;
        f = writeWinHelp(doc, plain);
        helptest::setLe32(f, t + 12 + 12, 0x7FFFFFF0);
        QTest::newRow("next link beyond |TOPIC") << f << damaged;
    }
}

void TestWinHelp::damaged()
{
    QFETCH(QByteArray, file);
    QFETCH(int, kind);
    try {
        readWinHelp(file);
        QFAIL("a damaged file was read without an error");
    } catch (const WinHelpError &e) {
        QCOMPARE(int(e.kind()), kind);
        QVERIFY(!e.reason().isEmpty());
    }
}

void TestWinHelp::randomCorruption()
{
    // Damage anywhere must end in an error or a document, never a crash or hang
    // (the fuzz target runs the same under the sanitizers for longer).
    WinHelpWriteOptions o;
    o.phrases = Phr::Old;
    const QByteArray good = writeWinHelp(helptest::russianDocument(12), o);
    QRandomGenerator rng(2024);
    int errors = 0;
    for (int round = 0; round < 1500; ++round) {
        QByteArray f = good;
        for (int k = 0, n = 1 + int(rng.bounded(4)); k < n; ++k)
            f[rng.bounded(int(f.size()))] = char(rng.bounded(256));
        try {
            readWinHelp(f);
        } catch (const WinHelpError &) {
            ++errors;
        }
    }
    QVERIFY(errors > 0);
}

QTEST_GUILESS_MAIN(TestWinHelp)
#include "tst_winhelp.moc"
