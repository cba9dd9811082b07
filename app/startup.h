#pragma once

// Start-up steps used by main, in this order after the single-instance test.

// True when the SQLite driver plugin can be loaded.
bool loadSqlDriver();
// Loads the settings, then opens the database and creates missing tables.
// On failure the store has already reported why.
bool loadSettingsAndDatabase();
