#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh working folder and settings location for one test: mwdb.dat and
// the settings file are created inside it and vanish with it.
class TestWorkspace
{
public:
    TestWorkspace();
    ~TestWorkspace();
    TestWorkspace(const TestWorkspace &) = delete;
    TestWorkspace &operator=(const TestWorkspace &) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Creates the schema through the program's own start-up path; fails the
    // test when that is not possible.
    bool openDatabase();
    // Closes and forgets the default connection (models using it must be gone).
    void closeDatabase();

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
};

// Runs one statement on the default connection and returns the first column
// of the first row (invalid when there is none); for checking what was stored.
class QVariant;
QVariant queryValue(const QString &sql);
// Executes a statement on the default connection; returns false on failure.
bool execSql(const QString &sql);
