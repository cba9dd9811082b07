#include "phonenumbers.h"

#include <algorithm>

namespace {
bool isOpening(QChar c)
{
    return c == u'(' || c == u'\uFF08';
}

bool isClosing(QChar c)
{
    return c == u')' || c == u'\uFF09';
}

bool isSeparator(QChar c)
{
    return QStringView(u"/,;\u3001\uFF0F\uFF0C\uFF1B").contains(c);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\u3000';
}

// The text without the bracketed notes that follow a digit of the same
// number; brackets around digits ("(010) 6552-1234") stay. A note that is
// never closed runs to the end.
QString withoutNotes(const QString &text)
{
    QString kept;
    kept.reserve(text.size());
    bool digitSeen = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (isSeparator(c))
            digitSeen = false;
        else if (c.isDigit())
            digitSeen = true;
        if (digitSeen && isOpening(c)) {
            qsizetype end = i + 1;
            bool note = false;
            while (end < text.size() && !isClosing(text.at(end))) {
                const QChar inner = text.at(end);
                note = note || !(inner.isDigit() || isPhoneSignChar(inner));
                ++end;
            }
            if (note || end == text.size()) {
                i = end; // past the closing bracket
                continue;
            }
        }
        kept += c;
    }
    return kept;
}

// One number as it dials; empty when it is none.
QString dialForm(QStringView number)
{
    QString digits;
    bool plus = false;
    for (const QChar c : number) {
        if (c.isDigit() && c.digitValue() >= 0)
            digits += QChar(u'0' + c.digitValue());
        else if (c == u'+' || c == u'\uFF0B') {
            // One "+", before the digits: anywhere else it is no number.
            if (plus || !digits.isEmpty())
                return QString();
            plus = true;
        }
    }
    if (digits.isEmpty() || digits.size() > maxDialDigits)
        return QString();
    if (!plus && digits.startsWith(QLatin1String("0086")))
        return QLatin1String("+86") + digits.mid(4);
    return plus ? QLatin1Char('+') + digits : digits;
}

int digitCount(QStringView text)
{
    int count = 0;
    for (const QChar c : text)
        count += c.isDigit() ? 1 : 0;
    return count;
}
} // namespace

bool isPhoneSignChar(QChar c)
{
    return QStringView(u" +-()\u3000\uFF0B\uFF0D\uFF08\uFF09").contains(c);
}

QStringList dialableNumbers(const QString &text)
{
    const QString plain = withoutNotes(text);
    QList<QStringView> parts;
    qsizetype begin = 0;
    for (qsizetype i = 0; i <= plain.size(); ++i) {
        if (i < plain.size() && !isSeparator(plain.at(i))) {
            const QChar c = plain.at(i);
            if (!c.isDigit() && !isPhoneSignChar(c))
                return {};
            continue;
        }
        const QStringView part = QStringView(plain).mid(begin, i - begin).trimmed();
        if (!part.isEmpty()) {
            // Blanks part complete numbers only ("13911112222 13933334444");
            // within one number they group its digits ("138 0013 8000").
            QList<QStringView> words;
            qsizetype start = -1;
            for (qsizetype j = 0; j <= part.size(); ++j) {
                const bool blank = j == part.size() || isBlank(part.at(j));
                if (!blank && start < 0)
                    start = j;
                else if (blank && start >= 0) {
                    words.append(part.mid(start, j - start));
                    start = -1;
                }
            }
            const bool separateNumbers =
                words.size() > 1 && std::all_of(words.begin(), words.end(),
                                                [](QStringView w) { return digitCount(w) >= 7; });
            if (separateNumbers)
                parts.append(words);
            else
                parts.append(part);
        }
        begin = i + 1;
    }
    QStringList numbers;
    for (const QStringView part : std::as_const(parts)) {
        const QString number = dialForm(part);
        if (number.isEmpty())
            return {};
        if (!numbers.contains(number))
            numbers.append(number);
    }
    return numbers;
}
