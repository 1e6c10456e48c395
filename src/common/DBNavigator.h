#pragma once
// A record navigator over a data set: ten buttons that move between rows and
// insert, delete, edit, save, cancel and re-read them. Each button is enabled only
// when its action makes sense for the set's current row and state, and every
// action runs as a user action, so a value the database refuses is shown in the
// error box while the row stays in editing.
#include <QWidget>
#include <array>

class QToolButton;

namespace data {
class DataSet;
}

class TDBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
    static constexpr int kButtonCount = 10;

    explicit TDBNavigator(QWidget *parent = nullptr);

    void setDataSource(data::DataSet *dataSet);
    data::DataSet *dataSource() const { return dataSet_; }

    QToolButton *button(Button which) const { return buttons_.at(which); }

    // Runs a button's action as a press would, confirmation included.
    void BtnClick(Button which);

    // The object name and the hint (tooltip and accessible name) of each button.
    static QString buttonName(Button which);
    static QString buttonHint(Button which);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateButtons();
    void layoutButtons();

    data::DataSet *dataSet_ = nullptr;
    std::array<QToolButton *, kButtonCount> buttons_{};
};

namespace ui {

// What the navigator needs to know of its data set to enable its buttons.
struct NavigatorContext {
    bool active = false;    // the set is open
    bool canModify = false; // rows can be written back
    bool bof = true;        // on the first row (or no row)
    bool eof = true;        // on the last row (or no row)
    bool empty = true;      // no visible row
    bool editing = false;   // a row is being edited or inserted
};

// Which of the ten buttons are enabled, in the order of TDBNavigator::Button.
std::array<bool, TDBNavigator::kButtonCount> navigatorButtonsEnabled(const NavigatorContext &c);

// The question the delete button asks before the row goes.
QString navigatorDeleteQuestion();

} // namespace ui
