#pragma once

#include <QString>

// Started from the desktop menu, the working folder is the home folder and
// mwdb.dat would land there loose. The menu entry passes this option, and the
// program then works in its own owner-only data folder instead; started from a
// terminal without it, the current folder is used as always.
inline constexpr char dataHomeOption[] = "--data-home";

// Removes the option from the arguments before Qt sees them; true when it was
// given.
bool takeDataHomeOption(int &argc, char **argv);

// $XDG_DATA_HOME/CallLedger, or ~/.local/share/CallLedger when the variable
// is unset or not an absolute path.
QString dataHomeFolder();

// Creates the data folder (mode 0700), makes an existing one owner-only, and
// makes it the working folder. On failure the working folder is unchanged
// and *error names the folder and the reason.
bool enterDataHome(QString *error);
