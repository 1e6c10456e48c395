#include "DBGrid.h"
#include "Dialogs.h"
#include "Errors.h"
#include "data/DataSet.h"

#include <QHeaderView>
#include <QKeyEvent>

using data::DataSet;

TDataSetModel::TDataSetModel(TDBGrid *grid) : QAbstractTableModel(grid), grid_(grid) {}

void TDataSetModel::setDataSet(DataSet *dataSet)
{
    dataSet_ = dataSet;
    refresh();
}

void TDataSetModel::setFields(const QStringList &fields)
{
    fields_ = fields;
    refresh();
}

void TDataSetModel::setReadOnlyFields(const QStringList &fields) { readOnlyFields_ = fields; }

QVector<int> TDataSetModel::mapColumns() const
{
    QVector<int> cols;
    if (!dataSet_)
        return cols;
    if (fields_.isEmpty()) {
        for (int c = 0; c < dataSet_->fieldNames().size(); ++c)
            cols << c;
        return cols;
    }
    for (const QString &name : fields_) {
        const int c = dataSet_->fieldIndex(name);
        if (c >= 0)
            cols << c;
    }
    return cols;
}

int TDataSetModel::fieldColumn(int column) const { return columns_.value(column, -1); }

int TDataSetModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : rows_; }

int TDataSetModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant TDataSetModel::data(const QModelIndex &index, int role) const
{
    if (!dataSet_ || !index.isValid() || index.row() >= rows_ || index.column() >= columns_.size())
        return QVariant();
    const QVariant v = dataSet_->value(index.row(), columns_.at(index.column()));
    switch (role) {
    case Qt::DisplayRole:
        return v.isNull() ? QVariant() : QVariant(v.toString());
    case Qt::EditRole:
        // Always text, so every column edits in a plain line editor and the engine
        // decides what the text means for its column.
        return v.isNull() ? QString() : v.toString();
    case Qt::TextAlignmentRole: {
        const bool number = v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong ||
                            v.typeId() == QMetaType::Double || v.typeId() == QMetaType::UInt ||
                            v.typeId() == QMetaType::ULongLong;
        return QVariant::fromValue(Qt::Alignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    default:
        return QVariant();
    }
}

bool TDataSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int column = columns_.at(index.column());
    const QVariant old = dataSet_->value(index.row(), column);
    const QString text = value.toString();
    // The editor hands back every cell it closes; an untouched cell must not put
    // the record into editing.
    if (text == (old.isNull() ? QString() : old.toString()))
        return true;
    const QVariant stored = text.isEmpty() ? QVariant() : QVariant(text);
    return ui::runAction(grid_->window(), [&] {
        if (index.row() != dataSet_->RecNo())
            dataSet_->setRecNo(index.row());
        dataSet_->setFieldValue(column, stored);
    });
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || !dataSet_)
        return QVariant();
    if (orientation == Qt::Horizontal) {
        const int c = fieldColumn(section);
        return c >= 0 ? QVariant(dataSet_->fieldNames().value(c)) : QVariant();
    }
    if (section != dataSet_->RecNo())
        return QString();
    switch (dataSet_->state()) {
    case DataSet::State::Edit:
        return QStringLiteral("I");
    case DataSet::State::Insert:
        return QStringLiteral("*");
    default:
        return QStringLiteral("▶");
    }
}

Qt::ItemFlags TDataSetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const int c = fieldColumn(index.column());
    if (grid_->canEdit() && c >= 0 && !readOnlyFields_.contains(dataSet_->fieldNames().value(c)))
        f |= Qt::ItemIsEditable;
    return f;
}

void TDataSetModel::refresh()
{
    const QVector<int> cols = mapColumns();
    const int rows = dataSet_ && dataSet_->Active() ? dataSet_->RecordCount() : 0;
    if (cols != columns_ || rows != rows_) {
        beginResetModel();
        columns_ = cols;
        rows_ = rows;
        endResetModel();
    } else if (rows_ > 0 && !columns_.isEmpty()) {
        emit dataChanged(index(0, 0), index(rows_ - 1, int(columns_.size()) - 1));
        indicatorChanged();
    }
    grid_->followDataSet();
}

void TDataSetModel::indicatorChanged()
{
    if (rows_ > 0)
        emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
}

TDBGrid::TDBGrid(QWidget *parent) : QTableView(parent), model_(new TDataSetModel(this))
{
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // Tab leaves the grid for the window's next control, as the arrows move inside it.
    setTabKeyNavigation(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    setReadOnly(true);
}

void TDBGrid::setDataSet(DataSet *dataSet)
{
    if (DataSet *old = model_->dataSet())
        disconnect(old, nullptr, this, nullptr);
    if (dataSet) {
        connect(dataSet, &DataSet::dataChanged, this, [this] { model_->refresh(); });
        connect(dataSet, &DataSet::currentChanged, this, [this] {
            model_->indicatorChanged();
            followDataSet();
        });
        connect(dataSet, &DataSet::stateChanged, this, [this] { model_->indicatorChanged(); });
        connect(dataSet, &QObject::destroyed, this, [this] { model_->setDataSet(nullptr); });
    }
    model_->setDataSet(dataSet);
}

void TDBGrid::setReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    if (readOnly) {
        if (state() == QAbstractItemView::EditingState)
            if (QWidget *editor = indexWidget(currentIndex()))
                closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
    } else {
        setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    }
    viewport()->update();
}

bool TDBGrid::canEdit() const
{
    const DataSet *ds = model_->dataSet();
    return !readOnly_ && ds && ds->Active() && ds->canModify();
}

void TDBGrid::followDataSet()
{
    const DataSet *ds = model_->dataSet();
    if (syncing_ || !ds)
        return;
    syncing_ = true;
    const int row = ds->Active() ? ds->RecNo() : -1;
    if (row < 0 || row >= model_->rowCount()) {
        if (currentIndex().isValid())
            selectionModel()->clearCurrentIndex();
    } else if (currentIndex().row() != row) {
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        setCurrentIndex(model_->index(row, qBound(0, column, qMax(0, model_->columnCount() - 1))));
    }
    syncing_ = false;
}

void TDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // The base commits an open editor into the record it belongs to before the
    // cursor moves on.
    QTableView::currentChanged(current, previous);
    DataSet *ds = model_->dataSet();
    if (syncing_ || !current.isValid() || !ds || !ds->Active() || current.row() == ds->RecNo())
        return;
    ui::runAction(window(), [&] { ds->setRecNo(current.row()); });
    // When the record could not be posted the data set stays on it, and so does the grid.
    followDataSet();
}

void TDBGrid::deleteCurrentRecord()
{
    DataSet *ds = model_->dataSet();
    if (!canEdit() || ds->RecNo() < 0)
        return;
    ui::runAction(window(), [&] {
        if (ds->state() == DataSet::State::Insert) {
            ds->Cancel(); // a new record not stored yet has nothing to lose
            return;
        }
        if (!ui::dialogs().confirm(window(), ui::appTitle(), QStringLiteral("Удалить эту запись?")))
            return;
        ds->Delete();
    });
}

void TDBGrid::appendBelowLast()
{
    DataSet *ds = model_->dataSet();
    if (!canEdit())
        return;
    if (ds->state() == DataSet::State::Insert && !ds->isModified())
        return; // already on an empty new record
    ui::runAction(window(), [&] { ds->Append(); });
}

void TDBGrid::cancelRecordEdit()
{
    DataSet *ds = model_->dataSet();
    if (!ds || (ds->state() != DataSet::State::Edit && ds->state() != DataSet::State::Insert))
        return;
    ui::runAction(window(), [&] { ds->Cancel(); });
}

void TDBGrid::keyPressEvent(QKeyEvent *event)
{
    const DataSet *ds = model_->dataSet();
    if (canEdit()) {
        const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
        if (event->key() == Qt::Key_Delete && (mods == Qt::NoModifier || mods == Qt::ControlModifier)) {
            deleteCurrentRecord();
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Down && mods == Qt::NoModifier &&
            (ds->RecNo() < 0 || ds->RecNo() == ds->RecordCount() - 1)) {
            appendBelowLast();
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Escape &&
            (ds->state() == DataSet::State::Edit || ds->state() == DataSet::State::Insert)) {
            cancelRecordEdit();
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}
