#pragma once

#include <QString>

// Typed text never reaches SQL unquoted: these build the conditions the
// dialogs hand to the store, with quotes doubled and LIKE wildcards escaped,
// so that ', %, _ and \ in the text match themselves.

// A quoted SQL string literal of the text.
QString sqlQuoted(const QString &text);

// "<column> LIKE '%text%' ESCAPE '\'": the column contains the text.
QString likeContains(const QString &column, const QString &typed);

// The same over a Base64-stored prospect name, compared in its readable form.
QString encodedNameContains(const QString &column, const QString &typed);
