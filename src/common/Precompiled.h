// The Qt headers nearly every file of the program includes, compiled once per
// target to keep builds on small machines short.
#pragma once
#include <QtCore/QtCore>
#include <QtGui/QtGui>
#include <QtSql/QtSql>
#include <QtWidgets/QtWidgets>
