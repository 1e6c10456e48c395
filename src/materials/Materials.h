#pragma once
// What the materials window's handlers share: the three sections with their
// statement lines, the open-file dialog and the translation of its filters.
#include <QString>

class QWidget;

namespace materials {

struct Section {
    quint8 number;      // the value of MaterialSection
    QString caption;    // window title and main-window button
    QString table;
    QString nameField;
    QString addressField;
    QString selectLine; // the whole list, and the first line of a search
    QString findLine;   // second line of a search, parameter a
    QString insertLine; // first line of an insert; the second is "values(:a1,:a2)"
    QString deleteLine; // first line of a delete
    QString deleteWhere;
    QString fileFilter; // the open-file dialog's filter, "description|patterns"
};

// Sections 1 (theory), 2 (practice) and 3 (video); nullptr for any other number.
const Section *section(int number);

// Translates "description|pattern;pattern|description|…" into Qt's
// "description (pattern pattern);;…". Qt reads the patterns from the last
// parentheses, so patterns a description already lists in parentheses are
// dropped from it; blanks around a description go too.
QString qtFileFilter(const QString &barFilter);

// The open-file dialog: its filter is set before each run; it keeps the last
// chosen file for the whole session and starts from it (nothing is written to disk).
class OpenDialog {
public:
    QString Filter;
    QString FileName;
    // Runs the dialog; true when the user chose a file, which is then in FileName.
    bool Execute(QWidget *parent);
};

} // namespace materials
