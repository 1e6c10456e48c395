#pragma once
// A lookup list over a query: one line per row showing the list field, and a
// current key, the key field of the row last selected by the user (null before
// the first selection). Reading the rows again keeps the key; every row whose key
// equals it is shown selected, and none when no row has it.
#include <QListWidget>
#include <QVariant>
#include <QVector>

namespace data {
class Query;
}

class TDBLookupListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TDBLookupListBox(QWidget *parent = nullptr);

    void setListSource(const data::Query *query, const QString &table, const QString &listField,
                       const QString &keyField);
    // Reads the lines again from the query's current result.
    void reload();

    QVariant keyValue() const { return key_; }
    QVariant rowKey(int row) const { return keys_.value(row); }
    // True when the row shows selected: its key equals the current key.
    bool rowSelected(int row) const;

signals:
    // A double-click on the current entry's line, or Enter on it.
    void DblClick();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void userMovedTo(int row);
    void showKey();

    const data::Query *query_ = nullptr;
    QString table_;
    QString listField_;
    QString keyField_;
    QVector<QVariant> keys_;
    QVariant key_;
    bool syncing_ = false;
};
