#pragma once
// Fields bound to one field of a data set: they show the current row's value and
// hand what the user types to the data set, which starts editing the row. The
// fields check nothing themselves; the database decides what it accepts when the
// row is posted.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVariant>
#include <functional>

namespace data {
class DataSet;
}

namespace ui {

// The text a bound field shows for a stored value; null shows as empty text.
QString fieldText(const QVariant &value);
// The value a bound field hands on for its text. With emptyIsNull an empty text
// means "no value": a number column would refuse an empty text.
QVariant fieldValueFromText(const QString &text, bool emptyIsNull);

// Keeps a bound field and its data set in step; the widgets below own one each.
class FieldLink : public QObject {
    Q_OBJECT
public:
    FieldLink(QWidget *field, std::function<QString()> read, std::function<void(const QString &)> write);

    void bind(data::DataSet *dataSet, const QString &fieldName);
    data::DataSet *dataSet() const { return dataSet_; }
    QString fieldName() const { return fieldName_; }
    void setEmptyIsNull(bool on) { emptyIsNull_ = on; }
    bool emptyIsNull() const { return emptyIsNull_; }

    // Shows the current row's value; the text is left alone when it already reads
    // so, so the cursor stays where the user is typing.
    void refresh();
    // The user changed the text.
    void userEdited();
    // The field accepts typing only while the set is open and can be written.
    bool editable() const;

signals:
    void editableChanged(bool editable);

private:
    QWidget *field_;
    std::function<QString()> read_;
    std::function<void(const QString &)> write_;
    QPointer<data::DataSet> dataSet_;
    QString fieldName_;
    bool emptyIsNull_ = false;
    bool updating_ = false;
    bool pushing_ = false;
};

} // namespace ui

// A data-bound multi-line field with a vertical scroll bar.
class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TDBMemo(QWidget *parent = nullptr);
    void setDataField(data::DataSet *dataSet, const QString &fieldName);
    ui::FieldLink &link() { return link_; }

private:
    ui::FieldLink link_;
};

// A data-bound one-line field. An empty text is handed on as "no value".
class TDBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget *parent = nullptr);
    void setDataField(data::DataSet *dataSet, const QString &fieldName);
    ui::FieldLink &link() { return link_; }

private:
    ui::FieldLink link_;
};
