#pragma once

#include <QString>

// The program's own version, shown with two decimals and compared with the
// version the web service reports.
inline constexpr double programVersion = 1.08;

inline QString programVersionText() { return QString::number(programVersion, 'f', 2); }
