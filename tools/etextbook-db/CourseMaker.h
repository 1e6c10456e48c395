#pragma once
// Makes course folders: an empty course, or the demo course built into this tool.
// Both throw AppError with a Russian text; on failure everything they wrote is
// removed again, so the folder is as it was and the command can simply be re-run.
#include <QString>
#include <QStringList>

namespace course {

// Lines of the summary printed after success.
QStringList createEmpty(const QString &dir, const QString &adminPassword);
QStringList createDemo(const QString &dir);

// The password of "Admin" in the demo course.
inline constexpr const char *kDemoAdminPassword = "admin";

} // namespace course
