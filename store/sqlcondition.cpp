#include "sqlcondition.h"

#include "store/cleantext.h"

namespace {
QString likePattern(const QString &typed)
{
    QString escaped;
    escaped.reserve(typed.size() + 2);
    for (const QChar c : typed) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return sqlQuoted(QLatin1Char('%') + escaped + QLatin1Char('%')) + QLatin1String(" ESCAPE '\\'");
}
} // namespace

QString sqlQuoted(const QString &text)
{
    QString quoted = cleanText(text);
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString likeContains(const QString &column, const QString &typed)
{
    return column + QLatin1String(" LIKE ") + likePattern(typed);
}

QString encodedNameContains(const QString &column, const QString &typed)
{
    return QLatin1String("decode_name(") + column + QLatin1String(") LIKE ") + likePattern(typed);
}
