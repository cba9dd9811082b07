#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The link a number is dialled through: the agent's pattern ("拨号方式",
// "tel:{number}" by default, or "sip:{number}@pbx.example.com",
// "callto:{number}") with the number's digits put in, percent-encoded.

// The schemes a pattern may use: those of telephones and softphones.
QStringList dialSchemes();

// Why the pattern cannot be used (for a message), or an empty text.
QString dialTemplateProblem(const QString &pattern);

// The link for a text holding one number that may be dialled (dialDigits);
// invalid for any other text, or when the pattern is unusable.
QUrl dialLink(const QString &pattern, const QString &phone);
