#pragma once

#include <QModelIndex>
#include <QString>
#include <QStringList>

class QAbstractItemView;
class QLineEdit;

// Helpers shared by the prospect dialog tests.
namespace Fixtures {

struct Prospect
{
    QString name;
    int sex = 1;
    QString birthDate = QStringLiteral("1980-05-06");
    QString phone = QStringLiteral("13800000000");
    QString homeAddress;
    QString company;
    int isContact = 0;
    int userType = 1;
};

Prospect prospect(const QString &name, int userType = 1,
                  const QString &birthDate = QStringLiteral("1980-05-06"),
                  const QString &homeAddress = QString(), int sex = 1);

// Stores the prospect the way the program does (encoded name and company)
// and returns its id, or -1.
int insertProspect(const Prospect &prospect);
// Many numbered prospects "客户<n>" in one transaction, for paging and speed;
// returns the id of the first one.
int insertNumberedProspects(int count, int userType, int firstNumber = 1);

int insertRecruit(const QString &name, int userType, const QString &homeAddress = QString());

// Types as an agent would, through the input method, so that Chinese text
// reaches the field the way a keyboard would bring it.
void typeInto(QLineEdit *edit, const QString &text);

void clickRow(QAbstractItemView *view, int row, int column = 1);
void doubleClickRow(QAbstractItemView *view, int row, int column = 1);

// The texts of one column of the view's model, in row order.
QStringList columnTexts(const QAbstractItemView *view, int column);

} // namespace Fixtures
