#include "HelpTopicView.h"

#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

namespace help {

QUrl topicLink(const HelpLink &link)
{
    switch (link.kind) {
    case HelpLink::Jump:
    case HelpLink::Popup:
        if (!link.file.isEmpty())
            return QUrl(QStringLiteral("file:") + QString::fromLatin1(QUrl::toPercentEncoding(link.file)));
        if (link.topic >= 0)
            return QUrl(QStringLiteral("%1:%2").arg(link.kind == HelpLink::Jump ? QStringLiteral("topic") : QStringLiteral("popup")).arg(link.topic));
        return {};
    case HelpLink::Macro:
    case HelpLink::None:
        return {};
    }
    return {};
}

namespace {

// A metafile is not drawn here: a frame of its size with a caption stands in.
QImage placeholder(const HelpPicture &picture)
{
    // Help compilers keep a metafile's size in hundredths of a millimetre.
    const int w = qBound(48, int(picture.width * 96 / 2540), 640);
    const int h = qBound(32, int(picture.height * 96 / 2540), 480);
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::darkGray);
    p.drawRect(0, 0, w - 1, h - 1);
    p.drawText(image.rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap,
               QStringLiteral("Рисунок (метафайл) %1 × %2").arg(picture.width).arg(picture.height));
    return image;
}

QTextBlockFormat blockFormat(const HelpParagraph &p)
{
    QTextBlockFormat f;
    f.setTopMargin(halfPointsToPixels(p.spaceAbove));
    f.setBottomMargin(halfPointsToPixels(p.spaceBelow));
    f.setLeftMargin(halfPointsToPixels(qMax(0, p.leftIndent)));
    f.setRightMargin(halfPointsToPixels(qMax(0, p.rightIndent)));
    f.setTextIndent(halfPointsToPixels(p.firstIndent));
    f.setAlignment(p.align == HelpParagraph::Center ? Qt::AlignHCenter
                   : p.align == HelpParagraph::Right ? Qt::AlignRight
                                                     : Qt::AlignLeft);
    QList<QTextOption::Tab> tabs;
    for (int t : p.tabs)
        tabs.append(QTextOption::Tab(halfPointsToPixels(t), QTextOption::LeftTab));
    f.setTabPositions(tabs);
    // Negative line spacing is exact, positive at least; both in half points.
    if (p.lineSpacing != 0)
        f.setLineHeight(halfPointsToPixels(qAbs(p.lineSpacing)),
                        p.lineSpacing < 0 ? QTextBlockFormat::FixedHeight : QTextBlockFormat::MinimumHeight);
    return f;
}

class Renderer {
public:
    Renderer(QTextDocument *document, const HelpDocument &doc) : document_(document), doc_(doc) {}

    void runs(QTextCursor &cursor, const HelpParagraph &p)
    {
        for (const HelpRun &run : p.runs) {
            QTextCharFormat format;
            format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
            format.setFontItalic(run.italic);
            format.setFontUnderline(run.underline);
            if (run.halfPoints > 0)
                format.setFontPointSize(run.halfPoints / 2.0);
            const QUrl link = topicLink(run.link);
            if (!link.isEmpty()) {
                format.setAnchor(true);
                format.setAnchorHref(link.toString());
                format.setFontUnderline(true);
                format.setUnderlineStyle(run.link.kind == HelpLink::Popup ? QTextCharFormat::DotLine
                                                                         : QTextCharFormat::SingleUnderline);
                format.setForeground(QColor(0, 128, 0));
            } else if (run.link.kind == HelpLink::Macro) {
                format.setToolTip(QStringLiteral("Макрос справки Windows, здесь не выполняется: %1").arg(run.link.macro));
            }
            if (run.picture >= 0 && run.picture < doc_.pictures.size()) {
                picture(cursor, run.picture, format);
                continue;
            }
            QString text = run.text;
            text.replace(u'\n', QChar::LineSeparator);
            cursor.insertText(text, format);
        }
    }

    void picture(QTextCursor &cursor, int index, const QTextCharFormat &around)
    {
        const HelpPicture &pic = doc_.pictures[index];
        const QUrl name(QStringLiteral("picture:%1").arg(index));
        if (!document_->resource(QTextDocument::ImageResource, name).isValid()) {
            QImage image;
            if (!pic.metafile)
                image = QImage::fromData(pic.bmp, "BMP");
            if (image.isNull())
                image = placeholder(pic);
            document_->addResource(QTextDocument::ImageResource, name, image);
        }
        QTextImageFormat f;
        f.merge(around);
        f.setName(name.toString());
        cursor.insertImage(f);
    }

    // Consecutive table paragraphs become one table; each row of the file a row.
    qsizetype table(QTextCursor &cursor, const QList<HelpParagraph> &ps, qsizetype from)
    {
        qsizetype end = from;
        int columns = 1;
        QList<int> rows;
        while (end < ps.size() && ps[end].row >= 0) {
            columns = qMax(columns, ps[end].column + 1);
            if (rows.isEmpty() || rows.last() != ps[end].row)
                rows.append(ps[end].row);
            ++end;
        }
        columns = qMin(columns, 64);
        QTextTableFormat format;
        format.setCellPadding(3);
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderCollapse(true);
        QTextTable *t = cursor.insertTable(int(rows.size()), columns, format);
        int row = -1, lastRow = -2;
        QSet<std::pair<int, int>> used;
        for (qsizetype i = from; i < end; ++i) {
            const HelpParagraph &p = ps[i];
            if (p.row != lastRow) {
                ++row;
                lastRow = p.row;
            }
            const int column = qBound(0, p.column, columns - 1);
            QTextCursor c = t->cellAt(row, column).lastCursorPosition();
            if (used.contains({row, column}))
                c.insertBlock();
            used.insert({row, column});
            c.setBlockFormat(blockFormat(p));
            runs(c, p);
        }
        cursor = t->lastCursorPosition();
        cursor.movePosition(QTextCursor::NextBlock);
        return end;
    }

private:
    QTextDocument *document_;
    const HelpDocument &doc_;
};

} // namespace

void renderTopic(QTextDocument *document, const HelpDocument &doc, int topic, bool withTitle)
{
    document->clear();
    if (topic < 0 || topic >= doc.topics.size())
        return;
    const HelpTopic &t = doc.topics[topic];
    Renderer renderer(document, doc);
    QTextCursor cursor(document);
    bool first = true;
    if (withTitle) {
        QTextCharFormat titleFormat;
        titleFormat.setFontWeight(QFont::Bold);
        titleFormat.setFontPointSize(document->defaultFont().pointSizeF() * 1.3);
        cursor.insertText(t.title, titleFormat);
        first = false;
    }
    for (qsizetype i = 0; i < t.paragraphs.size();) {
        const HelpParagraph &p = t.paragraphs[i];
        if (!first)
            cursor.insertBlock(blockFormat(p), QTextCharFormat());
        else
            cursor.setBlockFormat(blockFormat(p));
        first = false;
        if (p.row >= 0) {
            i = renderer.table(cursor, t.paragraphs, i);
            first = true; // the block after the table takes the next paragraph
            continue;
        }
        renderer.runs(cursor, p);
        ++i;
    }
}

} // namespace help
