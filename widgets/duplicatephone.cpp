#include "duplicatephone.h"

#include "widgets/messageboxes.h"

bool confirmPhoneNotDuplicate(QWidget *parent, PersonTable table, const QString &phone)
{
    const QList<PhoneHolder> holders = findPhoneHolders(table, phone);
    if (holders.isEmpty())
        return true;
    return askYesNo(parent,
                    QStringLiteral("该电话号码已经存在:\n%1\n\n是否仍然保存?")
                        .arg(describePhoneHolders(table, holders)),
                    QStringLiteral("提示"), QMessageBox::Warning);
}
