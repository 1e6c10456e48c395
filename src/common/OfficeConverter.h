#pragma once
// Office lectures (.doc, .docx, .rtf, .odt, .ppt, .pptx) are shown as PDF made by
// LibreOffice in headless mode. The PDF goes to a cache outside the course folder,
// named after the document's path, size and modification time, so a changed file
// is converted again; a lock file makes several copies of the program that open
// one document at once wait for one conversion. The original is never opened for
// writing: LibreOffice works on a copy. Plain QtCore, so tests need no widgets.
#include <QString>

#include <memory>

namespace office {

// By the file name's suffix, letter case ignored.
bool isOfficeDocument(const QString &path);
// The Debian package whose LibreOffice part opens the document.
QString packageFor(const QString &path);
// $XDG_CACHE_HOME/etextbook/office (or ~/.cache/…).
QString defaultCacheFolder();

struct Conversion {
    QString pdf;   // the converted file, or empty
    QString error; // a Russian message for the user, or empty
};

class Converter {
public:
    virtual ~Converter() = default;
    // Blocks until the PDF is there (converted now, by another copy of the
    // program, or earlier); may run on any thread.
    virtual Conversion convert(const QString &path) = 0;
};

class LibreOfficeConverter final : public Converter {
public:
    // program: the soffice executable; empty looks it up on PATH.
    explicit LibreOfficeConverter(QString program = QString(), QString cacheFolder = defaultCacheFolder());
    Conversion convert(const QString &path) override;
    // Where the PDF of the file as it is now goes (whether or not it exists yet).
    QString cachedPdf(const QString &path) const;

private:
    QString program_;
    QString cache_;
};

// The converter the document viewer uses; tests install their own.
std::shared_ptr<Converter> converter();
void setConverter(std::shared_ptr<Converter> c);

} // namespace office
