#pragma once
// The parts of a test run that need no window: the draw of the questions, the
// conversion of the stored correct answers, the scoring and the texts shown.
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace testrun {

constexpr int kQuestions = 30;
constexpr int kAnswers = 5;

using Draw = std::array<int, kQuestions>;       // question number i+1 → bank position
using Answers = std::array<quint8, kQuestions>; // question number i+1 → answer 1 … 5

// One draw: a position from 0 to n − 1. Tests put a fixed sequence in; an empty
// source restores the uniform generator, which is seeded afresh at every draw of
// a whole test so that each test gets its own.
using DrawSource = std::function<int(int n)>;
void setDrawSource(DrawSource source);

// The 30 positions of one test, drawn independently (repeats allowed); all 0 for
// an empty bank.
Draw drawQuestions(int bankSize);

// Text to whole number as the scoring needs it: an optional "+" or "-", then
// decimal digits, nothing else. Throws AppError "'%s' is not a valid integer value".
int toInteger(const QString &text);

// Entry index of list; throws AppError "List index out of bounds (%d)".
const QString &entry(const QStringList &list, int index);

// The number of question numbers whose recorded answer equals the correct answer
// of the drawn row. Question numbers are scored in order; the first whose entry is
// missing or no whole number stops the scoring with that error.
quint8 score(const QStringList &rightAnswers, const Draw &drawn, const Answers &chosen);

// "Вы " + count + " ответили верно".
QString scoreMessage(int count);

// The question at position p followed by its five answers, one line each. Reads
// every entry before returning, so a missing one leaves the caller's text alone.
QString questionText(const QStringList &questions, const std::array<const QStringList *, kAnswers> &answers,
                     int position);

} // namespace testrun
