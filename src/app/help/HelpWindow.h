#pragma once
// The help viewer's window: the keyword index with a partial-keyword line, the
// list of topics when a keyword has several, and the topic's text.
#include "WinHelpFile.h"

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
    void showTopic(int topic);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void narrow(const QString &prefix);
    void chooseKeyword();
    void chooseTopic(QListWidgetItem *item);
    void selectFirstVisible();

    HelpDocument doc_;
    QLineEdit *edit_;
    QListWidget *keywords_;
    QPushButton *show_;
    QLabel *topicsLabel_;
    QListWidget *topics_;
    QTextBrowser *view_;
};

} // namespace help
