// The real program (the same start-up as main.cpp) driven through the
// everyday steps of an agent: start-up to an idle window, every list opened
// and scrolled to its end, the prospect list searched and paged to its end, a
// call saved with 保存并继续, the search box (a name, a prefix, digits
// inside), the month's calendar, the board after another program wrote, the
// statistics. Each step is announced on stdout as "hh:mm:ss.zzz step <name>";
// tools/stallcheck.sh puts the stall logger's gaps under them. The driver
// itself never blocks: every action is a queued call from a timer, so a gap
// is always the program's.
//
//   stalldriver   (in the folder of the mwdb.dat to drive)

#include "app/application.h"
#include "app/qtsingleapplication.h"
#include "store/databasethread.h"
#include "widgets/messageboxes.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

namespace {
struct Step
{
    QString name;
    std::function<void()> act;
    int waitMs;
};

void announce(const QString &name)
{
    std::printf("%s step %s\n",
                qPrintable(QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz"))),
                qPrintable(name));
    std::fflush(stdout);
}

QMainWindow *mainWindow()
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<QMainWindow *>(top); window && window->isVisible())
            return window;
    }
    return nullptr;
}

QWidget *front()
{
    QWidget *modal = QApplication::activeModalWidget();
    return modal ? modal : mainWindow();
}

template <typename T> T *child(const char *name)
{
    QWidget *window = front();
    return window ? window->findChild<T *>(QLatin1String(name)) : nullptr;
}

// Through the event loop, as a click would: a modal dialog opened by it runs
// its own loop, in which the next steps go on.
void trigger(const char *action)
{
    if (QMainWindow *window = mainWindow()) {
        if (auto *found = window->findChild<QAction *>(QLatin1String(action)))
            QMetaObject::invokeMethod(found, &QAction::trigger, Qt::QueuedConnection);
    }
}

void closeFront()
{
    if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
        QMetaObject::invokeMethod(
            dialog, [dialog] { dialog->QDialog::done(QDialog::Rejected); }, Qt::QueuedConnection);
}

void ctrlEnd(const char *view)
{
    if (auto *table = child<QTableView>(view)) {
        table->setFocus();
        QTest::keyClick(table, Qt::Key_End, Qt::ControlModifier);
    }
}

void click(const char *button)
{
    if (auto *found = child<QAbstractButton>(button))
        QMetaObject::invokeMethod(found, &QAbstractButton::click, Qt::QueuedConnection);
}

// Chinese text arrives through the input method, as it does when typed.
void typeText(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

QList<Step> everydaySteps(DatabaseThread *writer)
{
    QList<Step> steps{{QStringLiteral("start-up, idle window"), [] {}, 2500}};
    const QList<std::pair<const char *, const char *>> lists = {
        {"action_first_phone_customers", "今日需首次联系的准客户"},
        {"action_today_subscribe_customers", "今日需再次电话联系的准客户"},
        {"action_today_visit_customers", "今日需约访的准客户"},
        {"action_today_contacted_customers", "今日已联系客户"},
        {"action_first_phone_helper", "今日需首次联系的准增员"},
        {"action_today_subscribe_helpers", "今日需再次电话联系的准增员"},
        {"action_today_visit_helpers", "今日需约访的准增员"},
        {"action_useless_customers", "放弃的准客户"},
        {"action_unless_helpers", "放弃的准增员"},
        {"action_recruiting", "准增员名单列表"},
        {"action_customers", "准客户名单列表"},
    };
    for (const auto &[action, title] : lists) {
        const QString name = QString::fromUtf8(title);
        steps << Step{QStringLiteral("open ") + name, [action = action] { trigger(action); }, 1500}
              << Step{name + QStringLiteral(": Ctrl+End"), [] { ctrlEnd("tableView"); }, 1500}
              << Step{name + QStringLiteral(": close"), closeFront, 800};
    }
    steps << Step{QStringLiteral("open 准客户名单列表 to search"),
                  [] { trigger("action_customers"); }, 1500}
          << Step{QStringLiteral("准客户名单列表: search 张伟"),
                  [] {
                      if (auto *name = child<QLineEdit>("lineEditName")) {
                          name->setText(QStringLiteral("张伟"));
                          click("pushButtonSearch");
                      }
                  },
                  1500}
          << Step{QStringLiteral("准客户名单列表: last page"),
                  [] {
                      if (auto *pages = child<QComboBox>("comboBoxPages"))
                          pages->setCurrentIndex(pages->count() - 1);
                  },
                  1500}
          << Step{QStringLiteral("准客户名单列表: close"), closeFront, 800};
    steps << Step{QStringLiteral("open 本月行事历"), [] { trigger("action_month_do_something"); },
                  1500}
          << Step{QStringLiteral("本月行事历: Ctrl+End, prospects"), [] { ctrlEnd("tableView"); },
                  2000}
          << Step{QStringLiteral("本月行事历: Ctrl+End, recruits"),
                  [] { ctrlEnd("tableViewHelper"); }, 1500}
          << Step{QStringLiteral("本月行事历: close"), closeFront, 800};
    const auto saveCall = [] {
        if (auto *note = child<QTextEdit>("textEditPhoneContent"))
            note->setPlainText(QStringLiteral("测速: 谈过, 下次再联系"));
        click("radioButtonPhoneMode");
        click("radioButtonNextPhoneTime");
        click("pushButtonSave");
    };
    steps << Step{QStringLiteral("open 今日需再次电话联系的准客户 to call"),
                  [] { trigger("action_today_subscribe_customers"); }, 1500}
          << Step{QStringLiteral("open the call dialog"),
                  [] {
                      if (auto *view = child<QTableView>("tableView"))
                          QMetaObject::invokeMethod(
                              view,
                              [view] {
                                  if (view->model() && view->model()->rowCount() > 0)
                                      emit view->doubleClicked(view->model()->index(0, 1));
                              },
                              Qt::QueuedConnection);
                  },
                  1500}
          << Step{QStringLiteral("call dialog: 保存并继续"), saveCall, 1500}
          << Step{QStringLiteral("call dialog: 保存并继续 again"), saveCall, 1500}
          << Step{QStringLiteral("call dialog: close"), closeFront, 1000}
          << Step{QStringLiteral("follow-up list: close"), closeFront, 800};
    const auto search = [](const QString &text) {
        return [text] {
            if (auto *box = child<QLineEdit>("lineEditSearch"))
                typeText(box, text);
        };
    };
    steps << Step{QStringLiteral("search box: name 张伟"), search(QStringLiteral("张伟")), 1500}
          << Step{QStringLiteral("search box: one character 张"), search(QStringLiteral("张")),
                  1500}
          << Step{QStringLiteral("search box: prefix 138"), search(QStringLiteral("138")), 1500}
          << Step{QStringLiteral("search box: digits inside 0013"), search(QStringLiteral("0013")),
                  1500}
          << Step{QStringLiteral("search box: two digits 13"), search(QStringLiteral("13")), 1500}
          << Step{QStringLiteral("search box: close"),
                  [] {
                      if (auto *box = child<QLineEdit>("lineEditSearch"))
                          QTest::keyClick(box, Qt::Key_Escape);
                  },
                  500};
    steps << Step{QStringLiteral("another program saves a call: the board recounts"),
                  [writer] {
                      writer->post([](const QSqlDatabase &db) {
                          QSqlQuery(db).exec(QStringLiteral(
                              "INSERT INTO customers_tel_logs(customer_id, add_time, "
                              "contact_type, content, next_contact_time, next_contact_type) "
                              "SELECT 1, strftime('%s', 'now'), 1, 'x', strftime('%s', 'now'), "
                              "1"));
                      });
                  },
                  2500}
          << Step{QStringLiteral("open 工作统计"), [] { trigger("action_statistics"); }, 4000}
          << Step{QStringLiteral("工作统计: close"), closeFront, 1000}
          << Step{QStringLiteral("退出系统"), [] { trigger("action_exit"); }, 0};
    return steps;
}

class Driver : public QObject
{
public:
    Driver() : m_writer(QStringLiteral("stallcheck-writer"))
    {
        // Boxes are answered at once (their safe answer) and noted: a box
        // nobody expected would wait for a click forever.
        setMessagePresenter([](const MessageRequest &request) {
            announce(QStringLiteral("box: ") + request.text.simplified().left(60));
            return request.kind == MessageKind::Question ? QMessageBox::No : QMessageBox::Ok;
        });
        QTimer::singleShot(0, this, [this] { waitForWindow(); });
    }

private:
    void waitForWindow()
    {
        QMainWindow *window = mainWindow();
        if (!window || !window->isVisible()) {
            QTimer::singleShot(20, this, [this] { waitForWindow(); });
            return;
        }
        m_steps = everydaySteps(&m_writer);
        next();
    }

    void next()
    {
        if (m_at >= m_steps.size())
            return;
        const Step &step = m_steps.at(m_at++);
        announce(step.name);
        step.act();
        QTimer::singleShot(step.waitMs, this, [this] { next(); });
    }

    DatabaseThread m_writer;
    QList<Step> m_steps;
    qsizetype m_at = 0;
};
} // namespace

int main(int argc, char **argv)
{
    QtSingleApplication app(argc, argv);
    Driver driver;
    announce(QStringLiteral("start-up, before the window shows"));
    const int code = runApplication(app);
    // The time from 退出系统 to here is what quitting takes.
    announce(QStringLiteral("ended"));
    return code;
}
