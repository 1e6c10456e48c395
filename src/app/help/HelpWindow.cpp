#include "HelpWindow.h"
#include "HelpTopicView.h"

#include "common/Dialogs.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextCursor>
#include <QVBoxLayout>

namespace help {

namespace {
constexpr int kIndexRole = Qt::UserRole;
}

HelpWindow::HelpWindow(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("helpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 520);

    auto *editLabel = new QLabel(QStringLiteral("&Введите первые буквы ключевого слова:"), this);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("helpKeywordEdit"));
    edit_->setAccessibleName(QStringLiteral("Первые буквы ключевого слова"));
    editLabel->setBuddy(edit_);

    auto *listLabel = new QLabel(QStringLiteral("&Ключевые слова:"), this);
    keywords_ = new QListWidget(this);
    keywords_->setObjectName(QStringLiteral("helpKeywordList"));
    keywords_->setAccessibleName(QStringLiteral("Ключевые слова"));
    listLabel->setBuddy(keywords_);

    show_ = new QPushButton(QStringLiteral("&Показать"), this);
    show_->setObjectName(QStringLiteral("helpShowButton"));
    show_->setAccessibleName(QStringLiteral("Показать раздел"));
    auto *close = new QPushButton(QStringLiteral("&Закрыть"), this);
    close->setObjectName(QStringLiteral("helpCloseButton"));
    close->setAccessibleName(QStringLiteral("Закрыть справку"));

    topicsLabel_ = new QLabel(QStringLiteral("Найденные &разделы:"), this);
    topics_ = new QListWidget(this);
    topics_->setObjectName(QStringLiteral("helpTopicList"));
    topics_->setAccessibleName(QStringLiteral("Найденные разделы"));
    topics_->setMaximumHeight(110);
    topicsLabel_->setBuddy(topics_);

    auto *viewLabel = new QLabel(QStringLiteral("&Текст раздела:"), this);
    view_ = new QTextBrowser(this);
    view_->setObjectName(QStringLiteral("helpTopicView"));
    view_->setAccessibleName(QStringLiteral("Текст раздела"));
    view_->setReadOnly(true);
    view_->setOpenLinks(false);
    viewLabel->setBuddy(view_);
    back_ = new QPushButton(QStringLiteral("&Назад"), this);
    back_->setObjectName(QStringLiteral("helpBackButton"));
    back_->setAccessibleName(QStringLiteral("Назад, к предыдущему разделу"));
    back_->setEnabled(false);
    contents_ = new QPushButton(QStringLiteral("С&одержание"), this);
    contents_->setObjectName(QStringLiteral("helpContentsButton"));
    contents_->setAccessibleName(QStringLiteral("Содержание справки"));

    auto *left = new QVBoxLayout;
    left->addWidget(editLabel);
    left->addWidget(edit_);
    left->addWidget(listLabel);
    left->addWidget(keywords_, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(show_);
    buttons->addStretch();
    buttons->addWidget(close);
    left->addLayout(buttons);
    auto *right = new QVBoxLayout;
    right->addWidget(topicsLabel_);
    right->addWidget(topics_);
    auto *viewBar = new QHBoxLayout;
    viewBar->addWidget(viewLabel);
    viewBar->addStretch();
    viewBar->addWidget(contents_);
    viewBar->addWidget(back_);
    right->addLayout(viewBar);
    right->addWidget(view_, 1);
    auto *main = new QHBoxLayout(this);
    main->addLayout(left, 2);
    main->addLayout(right, 3);

    setTabOrder(edit_, keywords_);
    setTabOrder(keywords_, show_);
    setTabOrder(show_, topics_);
    setTabOrder(topics_, contents_);
    setTabOrder(contents_, back_);
    setTabOrder(back_, view_);
    setTabOrder(view_, close);

    // Arrow keys in the line move through the list, as in the Windows help index.
    edit_->installEventFilter(this);
    connect(edit_, &QLineEdit::textChanged, this, &HelpWindow::narrow);
    connect(edit_, &QLineEdit::returnPressed, this, &HelpWindow::chooseKeyword);
    connect(keywords_, &QListWidget::itemActivated, this, &HelpWindow::chooseKeyword);
    connect(show_, &QPushButton::clicked, this, &HelpWindow::chooseKeyword);
    connect(topics_, &QListWidget::itemActivated, this, &HelpWindow::chooseTopic);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(view_, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    connect(back_, &QPushButton::clicked, this, &HelpWindow::goBack);
    connect(contents_, &QPushButton::clicked, this, [this] { showTopic(doc_.contents); });
    auto *backKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this);
    connect(backKey, &QShortcut::activated, this, &HelpWindow::goBack);
    topicsLabel_->hide();
    topics_->hide();
}

void HelpWindow::setDocument(const HelpDocument &doc)
{
    doc_ = doc;
    setWindowTitle(doc_.title.trimmed().isEmpty() ? QStringLiteral("Справка") : doc_.title.trimmed());
    keywords_->clear();
    titlesAsIndex_ = doc_.keywords.isEmpty() && !doc_.topics.isEmpty();
    if (titlesAsIndex_) {
        for (int i = 0; i < doc_.topics.size(); ++i) {
            const QString title = doc_.topics[i].title.trimmed();
            auto *item = new QListWidgetItem(title.isEmpty() ? QStringLiteral("Раздел %1").arg(i + 1) : title, keywords_);
            item->setData(kIndexRole, i);
        }
    }
    for (int i = 0; i < doc_.keywords.size(); ++i) {
        auto *item = new QListWidgetItem(doc_.keywords[i].text, keywords_);
        item->setData(kIndexRole, i);
    }
    history_.clear();
    current_ = -1;
    back_->setEnabled(false);
    contents_->setEnabled(doc_.contents >= 0 && doc_.contents < doc_.topics.size());
    topics_->clear();
    topicsLabel_->hide();
    topics_->hide();
    view_->clear();
    if (titlesAsIndex_)
        view_->setPlainText(QStringLiteral("В файле справки нет указателя ключевых слов. "
                                           "В списке слева — названия его разделов: выберите раздел и нажмите Enter."));
    else if (doc_.keywords.isEmpty())
        view_->setPlainText(QStringLiteral("В файле справки нет указателя ключевых слов."));
    edit_->clear();
    narrow(QString());
    edit_->setFocus();
}

QStringList HelpWindow::visibleKeywords() const
{
    QStringList out;
    for (int i = 0; i < keywords_->count(); ++i)
        if (!keywords_->item(i)->isHidden())
            out.append(keywords_->item(i)->text());
    return out;
}

void HelpWindow::narrow(const QString &prefix)
{
    const QString typed = prefix.trimmed();
    for (int i = 0; i < keywords_->count(); ++i) {
        QListWidgetItem *item = keywords_->item(i);
        item->setHidden(!item->text().startsWith(typed, Qt::CaseInsensitive));
    }
    selectFirstVisible();
}

void HelpWindow::selectFirstVisible()
{
    keywords_->setCurrentItem(nullptr);
    for (int i = 0; i < keywords_->count(); ++i) {
        if (!keywords_->item(i)->isHidden()) {
            keywords_->setCurrentRow(i);
            keywords_->scrollToItem(keywords_->item(i));
            break;
        }
    }
    show_->setEnabled(keywords_->currentItem() != nullptr);
}

bool HelpWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            QKeyEvent copy(QEvent::KeyPress, key, static_cast<QKeyEvent *>(event)->modifiers());
            QApplication::sendEvent(keywords_, &copy);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void HelpWindow::chooseKeyword()
{
    QListWidgetItem *item = keywords_->currentItem();
    if (!item || item->isHidden())
        return;
    if (titlesAsIndex_) {
        topicsLabel_->hide();
        topics_->hide();
        showTopic(item->data(kIndexRole).toInt());
        return;
    }
    const HelpKeyword &keyword = doc_.keywords[item->data(kIndexRole).toInt()];
    topics_->clear();
    for (int topic : keyword.topics) {
        auto *t = new QListWidgetItem(doc_.topics[topic].title.isEmpty() ? QStringLiteral("(раздел без названия)")
                                                                          : doc_.topics[topic].title,
                                      topics_);
        t->setData(kIndexRole, topic);
    }
    const bool several = keyword.topics.size() > 1;
    topicsLabel_->setVisible(several);
    topics_->setVisible(several);
    if (several) {
        topics_->setCurrentRow(0);
        view_->setPlainText(QStringLiteral("Ключевому слову «%1» соответствует несколько разделов. "
                                           "Выберите раздел в списке и нажмите Enter.")
                                .arg(keyword.text));
        topics_->setFocus();
    } else if (!keyword.topics.isEmpty()) {
        showTopic(keyword.topics.first());
    }
}

void HelpWindow::chooseTopic(QListWidgetItem *item)
{
    if (item)
        showTopic(item->data(kIndexRole).toInt());
}

void HelpWindow::showTopic(int topic)
{
    if (topic < 0 || topic >= doc_.topics.size())
        return;
    if (current_ >= 0 && current_ != topic)
        history_.append(current_);
    display(topic);
}

void HelpWindow::display(int topic)
{
    current_ = topic;
    back_->setEnabled(!history_.isEmpty());
    renderTopic(view_->document(), doc_, topic);
    view_->moveCursor(QTextCursor::Start);
}

void HelpWindow::goBack()
{
    if (history_.isEmpty())
        return;
    display(history_.takeLast());
}

void HelpWindow::followLink(const QUrl &link)
{
    const QString scheme = link.scheme();
    bool ok = false;
    const int topic = link.path().toInt(&ok);
    if (scheme == QStringLiteral("topic") && ok) {
        showTopic(topic);
    } else if (scheme == QStringLiteral("popup") && ok) {
        showPopup(topic);
    } else if (scheme == QStringLiteral("file")) {
        ui::dialogs().message(this, windowTitle(),
                              QStringLiteral("Эта ссылка ведёт в другой файл справки, «%1». Откройте его отдельно: "
                                             "здесь показывается только «%2».")
                                  .arg(QUrl::fromPercentEncoding(link.path().toUtf8()), windowTitle()),
                              ui::Icon::Information);
    }
}

void HelpWindow::showPopup(int topic)
{
    if (topic < 0 || topic >= doc_.topics.size())
        return;
    if (popup_)
        popup_->close();
    // A small window by the pointer that goes away with a click elsewhere or Esc,
    // as WinHelp's popups do.
    auto *popup = new QTextBrowser(this);
    popup->setWindowFlags(Qt::Popup);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setObjectName(QStringLiteral("helpPopup"));
    popup->setAccessibleName(doc_.topics[topic].title.isEmpty() ? QStringLiteral("Всплывающее окно справки")
                                                                : doc_.topics[topic].title);
    popup->setOpenLinks(false);
    renderTopic(popup->document(), doc_, topic, false);
    connect(popup, &QTextBrowser::anchorClicked, this, [this, popup](const QUrl &link) {
        popup->close();
        followLink(link);
    });
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), popup);
    connect(esc, &QShortcut::activated, popup, &QWidget::close);
    popup->document()->setTextWidth(360);
    const QSize size(380, qBound(60, int(popup->document()->size().height()) + 12, 400));
    popup->resize(size);
    popup->move(QCursor::pos() + QPoint(8, 8));
    popup->show();
    popup_ = popup;
}

QWidget *HelpWindow::popup() const { return popup_; }

} // namespace help
