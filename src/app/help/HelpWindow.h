#pragma once
// The help viewer's window: the keyword index with a partial-keyword line, the
// list of topics when a keyword has several, and the topic's text.
#include "WinHelpFile.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTextBrowser;

namespace help {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *owner = nullptr);

    // Shows doc at its keyword index with an empty partial keyword.
    void setDocument(const HelpDocument &doc);
    const HelpDocument &document() const { return doc_; }

    // Keywords visible for the partial keyword now typed, in list order.
    QStringList visibleKeywords() const;
    // Shows a topic; the one shown before is remembered for "Назад".
    void showTopic(int topic);
    int currentTopic() const { return current_; }
    // Follows a hotspot's address as the topic view makes it (HelpTopicView.h).
    void followLink(const QUrl &link);
    void goBack();
    // The open popup, if any.
    QWidget *popup() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void narrow(const QString &prefix);
    void chooseKeyword();
    void chooseTopic(QListWidgetItem *item);
    void selectFirstVisible();
    void display(int topic);
    void showPopup(int topic);

    HelpDocument doc_;
    QLineEdit *edit_;
    QListWidget *keywords_;
    QPushButton *show_;
    QLabel *topicsLabel_;
    QListWidget *topics_;
    QTextBrowser *view_;
    QPushButton *back_;
    QPushButton *contents_;
    QList<int> history_;
    int current_ = -1;
    QPointer<QWidget> popup_;
    bool titlesAsIndex_ = false; // a file without keywords lists its topics instead
};

} // namespace help
