#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// What a stored telephone text may dial. The text passes the phone rule
// (digits, full-width ones too, blanks, "+", "-" and brackets); it may hold
// several numbers, separated by "/", ",", ";" or "、" (full-width ones too),
// or by blanks when each blank-separated part is a complete number (seven
// digits or more); a bracketed note after a number ("13955556666(晚上8点后)")
// is no part of it. Each number dials as its digits, with one leading "+"
// when written so; a leading "0086" dials as "+86".

// The longest number that is dialled; more digits are no telephone number.
inline constexpr int maxDialDigits = 20;

// A character the phone rule allows besides the digits.
bool isPhoneSignChar(QChar c);

// The numbers to offer, in the order written, each once ("+8613800138000",
// "01065521234"). Empty when the text holds no number, fails the phone rule
// anywhere outside a note, or holds a number longer than maxDialDigits.
QStringList dialableNumbers(const QString &text);
