#pragma once
// A data grid over a data set: one row per visible record, a row indicator, column
// titles from the field names and resizable columns. Editable grids write into the
// data set in place; the record is posted when the cursor leaves its row, so an
// engine refusal keeps the cursor on the row that holds the rejected values.
#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <QVector>

namespace data {
class DataSet;
}

class TDBGrid;

// The grid's view of a data set. It keeps no copy of the rows: every cell is read
// from the data set, the pending edit of the current row included.
class TDataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TDataSetModel(TDBGrid *grid);

    void setDataSet(data::DataSet *dataSet);
    data::DataSet *dataSet() const { return dataSet_; }
    // Fields to show, in this order; empty shows every field of the result.
    void setFields(const QStringList &fields);
    void setReadOnlyFields(const QStringList &fields);

    // Data set column shown in grid column, -1 when there is none.
    int fieldColumn(int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Follows the data set after it changed: a new shape resets the view, the same
    // shape only repaints.
    void refresh();
    void indicatorChanged();

private:
    QVector<int> mapColumns() const;

    TDBGrid *grid_;
    data::DataSet *dataSet_ = nullptr;
    QStringList fields_;
    QStringList readOnlyFields_;
    QVector<int> columns_;
    int rows_ = 0;
};

class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr);

    void setDataSet(data::DataSet *dataSet);
    data::DataSet *dataSet() const { return model_->dataSet(); }
    void setFields(const QStringList &fields) { model_->setFields(fields); }
    // Fields the engine keeps (the row key): shown, never edited.
    void setReadOnlyFields(const QStringList &fields) { model_->setReadOnlyFields(fields); }

    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return readOnly_; }
    bool canEdit() const;

    TDataSetModel *dataModel() const { return model_; }

    // The grid's own record commands, as the keys run them.
    void deleteCurrentRecord(); // asks first
    void appendBelowLast();
    void cancelRecordEdit();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    friend class TDataSetModel;
    void followDataSet();

    TDataSetModel *model_;
    bool readOnly_ = true;
    bool syncing_ = false;
};
