// Build and run by hand from the repo root (not part of the CMake build):
//   g++ -std=c++20 -fPIC -O1 tools/artwork/make_artwork.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/make_artwork
//   QT_QPA_PLATFORM=offscreen /tmp/make_artwork . /tmp/frames && tools/artwork/make_videos.sh /tmp/frames
// Writes resources/art/*, the menu icon resources/icons/*, demo-content/pdf-src/*.png
// and the video frames.
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QFile>
#include <cstdio>
#include <functional>

namespace {

const QColor kInk(0x2b, 0x3a, 0x55);

QFont font(int pixelSize, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

bool save(const QImage &img, const QString &path, int quality = -1)
{
    if (!img.save(path, nullptr, quality)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// An open book seen from the front, centred at c, w wide.
void drawOpenBook(QPainter &p, QPointF c, qreal w, QColor cover, QColor page)
{
    const qreal h = w * 0.42;
    p.save();
    p.translate(c);
    p.setPen(Qt::NoPen);
    p.setBrush(cover);
    QPainterPath coverPath;
    coverPath.moveTo(-w / 2 - w * 0.03, -h / 2 + h * 0.12);
    coverPath.quadTo(-w / 4, -h / 2 - h * 0.02, 0, -h / 2 + h * 0.16);
    coverPath.quadTo(w / 4, -h / 2 - h * 0.02, w / 2 + w * 0.03, -h / 2 + h * 0.12);
    coverPath.lineTo(w / 2 + w * 0.03, h / 2 + h * 0.08);
    coverPath.quadTo(w / 4, h / 2 - h * 0.06, 0, h / 2 + h * 0.14);
    coverPath.quadTo(-w / 4, h / 2 - h * 0.06, -w / 2 - w * 0.03, h / 2 + h * 0.08);
    coverPath.closeSubpath();
    p.drawPath(coverPath);

    for (int side : {-1, 1}) {
        QPainterPath pg;
        pg.moveTo(0, -h / 2 + h * 0.1);
        pg.quadTo(side * w / 4, -h / 2 - h * 0.08, side * w / 2, -h / 2 + h * 0.04);
        pg.lineTo(side * w / 2, h / 2);
        pg.quadTo(side * w / 4, h / 2 - h * 0.12, 0, h / 2 + h * 0.06);
        pg.closeSubpath();
        QLinearGradient g(0, 0, side * w / 2, 0);
        g.setColorAt(0, page.darker(112));
        g.setColorAt(0.15, page);
        g.setColorAt(1, page.lighter(104));
        p.setBrush(g);
        p.drawPath(pg);
        // text lines
        p.setPen(QPen(QColor(0, 0, 0, 40), qMax<qreal>(1.0, w / 300)));
        for (int i = 0; i < 7; ++i) {
            const qreal y = -h / 2 + h * 0.16 + i * h * 0.1;
            const qreal x0 = side * w * 0.06, x1 = side * (i == 6 ? w * 0.28 : w * 0.44);
            p.drawLine(QPointF(x0, y + h * 0.02), QPointF(x1, y));
        }
        p.setPen(Qt::NoPen);
    }
    p.restore();
}

QImage background()
{
    QImage img(1024, 768, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 1024, 768);
    g.setColorAt(0, QColor(0xe8, 0xf1, 0xf8));
    g.setColorAt(0.55, QColor(0xd4, 0xe6, 0xf1));
    g.setColorAt(1, QColor(0xbf, 0xd8, 0xe6));
    p.fillRect(img.rect(), g);

    // squared exercise-book paper
    p.setPen(QPen(QColor(80, 130, 170, 28), 1));
    for (int x = 0; x < 1024; x += 32)
        p.drawLine(x, 0, x, 768);
    for (int y = 0; y < 768; y += 32)
        p.drawLine(0, y, 1024, y);
    p.setPen(QPen(QColor(200, 80, 80, 45), 2));
    p.drawLine(96, 0, 96, 768);

    // soft light spots
    for (auto [cx, cy, r] : {std::tuple{820, 150, 260}, std::tuple{180, 620, 220}}) {
        QRadialGradient rg(cx, cy, r);
        rg.setColorAt(0, QColor(255, 255, 255, 110));
        rg.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(rg);
        p.drawEllipse(QPointF(cx, cy), r, r);
    }

    // faint binary digits and formulas, as if written in pencil
    QRandomGenerator rng(2024);
    p.setFont(font(18));
    const QStringList words = {QStringLiteral("1011"), QStringLiteral("0110"), QStringLiteral("A ∧ B"),
                               QStringLiteral("1 байт = 8 бит"), QStringLiteral("2¹⁰ = 1024"),
                               QStringLiteral("¬A ∨ B"), QStringLiteral("FF₁₆ = 255"), QStringLiteral("x := x + 1")};
    // on a loose grid, so no two overlap, and clear of the book
    for (int row = 0; row < 6; ++row) {
        for (int col = 0; col < 4; ++col) {
            const int x = 140 + col * 210 + int(rng.bounded(60));
            const int y = 60 + row * 95 + int(rng.bounded(30));
            if (y > 420 && x > 480)
                continue;
            p.setPen(QColor(43, 58, 85, 26 + int(rng.bounded(20))));
            p.save();
            p.translate(x, y);
            p.rotate(-8 + int(rng.bounded(16)));
            p.drawText(0, 0, words[(row * 3 + col * 5) % words.size()]);
            p.restore();
        }
    }

    // a book and a pencil lying on the desk edge
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 70, 100, 40));
    p.drawEllipse(QPointF(780, 690), 230, 30);
    drawOpenBook(p, QPointF(780, 620), 400, QColor(0x3d, 0x6e, 0x9e), QColor(0xfb, 0xfa, 0xf4));
    p.save();
    p.translate(330, 712);
    p.rotate(-10);
    p.setBrush(QColor(0xf2, 0xb6, 0x3c));
    p.drawRect(QRectF(0, -7, 190, 14));
    p.setBrush(QColor(0xf1, 0xd9, 0xb0));
    p.drawPolygon(QPolygonF({QPointF(190, -7), QPointF(220, 0), QPointF(190, 7)}));
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF({QPointF(212, -2), QPointF(220, 0), QPointF(212, 2)}));
    p.setBrush(QColor(0xe0, 0x7a, 0x8a));
    p.drawRect(QRectF(-16, -7, 16, 14));
    p.restore();
    return img;
}

QImage about()
{
    QImage img(984, 596, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient g(0, 0, 0, 596);
    g.setColorAt(0, QColor(0x23, 0x4e, 0x7a));
    g.setColorAt(1, QColor(0x3f, 0x86, 0xb0));
    p.fillRect(img.rect(), g);

    p.setPen(QPen(QColor(255, 255, 255, 18), 1));
    for (int x = 0; x < 984; x += 28)
        p.drawLine(x, 0, x, 520);
    for (int y = 0; y < 520; y += 28)
        p.drawLine(0, y, 984, y);

    drawOpenBook(p, QPointF(250, 270), 360, QColor(0x17, 0x33, 0x52), QColor(0xfb, 0xfa, 0xf4));

    p.setPen(Qt::white);
    p.setFont(font(50, true));
    p.drawText(QRectF(450, 150, 520, 70), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Электронный"));
    p.drawText(QRectF(450, 215, 520, 70), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("учебник"));
    p.setPen(QColor(0xd8, 0xea, 0xf6));
    p.setFont(font(26));
    p.drawText(QRectF(452, 300, 520, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Лекции · Лабораторные · Видео · Тест"));
    p.setPen(QPen(QColor(0xf2, 0xb6, 0x3c), 4));
    p.drawLine(452, 360, 700, 360);

    // calm band at the bottom, left empty for the credits line
    p.fillRect(QRect(0, 526, 984, 70), QColor(0xf4, 0xf8, 0xfb));
    p.fillRect(QRect(0, 522, 984, 4), QColor(0xf2, 0xb6, 0x3c));
    return img;
}

// Icons: 59 × 59, transparent, drawn on a 59-unit grid.
using IconFn = std::function<void(QPainter &)>;

QImage icon(const IconFn &draw)
{
    QImage img(59, 59, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return img;
}

void iconTheory(QPainter &p)
{
    p.setPen(QPen(QColor(0x1f, 0x4e, 0x79), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0x4a, 0x90, 0xd9));
    QPainterPath cover;
    cover.addRoundedRect(QRectF(12, 7, 36, 45), 3, 3);
    p.drawPath(cover);
    p.setBrush(QColor(0xfb, 0xfa, 0xf4));
    p.drawRect(QRectF(12, 44, 34, 8));
    p.setPen(QPen(QColor(0x1f, 0x4e, 0x79), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18, 8), QPointF(18, 44));
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 18), QPointF(41, 18));
    p.drawLine(QPointF(24, 25), QPointF(37, 25));
}

void iconPractice(QPainter &p)
{
    QPainterPath flask;
    flask.moveTo(23, 7);
    flask.lineTo(36, 7);
    flask.moveTo(25, 7);
    flask.lineTo(25, 23);
    flask.lineTo(11, 47);
    flask.quadTo(9, 53, 15, 53);
    flask.lineTo(44, 53);
    flask.quadTo(50, 53, 48, 47);
    flask.lineTo(34, 23);
    flask.lineTo(34, 7);
    QPainterPath liquid;
    liquid.moveTo(17, 37);
    liquid.lineTo(42, 37);
    liquid.lineTo(48, 47);
    liquid.quadTo(50, 53, 44, 53);
    liquid.lineTo(15, 53);
    liquid.quadTo(9, 53, 11, 47);
    liquid.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3c, 0xb3, 0x71));
    p.drawPath(liquid);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x1e, 0x6b, 0x45), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(flask);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(24, 45), 2.5, 2.5);
    p.drawEllipse(QPointF(33, 41), 1.8, 1.8);
    p.drawEllipse(QPointF(36, 48), 2.0, 2.0);
}

void iconVideo(QPainter &p)
{
    p.setPen(QPen(QColor(0x7a, 0x23, 0x23), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0x33, 0x33, 0x3d));
    p.drawRoundedRect(QRectF(5, 11, 49, 37), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xee, 0xee, 0xee));
    for (int i = 0; i < 6; ++i) {
        p.drawRect(QRectF(9 + i * 7.6, 14, 4, 4));
        p.drawRect(QRectF(9 + i * 7.6, 41, 4, 4));
    }
    p.setBrush(QColor(0xe0, 0x4b, 0x3c));
    p.drawPolygon(QPolygonF({QPointF(23, 21), QPointF(38, 29.5), QPointF(23, 38)}));
}

void iconTest(QPainter &p)
{
    p.setPen(QPen(QColor(0x6b, 0x4f, 0x1d), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xfd, 0xf6, 0xe3));
    p.drawRoundedRect(QRectF(10, 6, 39, 48), 3, 3);
    p.setBrush(QColor(0xc9, 0x8b, 0x2b));
    p.drawRoundedRect(QRectF(22, 3, 15, 7), 2, 2);
    for (int i = 0; i < 3; ++i) {
        const qreal y = 19 + i * 12;
        p.setPen(QPen(QColor(0x2e, 0x9e, 0x4f), 2.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(15, y), QPointF(18.5, y + 3.5), QPointF(24, y - 3)}));
        p.setPen(QPen(QColor(0x6b, 0x4f, 0x1d), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(28, y), QPointF(43, y));
    }
}

void iconUsers(QPainter &p)
{
    auto person = [&p](QPointF head, qreal s, QColor c) {
        p.setPen(QPen(c.darker(150), 2));
        p.setBrush(c);
        p.drawEllipse(head, 7 * s, 7 * s);
        QPainterPath body;
        body.moveTo(head.x() - 13 * s, head.y() + 25 * s);
        body.quadTo(head.x() - 13 * s, head.y() + 9 * s, head.x(), head.y() + 9 * s);
        body.quadTo(head.x() + 13 * s, head.y() + 9 * s, head.x() + 13 * s, head.y() + 25 * s);
        body.closeSubpath();
        p.drawPath(body);
    };
    person(QPointF(38, 17), 0.9, QColor(0x9b, 0xb7, 0xd4));
    person(QPointF(23, 22), 1.1, QColor(0x3f, 0x7c, 0xc2));
}

void iconHelp(QPainter &p)
{
    p.setPen(QPen(QColor(0x5a, 0x2d, 0x91), 2.2));
    p.setBrush(QColor(0x8e, 0x5b, 0xd1));
    p.drawEllipse(QPointF(29.5, 29.5), 25, 25);
    p.setPen(Qt::white);
    p.setFont(font(36, true));
    p.drawText(QRectF(4, 4, 51, 52), Qt::AlignCenter, QStringLiteral("?"));
}

void iconAbout(QPainter &p)
{
    p.setPen(QPen(QColor(0x1c, 0x6e, 0x8c), 2.2));
    p.setBrush(QColor(0x2f, 0xa4, 0xcf));
    p.drawEllipse(QPointF(29.5, 29.5), 25, 25);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(29.5, 17), 4, 4);
    p.drawRoundedRect(QRectF(25.5, 25, 8, 21), 2, 2);
}

// Video 1: a four-bit counter, 0 to 15, each number shown for two frames.
QImage binaryFrame(int frame)
{
    const int n = qMin(frame / 2, 15);
    QImage img(320, 240, QImage::Format_RGB32);
    img.fill(QColor(0xf4, 0xf8, 0xfb));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(kInk);
    p.setFont(font(20, true));
    p.drawText(QRect(0, 8, 320, 30), Qt::AlignCenter, QStringLiteral("Двоичный счёт"));
    for (int bit = 0; bit < 4; ++bit) {
        const bool on = (n >> (3 - bit)) & 1;
        const QPointF c(70 + bit * 60, 100);
        p.setPen(QPen(kInk, 2));
        p.setBrush(on ? QColor(0xf2, 0xb6, 0x3c) : QColor(0xcc, 0xd5, 0xde));
        p.drawEllipse(c, 22, 22);
        p.setFont(font(24, true));
        p.setPen(kInk);
        p.drawText(QRectF(c.x() - 22, c.y() + 28, 44, 30), Qt::AlignCenter, on ? QStringLiteral("1") : QStringLiteral("0"));
        p.setFont(font(12));
        p.drawText(QRectF(c.x() - 22, c.y() - 50, 44, 20), Qt::AlignCenter, QString::number(1 << (3 - bit)));
    }
    p.setFont(font(26, true));
    p.drawText(QRect(0, 185, 320, 40), Qt::AlignCenter,
               QStringLiteral("%1").arg(n, 4, 2, QLatin1Char('0')) + QStringLiteral("₂ = ") + QString::number(n)
                   + QStringLiteral("₁₀"));
    return img;
}

void drawAndGate(QPainter &p, QPointF o, qreal s)
{
    QPainterPath body;
    body.moveTo(o.x(), o.y());
    body.lineTo(o.x() + 40 * s, o.y());
    body.arcTo(QRectF(o.x() + 10 * s, o.y(), 60 * s, 60 * s), 90, -180);
    body.lineTo(o.x(), o.y() + 60 * s);
    body.closeSubpath();
    p.drawPath(body);
}

// Video 2: the AND gate going through its truth table.
QImage andFrame(int frame)
{
    const int row = qMin(frame / 8, 3);
    const bool a = row & 2, b = row & 1, y = a && b;
    QImage img(320, 240, QImage::Format_RGB32);
    img.fill(QColor(0xfb, 0xfa, 0xf4));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(kInk);
    p.setFont(font(20, true));
    p.drawText(QRect(0, 8, 320, 30), Qt::AlignCenter, QStringLiteral("Элемент «И»"));
    const QColor onC(0xe0, 0x4b, 0x3c), offC(0x8a, 0x99, 0xa8);
    p.setPen(QPen(a ? onC : offC, 4));
    p.drawLine(40, 95, 120, 95);
    p.setPen(QPen(b ? onC : offC, 4));
    p.drawLine(40, 145, 120, 145);
    p.setPen(QPen(y ? onC : offC, 4));
    p.drawLine(190, 120, 250, 120);
    p.setPen(QPen(kInk, 3));
    p.setBrush(QColor(0xd4, 0xe6, 0xf1));
    drawAndGate(p, QPointF(120, 80), 1.0);
    p.setPen(kInk);
    p.setFont(font(22, true));
    p.drawText(QRectF(130, 100, 50, 40), Qt::AlignCenter, QStringLiteral("&"));
    p.setFont(font(20, true));
    p.drawText(QRectF(8, 80, 30, 30), Qt::AlignCenter, a ? QStringLiteral("1") : QStringLiteral("0"));
    p.drawText(QRectF(8, 130, 30, 30), Qt::AlignCenter, b ? QStringLiteral("1") : QStringLiteral("0"));
    p.setPen(QPen(kInk, 2));
    p.setBrush(y ? QColor(0xf2, 0xb6, 0x3c) : QColor(0xcc, 0xd5, 0xde));
    p.drawEllipse(QPointF(272, 120), 18, 18);
    p.setPen(kInk);
    p.setFont(font(22, true));
    p.drawText(QRect(0, 190, 320, 36), Qt::AlignCenter,
               QStringLiteral("%1 ∧ %2 = %3").arg(int(a)).arg(int(b)).arg(int(y)));
    return img;
}

// Picture for the PDF lab: the circuit Y = (A ∧ B) ∨ ¬C.
QImage circuitPicture()
{
    QImage img(600, 260, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 3));
    p.setBrush(QColor(0xd4, 0xe6, 0xf1));
    p.setFont(font(22, true));
    // inputs
    p.drawText(QRectF(10, 40, 40, 30), Qt::AlignCenter, QStringLiteral("A"));
    p.drawText(QRectF(10, 100, 40, 30), Qt::AlignCenter, QStringLiteral("B"));
    p.drawText(QRectF(10, 180, 40, 30), Qt::AlignCenter, QStringLiteral("C"));
    p.drawLine(50, 55, 160, 55);
    p.drawLine(50, 115, 160, 115);
    p.drawLine(50, 195, 160, 195);
    // AND
    p.drawRect(160, 35, 90, 100);
    p.drawText(QRectF(160, 35, 90, 100), Qt::AlignCenter, QStringLiteral("&"));
    // NOT
    p.drawRect(160, 165, 90, 60);
    p.drawText(QRectF(160, 165, 90, 60), Qt::AlignCenter, QStringLiteral("1"));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(257, 195), 7, 7);
    // wires to OR
    p.drawLine(250, 85, 330, 85);
    p.drawLine(330, 85, 330, 115);
    p.drawLine(330, 115, 380, 115);
    p.drawLine(264, 195, 330, 195);
    p.drawLine(330, 195, 330, 165);
    p.drawLine(330, 165, 380, 165);
    p.setBrush(QColor(0xd4, 0xe6, 0xf1));
    p.drawRect(380, 90, 100, 100);
    p.drawText(QRectF(380, 90, 100, 100), Qt::AlignCenter, QStringLiteral("1"));
    p.setFont(font(14));
    p.drawText(QRectF(380, 66, 100, 22), Qt::AlignCenter, QStringLiteral("ИЛИ"));
    p.drawText(QRectF(160, 12, 90, 22), Qt::AlignCenter, QStringLiteral("И"));
    p.drawText(QRectF(160, 141, 90, 22), Qt::AlignCenter, QStringLiteral("НЕ"));
    p.setFont(font(22, true));
    p.drawLine(480, 140, 550, 140);
    p.drawText(QRectF(550, 125, 40, 30), Qt::AlignCenter, QStringLiteral("Y"));
    return img;
}

// The program's menu icon: an open book with a bookmark on a blue tile, in flat
// colours so that the same shapes give the PNG sizes and the scalable SVG.
struct Shape {
    QPainterPath path;
    QColor fill;             // invalid: not filled
    QColor stroke;           // invalid: not stroked
    qreal strokeWidth = 0;
};

QList<Shape> appIconShapes() // on a 256 × 256 canvas
{
    QList<Shape> shapes;
    QPainterPath tile;
    tile.addRoundedRect(QRectF(16, 16, 224, 224), 44, 44);
    shapes.append({tile, QColor(0x2f, 0x5f, 0x8f), {}, 0});

    QPainterPath cover;
    cover.moveTo(22, 90);
    cover.quadTo(75, 68, 128, 94);
    cover.quadTo(181, 68, 234, 90);
    cover.lineTo(234, 196);
    cover.quadTo(181, 178, 128, 206);
    cover.quadTo(75, 178, 22, 196);
    cover.closeSubpath();
    shapes.append({cover, QColor(0xe8, 0xa3, 0x3d), {}, 0});

    for (int side : {-1, 1}) {
        QPainterPath page;
        page.moveTo(128, 92);
        page.quadTo(128 + side * 48, 62, 128 + side * 96, 80);
        page.lineTo(128 + side * 96, 184);
        page.quadTo(128 + side * 48, 166, 128, 194);
        page.closeSubpath();
        shapes.append({page, QColor(0xfb, 0xfa, 0xf4), {}, 0});
        for (int i = 0; i < 5; ++i) {
            const qreal dy = 20 + i * 17;
            QPainterPath line;
            line.moveTo(128 + side * 14, 96 + dy);
            line.quadTo(128 + side * 48, 70 + dy, 128 + side * (i == 4 ? 56 : 82), 84 + dy - (i == 4 ? 6 : 0));
            shapes.append({line, {}, QColor(0x9f, 0xb3, 0xc8), 6});
        }
    }

    QPainterPath ribbon;
    ribbon.moveTo(121, 196);
    ribbon.lineTo(135, 196);
    ribbon.lineTo(135, 234);
    ribbon.lineTo(128, 226);
    ribbon.lineTo(121, 234);
    ribbon.closeSubpath();
    shapes.append({ribbon, QColor(0xc8, 0x42, 0x3b), {}, 0});
    return shapes;
}

QImage appIcon(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    for (const Shape &s : appIconShapes()) {
        // The text lines only blur the smallest sizes.
        if (s.stroke.isValid() && size < 32)
            continue;
        p.setBrush(s.fill.isValid() ? QBrush(s.fill) : QBrush(Qt::NoBrush));
        p.setPen(s.stroke.isValid() ? QPen(s.stroke, s.strokeWidth, Qt::SolidLine, Qt::RoundCap) : QPen(Qt::NoPen));
        p.drawPath(s.path);
    }
    return img;
}

QString svgPath(const QPainterPath &path)
{
    QStringList d;
    const auto n = [](qreal v) { return QString::number(v, 'g', 6); };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            d << QStringLiteral("M%1 %2").arg(n(e.x), n(e.y));
        } else if (e.isLineTo()) {
            d << QStringLiteral("L%1 %2").arg(n(e.x), n(e.y));
        } else if (e.isCurveTo()) {
            const QPainterPath::Element c2 = path.elementAt(i + 1), to = path.elementAt(i + 2);
            d << QStringLiteral("C%1 %2 %3 %4 %5 %6").arg(n(e.x), n(e.y), n(c2.x), n(c2.y), n(to.x), n(to.y));
            i += 2;
        }
    }
    return d.join(QLatin1Char(' ')) + QStringLiteral(" Z");
}

bool saveAppIconSvg(const QString &path)
{
    QString svg = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n");
    for (const Shape &s : appIconShapes()) {
        QString d = svgPath(s.path);
        if (s.stroke.isValid()) // open strokes must not be closed
            d.chop(2);
        svg += QStringLiteral("  <path d=\"%1\" fill=\"%2\"").arg(d, s.fill.isValid() ? s.fill.name() : QStringLiteral("none"));
        if (s.stroke.isValid())
            svg += QStringLiteral(" stroke=\"%1\" stroke-width=\"%2\" stroke-linecap=\"round\"").arg(s.stroke.name()).arg(s.strokeWidth);
        svg += QStringLiteral("/>\n");
    }
    svg += QStringLiteral("</svg>\n");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(svg.toUtf8()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_artwork REPO_ROOT FRAMES_DIR\n");
        return 1;
    }
    const QDir repo(QString::fromLocal8Bit(argv[1]));
    const QDir frames(QString::fromLocal8Bit(argv[2]));
    bool ok = repo.mkpath(QStringLiteral("resources/art")) && repo.mkpath(QStringLiteral("demo-content/pdf-src"))
              && frames.mkpath(QStringLiteral("binary")) && frames.mkpath(QStringLiteral("and"));
    const QString art = repo.filePath(QStringLiteral("resources/art/"));
    ok = ok && save(background(), art + QStringLiteral("background.jpg"), 85);
    ok = ok && save(about(), art + QStringLiteral("about.jpg"), 88);
    const std::pair<const char *, IconFn> icons[] = {
        {"theory", iconTheory}, {"practice", iconPractice}, {"video", iconVideo}, {"test", iconTest},
        {"users", iconUsers},   {"help", iconHelp},         {"about", iconAbout},
    };
    for (const auto &[name, fn] : icons)
        ok = ok && save(icon(fn), art + QLatin1String(name) + QStringLiteral(".png"));
    ok = ok && repo.mkpath(QStringLiteral("resources/icons"));
    const QString iconDir = repo.filePath(QStringLiteral("resources/icons/"));
    ok = ok && saveAppIconSvg(iconDir + QStringLiteral("etextbook.svg"));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        ok = ok && save(appIcon(size), iconDir + QStringLiteral("etextbook-%1.png").arg(size));
    ok = ok && save(circuitPicture(), repo.filePath(QStringLiteral("demo-content/pdf-src/circuit.png")));
    for (int i = 0; i < 32; ++i) {
        const QString name = QStringLiteral("%1.png").arg(i, 3, 10, QLatin1Char('0'));
        ok = ok && save(binaryFrame(i), frames.filePath(QStringLiteral("binary/") + name));
        ok = ok && save(andFrame(i), frames.filePath(QStringLiteral("and/") + name));
    }
    return ok ? 0 : 1;
}
