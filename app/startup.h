#pragma once

// Start-up steps used by main, in this order after the single-instance test.

// Shows Qt's own texts (button captions, calendar names) in Chinese, like
// every text of the program. Returns false when Qt's translation is missing.
bool useChineseLocale();

// True when the SQLite driver plugin can be loaded.
bool loadSqlDriver();
// Loads the settings, then opens the database and creates missing tables.
// On failure the store has already reported why.
bool loadSettingsAndDatabase();
