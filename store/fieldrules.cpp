#include "fieldrules.h"

#include "common/phonenumbers.h"

#include <QDebug>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

bool isPhoneText(const QString &text)
{
    bool digit = false;
    for (const QChar c : text) {
        if (c.isDigit())
            digit = true;
        else if (!isPhoneSignChar(c))
            return false;
    }
    return digit;
}

QString phoneProblem(const QString &label, const QString &text)
{
    if (text.trimmed().isEmpty() || isPhoneText(text))
        return QString();
    return label + QStringLiteral("只能包含数字、空格、+、-和括号");
}

QHash<QString, int> declaredLengths(const QString &table, const QSqlDatabase &db)
{
    static const QRegularExpression sized(QStringLiteral("char\\s*\\(\\s*(\\d+)\\s*\\)"),
                                          QRegularExpression::CaseInsensitiveOption);
    QHash<QString, int> lengths;
    QSqlQuery query(db);
    // The table name is one of the program's own, never typed text.
    if (!query.exec(QStringLiteral("PRAGMA table_info(") + table + QStringLiteral(")"))) {
        qDebug() << "table_info" << table << query.lastError().text();
        return lengths;
    }
    QStringList unsized;
    while (query.next()) {
        const QRegularExpressionMatch match = sized.match(query.value(2).toString());
        if (match.hasMatch())
            lengths.insert(query.value(1).toString(), match.captured(1).toInt());
        else
            unsized.append(query.value(1).toString());
    }
    if (table == QLatin1String("customers")) {
        const QHash<QString, int> recruits = declaredLengths(QStringLiteral("helpers"), db);
        for (const QString &column : std::as_const(unsized)) {
            if (recruits.contains(column))
                lengths.insert(column, recruits.value(column));
        }
    }
    return lengths;
}

QString lengthProblem(const QString &label, const QString &text, int maxLength)
{
    if (maxLength <= 0 || text.size() <= maxLength)
        return QString();
    return QStringLiteral("%1不能超过 %2 个字").arg(label).arg(maxLength);
}
