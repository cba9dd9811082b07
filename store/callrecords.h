#pragma once

class QSqlDatabase;

// Side tables that add to a contact log what the fixed log tables have no
// column for, keyed by the kind of person (1 prospects, 2 recruits) and the
// log's id:
//   contact_durations(kind, log_id, seconds)  talk time of the call
//   contact_outcomes(kind, log_id, outcome)   how the call ended (its text)
// Created IF NOT EXISTS with the schema; the log tables stay as they are.
bool prepareCallRecords(QSqlDatabase &db);
