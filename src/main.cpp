#include "app/Startup.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    // Answered before the window system is touched, so both work without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::fputs("etextbook " ETEXTBOOK_VERSION "\n", stdout);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs("Использование: etextbook [--version | --help]\n"
                   "Запускает «Электронный учебник» с курсом рабочей папки (db.mdb, Clear.htm,\n"
                   "help.hlp). Из меню программу запускает etextbook-launcher, который сам\n"
                   "выбирает папку курса; новую папку курса создаёт etextbook-db.\n"
                   "Подробнее: man etextbook, man etextbook-launcher, man etextbook-db\n",
                   stdout);
        return 0;
    }
    return app::run(argc, argv);
}
