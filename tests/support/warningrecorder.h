#pragma once

#include <QList>
#include <QString>

// Captures what the store reports instead of showing it; restores the
// previous behaviour on destruction.
class WarningRecorder
{
public:
    struct Warning
    {
        QString title;
        QString text;
    };

    WarningRecorder();
    ~WarningRecorder();

    const QList<Warning> &warnings() const { return m_warnings; }
    int count() const { return int(m_warnings.size()); }
    void clear() { m_warnings.clear(); }

private:
    QList<Warning> m_warnings;
};
