#include "opencall.h"

#include "calling/calldialog.h"
#include "calling/callhelperdialog.h"
#include "store/customerstore.h"
#include "store/helperstore.h"

#include <memory>

namespace {
template <typename Dialog> bool runOnFirstRow(QWidget *parent, QSqlQueryModel *list)
{
    const std::unique_ptr<QSqlQueryModel> model(list);
    if (model->rowCount() == 0)
        return false;
    Dialog dialog(model.get(), model->index(0, 0), parent);
    dialog.exec();
    return dialog.isSaved();
}
} // namespace

bool runCallDialogForPerson(QWidget *parent, bool prospect, qint64 id)
{
    const QString condition = QStringLiteral("id = ") + QString::number(id);
    if (prospect)
        return runOnFirstRow<CallDialog>(parent, loadCustomersModel(nullptr, condition, 0, 0));
    return runOnFirstRow<CallHelperDialog>(parent, loadHelpersModel(nullptr, condition));
}
