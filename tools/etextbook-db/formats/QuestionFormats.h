#pragma once
// Multiple-choice questions in the text formats teachers already have: Aiken and
// the multiple-choice subset of GIFT (Moodle's formats). Plain functions on bytes
// and text, QtCore only, so they are tested and fuzzed without the course tool.
#include <QByteArray>
#include <QList>
#include <QString>

#include <array>

namespace qformats {

// The bank holds five options; a question from a file has two to five.
constexpr int kMaxOptions = 5;
constexpr int kMinOptions = 2;

struct Question {
    QString text;
    std::array<QString, kMaxOptions> options; // missing options stay empty
    int optionCount = 0;                      // how many the file gave
    int correct = 0;                          // 1 … optionCount
    int line = 0;                             // where it starts in the file, from 1
};

// A question the reader will not store, with the file's line and a Russian reason.
struct Refusal {
    int line = 0;
    QString reason;
    QString text() const; // "строка N: reason"
};

enum class Encoding { Auto, Utf8, Cp1251, Utf16 }; // UTF-16 only detected, by its byte-order mark
enum class Format { Aiken, Gift };

struct ReadResult {
    Format format = Format::Aiken;
    Encoding encoding = Encoding::Utf8; // the one used
    QList<Question> questions;
    QList<Refusal> refusals;
};

// A file that cannot be read at all (bad encoding): one refusal for the whole file.
struct FileError {
    Refusal refusal;
};

// Bytes to text. Auto: a UTF-8 byte-order mark or valid UTF-8 is UTF-8, anything
// else Windows-1251. A forced UTF-8 that is not valid throws FileError with the line
// of the first bad byte. A leading byte-order mark is dropped.
QString decode(const QByteArray &bytes, Encoding encoding, Encoding *used = nullptr);
QString decodeCp1251(const QByteArray &bytes);
QByteArray encodeCp1251(const QString &text, bool *lossless = nullptr);

// Which format the text is in: GIFT when a question has an answer block in braces
// (outside comments), else Aiken.
Format detectFormat(const QString &text);

// Readers take the decoded text with any line endings (LF, CRLF, CR).
ReadResult readAiken(const QString &text);
ReadResult readGift(const QString &text);
// decode + detectFormat + the matching reader. Throws FileError.
ReadResult readQuestions(const QByteArray &bytes, Encoding encoding);

// Why the question cannot be written to the format faithfully, or empty when it can
// (Aiken has no line breaks; neither format keeps a question without text or without
// a correct answer among its options).
QString cannotWrite(const Question &q, Format format);
// Writers expect questions for which cannotWrite() is empty; output is UTF-8 text
// with LF line endings.
QString writeAiken(const QList<Question> &questions);
QString writeGift(const QList<Question> &questions);

// How many options a bank row needs in a file: up to its last non-empty option and
// its correct one, at least two.
int optionsToWrite(const std::array<QString, kMaxOptions> &options, int correct);

} // namespace qformats
