#include "DBControls.h"
#include "Errors.h"
#include "data/DataSet.h"

#include <QPalette>

namespace ui {

QString fieldText(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

QVariant fieldValueFromText(const QString &text, bool emptyIsNull)
{
    if (text.isEmpty() && emptyIsNull)
        return QVariant();
    return text;
}

FieldLink::FieldLink(QWidget *field, std::function<QString()> read, std::function<void(const QString &)> write)
    : field_(field), read_(std::move(read)), write_(std::move(write))
{
}

void FieldLink::bind(data::DataSet *dataSet, const QString &fieldName)
{
    if (dataSet_)
        disconnect(dataSet_, nullptr, this, nullptr);
    dataSet_ = dataSet;
    fieldName_ = fieldName;
    if (dataSet_) {
        connect(dataSet_, &data::DataSet::dataChanged, this, &FieldLink::refresh);
        connect(dataSet_, &data::DataSet::currentChanged, this, &FieldLink::refresh);
        connect(dataSet_, &data::DataSet::stateChanged, this, &FieldLink::refresh);
    }
    refresh();
}

bool FieldLink::editable() const
{
    return dataSet_ && dataSet_->Active() && dataSet_->canModify() && dataSet_->fieldIndex(fieldName_) >= 0;
}

void FieldLink::refresh()
{
    if (pushing_)
        return;
    QString text;
    if (dataSet_ && dataSet_->Active())
        text = fieldText(dataSet_->fieldValue(dataSet_->fieldIndex(fieldName_)));
    if (read_() != text) {
        updating_ = true;
        write_(text);
        updating_ = false;
    }
    emit editableChanged(editable());
}

void FieldLink::userEdited()
{
    if (updating_ || !editable())
        return;
    const QString text = read_();
    // Starting the edit announces the row's old value; the field must not take it
    // back while the typed text is on its way.
    pushing_ = true;
    ui::runAction(field_->window(), [&] {
        dataSet_->setFieldValue(dataSet_->fieldIndex(fieldName_), fieldValueFromText(text, emptyIsNull_));
    });
    pushing_ = false;
    refresh();
}

} // namespace ui

namespace {

void whiteField(QWidget *w)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    w->setPalette(pal);
}

} // namespace

TDBMemo::TDBMemo(QWidget *parent)
    : QPlainTextEdit(parent),
      link_(this, [this] { return toPlainText(); }, [this](const QString &t) { setPlainText(t); })
{
    whiteField(this);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control, as in the other text boxes of the program.
    setTabChangesFocus(true);
    setReadOnly(true);
    connect(this, &QPlainTextEdit::textChanged, &link_, &ui::FieldLink::userEdited);
    connect(&link_, &ui::FieldLink::editableChanged, this, [this](bool on) { setReadOnly(!on); });
}

void TDBMemo::setDataField(data::DataSet *dataSet, const QString &fieldName) { link_.bind(dataSet, fieldName); }

TDBEdit::TDBEdit(QWidget *parent)
    : QLineEdit(parent), link_(this, [this] { return text(); }, [this](const QString &t) { setText(t); })
{
    whiteField(this);
    link_.setEmptyIsNull(true);
    setReadOnly(true);
    connect(this, &QLineEdit::textEdited, &link_, &ui::FieldLink::userEdited);
    connect(&link_, &ui::FieldLink::editableChanged, this, [this](bool on) { setReadOnly(!on); });
}

void TDBEdit::setDataField(data::DataSet *dataSet, const QString &fieldName) { link_.bind(dataSet, fieldName); }
