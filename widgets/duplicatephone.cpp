#include "duplicatephone.h"

#include "widgets/messageboxes.h"

PhoneSave saveCheckingPhone(QWidget *parent, const QString &phone, const PersonRef &self,
                            const std::function<bool()> &write, const QString &title)
{
    QList<PhoneHolder> accepted;
    for (;;) {
        QList<PhoneHolder> holders;
        switch (writeGuardedByPhone(phone, self, accepted, &holders, write, title)) {
        case PhoneGuardedWrite::Written:
            return PhoneSave::Saved;
        case PhoneGuardedWrite::Failed:
            return PhoneSave::Failed;
        case PhoneGuardedWrite::Held:
            break;
        }
        if (!askYesNo(parent,
                      QStringLiteral("该电话号码已经存在:\n%1\n\n是否仍然保存?")
                          .arg(describePhoneHolders(holders)),
                      QStringLiteral("提示"), QMessageBox::Warning))
            return PhoneSave::Declined;
        accepted = holders;
    }
}
