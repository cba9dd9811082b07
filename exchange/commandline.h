#pragma once

#include <QString>

#include <functional>

// Export and import without a window, for backups by script:
//   callledger --export prospects|recruits|team|orders FILE.xlsx|FILE.csv
//   callledger --import prospects|recruits FILE.csv [--encoding utf-8|gb18030]
//              [--allow-duplicates]
//   callledger --help
// They work on mwdb.dat in the current folder. Returns -1 when the arguments
// ask for none of this (the program then opens its window; Qt's own options
// pass); an unknown option prints the usage. Otherwise the exit
// code: 0 done, 1 nothing could be done (file missing or unreadable, data file
// missing or damaged), 2 wrong arguments. Creates its own QCoreApplication, so
// it must run before the GUI application object exists.
// enterDataFolder, when given, moves into the data folder (false with the
// reason when it cannot); it runs after FILE has been resolved against the
// folder the command was typed in, and its failure ends the run with code 1.
int runCommandLine(int argc, char *argv[],
                   const std::function<bool(QString *error)> &enterDataFolder = {});
