#include "CourseHelp.h"

#include <cstddef>

namespace help {

// Generated at build time from help/manual.but (see help.cmake).
extern const unsigned char kCourseHelpData[];
extern const std::size_t kCourseHelpSize;

QByteArray courseHelpFile()
{
    return QByteArray(reinterpret_cast<const char *>(kCourseHelpData), qsizetype(kCourseHelpSize));
}

} // namespace help
