#include "diallink.h"

#include "store/phonekeys.h"

#include <cctype>

namespace {
const QString placeholder = QStringLiteral("{number}");
constexpr int maxPatternLength = 200;

QUrl linkWith(const QString &pattern, const QString &digits)
{
    QString text = pattern.trimmed();
    text.replace(placeholder, QString::fromLatin1(QUrl::toPercentEncoding(digits, "+")));
    return QUrl(text, QUrl::StrictMode);
}
} // namespace

QStringList dialSchemes()
{
    return {QStringLiteral("tel"), QStringLiteral("sip"), QStringLiteral("sips"),
            QStringLiteral("callto")};
}

QString dialTemplateProblem(const QString &pattern)
{
    const QString text = pattern.trimmed();
    if (text.size() > maxPatternLength)
        return QStringLiteral("拨号方式不能超过 %1 个字符.").arg(maxPatternLength);
    if (!text.contains(placeholder))
        return QStringLiteral("拨号方式必须包含 {number}, 拨号时换成号码.");
    const QString scheme = text.section(QLatin1Char(':'), 0, 0).toLower();
    if (!text.contains(QLatin1Char(':')) || !dialSchemes().contains(scheme))
        return QStringLiteral("拨号方式只能以 %1 开头.")
            .arg(dialSchemes().join(QStringLiteral(": ")) + QLatin1Char(':'));
    // A decoded control character or blank would reach the handler as a
    // line break or a second argument ("%0a--help").
    for (qsizetype i = text.indexOf(QLatin1Char('%')); i >= 0;
         i = text.indexOf(QLatin1Char('%'), i + 1)) {
        const QByteArray code = text.mid(i + 1, 2).toLatin1();
        const bool hex = code.size() == 2 && isxdigit(code.at(0)) && isxdigit(code.at(1));
        const int byte = hex ? code.toInt(nullptr, 16) : -1;
        if (hex && (byte <= 0x20 || byte == 0x7F))
            return QStringLiteral("拨号方式不能包含编码的控制字符或空格 (%1).").arg(text.mid(i, 3));
    }
    const QUrl sample = linkWith(text, QStringLiteral("+8613800138000"));
    if (!sample.isValid() || sample.scheme().toLower() != scheme)
        return QStringLiteral("拨号方式不是有效的链接.");
    return QString();
}

QUrl dialLink(const QString &pattern, const QString &phone)
{
    const QString digits = dialDigits(phone);
    if (digits.isEmpty() || !dialTemplateProblem(pattern).isEmpty())
        return QUrl();
    return linkWith(pattern, digits);
}
