#include "prospectfixtures.h"

#include "store/database.h"
#include "store/nameencoding.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace Fixtures {

namespace {
const QString insertStatement =
    QStringLiteral("INSERT INTO customers(name, sex, birth_date, phone_number, home_address, "
                   "home_tel, company_name, office, is_contact, user_type) "
                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

bool bindAndRun(QSqlQuery &query, const Prospect &p)
{
    query.addBindValue(encodeName(p.name));
    query.addBindValue(p.sex);
    query.addBindValue(p.birthDate);
    query.addBindValue(p.phone);
    query.addBindValue(p.homeAddress);
    query.addBindValue(QString());
    query.addBindValue(encodeName(p.company));
    query.addBindValue(QString());
    query.addBindValue(p.isContact);
    query.addBindValue(p.userType);
    if (!query.exec()) {
        qWarning() << "insert prospect:" << query.lastError().text();
        return false;
    }
    return true;
}
} // namespace

Prospect prospect(const QString &name, int userType, const QString &birthDate,
                  const QString &homeAddress, int sex)
{
    Prospect p;
    p.name = name;
    p.userType = userType;
    p.birthDate = birthDate;
    p.homeAddress = homeAddress;
    p.sex = sex;
    return p;
}

int insertProspect(const Prospect &prospect)
{
    QSqlQuery query;
    query.prepare(insertStatement);
    if (!bindAndRun(query, prospect))
        return -1;
    return query.lastInsertId().toInt();
}

int insertNumberedProspects(int count, int userType, int firstNumber)
{
    QSqlDatabase db = QSqlDatabase::database();
    db.transaction();
    QSqlQuery query;
    query.prepare(insertStatement);
    int firstId = -1;
    for (int i = 0; i < count; ++i) {
        Prospect p;
        p.name = QStringLiteral("客户%1").arg(firstNumber + i);
        p.userType = userType;
        if (!bindAndRun(query, p)) {
            db.rollback();
            return -1;
        }
        if (i == 0)
            firstId = query.lastInsertId().toInt();
    }
    db.commit();
    return firstId;
}

int insertRecruit(const QString &name, int userType, const QString &homeAddress)
{
    QSqlQuery query;
    query.prepare(QStringLiteral(
        "INSERT INTO helpers(name, sex, birth_date, phone_number, home_address, home_tel, "
        "company_name, office, is_contact, user_type) VALUES (?, 0, '1985-01-01', '139', ?, '', "
        "'', '', 0, ?)"));
    query.addBindValue(name);
    query.addBindValue(homeAddress);
    query.addBindValue(userType);
    if (!query.exec()) {
        qWarning() << "insert recruit:" << query.lastError().text();
        return -1;
    }
    return query.lastInsertId().toInt();
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(edit, Qt::Key_Backspace);
        return;
    }
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

void clickRow(QAbstractItemView *view, int row, int column)
{
    const QRect rect = view->visualRect(view->model()->index(row, column));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

void doubleClickRow(QAbstractItemView *view, int row, int column)
{
    const QRect rect = view->visualRect(view->model()->index(row, column));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

QStringList columnTexts(const QAbstractItemView *view, int column)
{
    QStringList texts;
    const QAbstractItemModel *model = view->model();
    if (!model)
        return texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts.append(model->index(row, column).data().toString());
    return texts;
}

} // namespace Fixtures
