#pragma once
#include <QByteArray>

namespace help {
// The Russian help file every new course gets as "help.hlp": the program's short
// manual, built from the source kept with the program.
QByteArray courseHelpFile();
}
