#pragma once

class QtSingleApplication;

// The whole life of the program on an existing application object, in order:
// single-instance test, Qt's Chinese texts, driver check, settings and
// database, main window and event loop, closing the database. Returns the
// exit code: 0 for a normal end or a second instance, 1 when the driver or
// the database fails (after a message).
int runApplication(QtSingleApplication &app);
