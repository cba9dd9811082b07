#pragma once

// Tells whether the data may have changed since it last said so: a write on
// the GUI connection (SQLite's change counter of that connection, which also
// sees edits submitted through table models) or a commit by any other
// connection or process (PRAGMA data_version). Reading it costs one cheap
// pragma and no table access, so a one-second timer can ask every tick.
class DataChangeWatch
{
public:
    // True on the first call, then whenever something may have changed since
    // the previous call. Ask before reading the data, so that a commit made
    // during the read is seen at the next call.
    bool changed();

private:
    long long m_dataVersion = -1;
    long long m_ownChanges = -1;
};
