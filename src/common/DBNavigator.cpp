#include "DBNavigator.h"
#include "Dialogs.h"
#include "Errors.h"
#include "data/DataSet.h"

#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace ui {

std::array<bool, TDBNavigator::kButtonCount> navigatorButtonsEnabled(const NavigatorContext &c)
{
    const bool modify = c.active && c.canModify;
    std::array<bool, TDBNavigator::kButtonCount> on{};
    on[TDBNavigator::nbFirst] = c.active && !c.bof;
    on[TDBNavigator::nbPrior] = c.active && !c.bof;
    on[TDBNavigator::nbNext] = c.active && !c.eof;
    on[TDBNavigator::nbLast] = c.active && !c.eof;
    on[TDBNavigator::nbInsert] = modify;
    on[TDBNavigator::nbDelete] = modify && !c.empty;
    // On an empty set "edit" starts a new row, as the data set does.
    on[TDBNavigator::nbEdit] = modify && !c.editing;
    on[TDBNavigator::nbPost] = modify && c.editing;
    on[TDBNavigator::nbCancel] = modify && c.editing;
    on[TDBNavigator::nbRefresh] = c.active;
    return on;
}

QString navigatorDeleteQuestion() { return QStringLiteral("Удалить запись?"); }

} // namespace ui

namespace {

// The glyphs are drawn rather than taken from the style so that every platform
// shows the same familiar navigator pictures.
QIcon drawGlyph(TDBNavigator::Button which, const QColor &ink)
{
    constexpr int S = 16;
    QPixmap pm(S, S);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    auto triangle = [&](qreal x0, qreal x1) {
        QPainterPath t;
        t.moveTo(x0, 3);
        t.lineTo(x1, 8);
        t.lineTo(x0, 13);
        t.closeSubpath();
        p.drawPath(t);
    };
    switch (which) {
    case TDBNavigator::nbFirst:
        p.drawRect(QRectF(3, 3, 2, 10));
        triangle(12, 5.5);
        break;
    case TDBNavigator::nbPrior:
        triangle(11, 5);
        break;
    case TDBNavigator::nbNext:
        triangle(5, 11);
        break;
    case TDBNavigator::nbLast:
        triangle(4, 10.5);
        p.drawRect(QRectF(11, 3, 2, 10));
        break;
    case TDBNavigator::nbInsert:
        p.drawRect(QRectF(7, 3, 2, 10));
        p.drawRect(QRectF(3, 7, 10, 2));
        break;
    case TDBNavigator::nbDelete:
        p.drawRect(QRectF(3, 7, 10, 2));
        break;
    case TDBNavigator::nbEdit: {
        QPainterPath t;
        t.moveTo(3, 11);
        t.lineTo(8, 4);
        t.lineTo(13, 11);
        t.closeSubpath();
        p.drawPath(t);
        break;
    }
    case TDBNavigator::nbPost: {
        p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        QPainterPath t;
        t.moveTo(3, 8.5);
        t.lineTo(6.5, 12);
        t.lineTo(13, 4);
        p.drawPath(t);
        break;
    }
    case TDBNavigator::nbCancel:
        p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case TDBNavigator::nbRefresh: {
        p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 3, 10, 10), 60 * 16, 270 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        QPainterPath t;
        t.moveTo(9, 1);
        t.lineTo(13.5, 3.5);
        t.lineTo(9, 6.5);
        t.closeSubpath();
        p.drawPath(t);
        break;
    }
    }
    p.end();
    return QIcon(pm);
}

} // namespace

QString TDBNavigator::buttonName(Button which)
{
    static const char *const names[kButtonCount] = {"nbFirst", "nbPrior", "nbNext",  "nbLast",   "nbInsert",
                                                   "nbDelete", "nbEdit", "nbPost", "nbCancel", "nbRefresh"};
    return QLatin1String(names[which]);
}

QString TDBNavigator::buttonHint(Button which)
{
    switch (which) {
    case nbFirst: return QStringLiteral("Первая запись");
    case nbPrior: return QStringLiteral("Предыдущая запись");
    case nbNext: return QStringLiteral("Следующая запись");
    case nbLast: return QStringLiteral("Последняя запись");
    case nbInsert: return QStringLiteral("Вставить запись");
    case nbDelete: return QStringLiteral("Удалить запись");
    case nbEdit: return QStringLiteral("Изменить запись");
    case nbPost: return QStringLiteral("Сохранить изменения");
    case nbCancel: return QStringLiteral("Отменить изменения");
    case nbRefresh: return QStringLiteral("Обновить данные");
    }
    return QString();
}

TDBNavigator::TDBNavigator(QWidget *parent) : QWidget(parent)
{
    setAccessibleName(QStringLiteral("Навигатор по записям"));
    for (int i = 0; i < kButtonCount; ++i) {
        const auto which = Button(i);
        auto *b = new QToolButton(this);
        b->setObjectName(buttonName(which));
        b->setToolTip(buttonHint(which));
        b->setAccessibleName(buttonHint(which));
        b->setIcon(drawGlyph(which, QColor(0x21, 0x21, 0x21)));
        b->setFocusPolicy(Qt::StrongFocus);
        b->setEnabled(false);
        connect(b, &QToolButton::clicked, this, [this, which] { BtnClick(which); });
        buttons_[i] = b;
        if (i > 0)
            setTabOrder(buttons_[i - 1], b);
    }
    layoutButtons();
}

void TDBNavigator::setDataSource(data::DataSet *dataSet)
{
    if (dataSet_)
        disconnect(dataSet_, nullptr, this, nullptr);
    dataSet_ = dataSet;
    if (dataSet_) {
        connect(dataSet_, &data::DataSet::dataChanged, this, &TDBNavigator::updateButtons);
        connect(dataSet_, &data::DataSet::currentChanged, this, &TDBNavigator::updateButtons);
        connect(dataSet_, &data::DataSet::stateChanged, this, &TDBNavigator::updateButtons);
        connect(dataSet_, &QObject::destroyed, this, [this] {
            dataSet_ = nullptr;
            updateButtons();
        });
    }
    updateButtons();
}

void TDBNavigator::updateButtons()
{
    ui::NavigatorContext c;
    if (dataSet_ && dataSet_->Active()) {
        const auto s = dataSet_->state();
        c.active = true;
        c.canModify = dataSet_->canModify();
        c.bof = dataSet_->Bof();
        c.eof = dataSet_->Eof();
        c.empty = dataSet_->isEmpty();
        c.editing = s == data::DataSet::State::Edit || s == data::DataSet::State::Insert;
    }
    const auto on = ui::navigatorButtonsEnabled(c);
    for (int i = 0; i < kButtonCount; ++i)
        buttons_[i]->setEnabled(on[i]);
}

void TDBNavigator::BtnClick(Button which)
{
    if (!dataSet_)
        return;
    data::DataSet *ds = dataSet_;
    ui::runAction(window(), [this, ds, which] {
        switch (which) {
        case nbFirst: ds->First(); break;
        case nbPrior: ds->Prior(); break;
        case nbNext: ds->Next(); break;
        case nbLast: ds->Last(); break;
        case nbInsert: ds->Insert(); break;
        case nbDelete:
            if (ui::dialogs().confirm(window(), ui::appTitle(), ui::navigatorDeleteQuestion()))
                ds->Delete();
            break;
        case nbEdit: ds->Edit(); break;
        case nbPost: ds->Post(); break;
        case nbCancel: ds->Cancel(); break;
        case nbRefresh: ds->Refresh(); break;
        }
    });
    // A failed action may leave the set in a state no signal announced.
    updateButtons();
}

void TDBNavigator::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutButtons();
}

void TDBNavigator::layoutButtons()
{
    // The buttons share the width evenly; the remainder goes to the first ones.
    const int w = width();
    const int h = height();
    int x = 0;
    for (int i = 0; i < kButtonCount; ++i) {
        const int bw = w / kButtonCount + (i < w % kButtonCount ? 1 : 0);
        buttons_[i]->setGeometry(x, 0, bw, h);
        x += bw;
    }
}
