// Prints the course tool's manual page from the same table as its --help, at
// build time: make_manpage VERSION DATE OUTPUT
#include "Usage.h"

#include <QFile>
#include <QString>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_manpage VERSION DATE OUTPUT\n");
        return 2;
    }
    QFile out(QString::fromLocal8Bit(argv[3]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "make_manpage: cannot write %s\n", argv[3]);
        return 1;
    }
    const QByteArray page = usage::manPage(QString::fromUtf8(argv[1]), QString::fromUtf8(argv[2])).toUtf8();
    return out.write(page) == page.size() ? 0 : 1;
}
