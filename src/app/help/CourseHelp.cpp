#include "CourseHelp.h"

namespace help {
// Placeholder until the manual is built from its source.
QByteArray courseHelpFile() { return QByteArray(); }
}
