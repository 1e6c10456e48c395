#include "LookupListBox.h"
#include "common/Fonts.h"
#include "data/Query.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>

TDBLookupListBox::TDBLookupListBox(QWidget *parent) : QListWidget(parent)
{
    // The user moves the current line; what shows selected follows the key, so
    // the view itself never changes the selection.
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFont(ui::pixelFont(QStringLiteral("Arial"), 16, true));
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    setPalette(p);
    connect(this, &QListWidget::currentRowChanged, this, &TDBLookupListBox::userMovedTo);
}

void TDBLookupListBox::setListSource(const data::Query *query, const QString &table, const QString &listField,
                                     const QString &keyField)
{
    query_ = query;
    table_ = table;
    listField_ = listField;
    keyField_ = keyField;
}

void TDBLookupListBox::reload()
{
    QScopedValueRollback<bool> guard(syncing_, true);
    clear();
    keys_.clear();
    if (!query_ || !query_->Active())
        return;
    query_->requireFields({listField_, keyField_}, table_);
    const int nameColumn = query_->fieldIndex(listField_);
    const int keyColumn = query_->fieldIndex(keyField_);
    for (const QVector<QVariant> &row : query_->rows()) {
        const QVariant name = row.value(nameColumn);
        addItem(name.isNull() ? QString() : name.toString());
        keys_ << row.value(keyColumn);
    }
    showKey();
}

bool TDBLookupListBox::rowSelected(int row) const
{
    return row >= 0 && row < count() && selectionModel()->isSelected(model()->index(row, 0));
}

void TDBLookupListBox::userMovedTo(int row)
{
    if (syncing_ || row < 0 || row >= keys_.size())
        return;
    key_ = keys_.at(row);
    showKey();
}

void TDBLookupListBox::showKey()
{
    QScopedValueRollback<bool> guard(syncing_, true);
    clearSelection();
    if (key_.isNull())
        return;
    const QString key = key_.toString();
    int first = -1;
    for (int row = 0; row < keys_.size(); ++row) {
        if (!keys_.at(row).isNull() && keys_.at(row).toString() == key) {
            // Items refuse setSelected in a view without selection; the model does not.
            selectionModel()->select(model()->index(row, 0), QItemSelectionModel::Select);
            if (first < 0)
                first = row;
        }
    }
    // The current line stays where the user put it while it still holds the key.
    const int cur = currentRow();
    const bool curHoldsKey = cur >= 0 && cur < keys_.size() && !keys_.at(cur).isNull() &&
                             keys_.at(cur).toString() == key;
    if (!curHoldsKey)
        setCurrentRow(first, QItemSelectionModel::NoUpdate);
}

void TDBLookupListBox::mousePressEvent(QMouseEvent *event)
{
    QListWidget::mousePressEvent(event);
    // A click below the last line takes the last entry.
    if (event->button() == Qt::LeftButton && !indexAt(event->position().toPoint()).isValid() && count() > 0)
        setCurrentRow(count() - 1, QItemSelectionModel::NoUpdate);
}

void TDBLookupListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListWidget::mouseDoubleClickEvent(event);
    const QModelIndex at = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && at.isValid() && at.row() == currentRow())
        emit DblClick();
}

void TDBLookupListBox::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0 &&
        rowSelected(currentRow())) {
        emit DblClick();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void TDBLookupListBox::focusInEvent(QFocusEvent *event)
{
    // Focus alone selects nothing, even though the view gives itself a current line.
    QScopedValueRollback<bool> guard(syncing_, true);
    QListWidget::focusInEvent(event);
    if (currentRow() >= 0 && !rowSelected(currentRow()))
        setCurrentRow(-1, QItemSelectionModel::NoUpdate);
}
