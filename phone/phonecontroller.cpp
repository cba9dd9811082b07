#include "phonecontroller.h"

#include "common/dateutils.h"
#include "phone/missedcallsdialog.h"
#include "phone/phonepassword.h"
#include "phone/phonewindows.h"
#include "phone/softphone.h"
#include "store/phonerecords.h"
#include "widgets/statusnotices.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>

namespace {
PhoneController *current = nullptr;
}

PhoneController::PhoneController(QMainWindow *window, const Hooks &hooks,
                                 const SoftPhone::Setup &given)
    : QObject(window), m_window(window), m_hooks(hooks), m_bindAddress(given.bindAddress)
{
    current = this;
    SoftPhone::Setup setup = given;
    // liblinphone's own files: a private folder of the data home.
    if (setup.privateFolder.isEmpty())
        setup.privateFolder = QDir::current().absoluteFilePath(QStringLiteral("softphone"));
    m_phone = new SoftPhone(setup, this);
    m_statusLabel = StatusNotices::of(window->statusBar())
                        ->label(QStringLiteral("phone"), QStringLiteral("statusPhoneLabel"));
    connect(m_phone, &SoftPhone::statusChanged, this, &PhoneController::showStatus);
    connect(m_phone, &PhoneLine::incomingCall, this, &PhoneController::incoming);
    connect(m_phone, &PhoneLine::missedCallsChanged, this, &PhoneController::recountMissed);
    connect(m_phone, &PhoneLine::callChanged, this, [this] {
        // After every bar has followed the change.
        QTimer::singleShot(0, this, &PhoneController::followCall);
    });
    // A normal end (the window closed, or SIGTERM through the normal quit)
    // hangs up first, while the data file is still open for the call's rest.
    connect(qApp, &QCoreApplication::aboutToQuit, m_phone, &SoftPhone::hangUpForQuit);

    const PhoneAccount account = loadPhoneAccount();
    const PhoneOptions options = loadPhoneOptions();
    m_phone->setOptions(options);
    if (account.enabled && account.complete()) {
        PhonePassword::read(account, this,
                            [this, account, options](const QString &password, const QString &note) {
                                m_note = note;
                                m_phone->apply(account, password, options);
                            });
    }
    pruneOldRecordings();
    recountMissed();
}

PhoneController::~PhoneController()
{
    if (current == this)
        current = nullptr;
    delete m_incoming.data();
    delete m_callWindow.data();
}

PhoneController *PhoneController::instance()
{
    return current;
}

void PhoneController::apply(const PhoneAccount &account, const QString &password,
                            const PhoneOptions &options)
{
    m_phone->apply(account, password, options);
    pruneOldRecordings();
}

void PhoneController::showNote(const QString &note)
{
    m_note = note;
    showStatus();
}

void PhoneController::showStatus()
{
    QString text = m_phone->statusText();
    if (!text.isEmpty() && !m_note.isEmpty())
        text += QStringLiteral(" (%1)").arg(m_note);
    const bool trouble = m_phone->registration() == SoftPhone::Registration::Refused ||
                         m_phone->registration() == SoftPhone::Registration::Waiting ||
                         m_phone->registration() == SoftPhone::Registration::Broken;
    StatusNotices::of(m_window->statusBar())
        ->set(QStringLiteral("phone"), text,
              trouble ? StatusNotices::Tone::Alarm : StatusNotices::Tone::Plain);
}

void PhoneController::recountMissed()
{
    m_missed = countMissedCalls();
    emit missedCallsCounted(m_missed);
}

void PhoneController::showMissedCalls()
{
    MissedCallsDialog dialog(m_window);
    dialog.exec();
    recountMissed();
}

void PhoneController::incoming()
{
    const CallParty party = m_phone->party();
    delete m_incoming.data();
    auto *window = new IncomingCallWindow(party, QString());
    m_incoming = window;
    connect(window, &IncomingCallWindow::declined, m_phone, &SoftPhone::hangUp);
    connect(window, &IncomingCallWindow::answered, this, [this, party] {
        m_phone->answer();
        // The person's call dialog, with the call running in its bar; an
        // unknown number goes into a new prospect.
        if (party.kind != 0 && party.personId >= 0) {
            if (m_hooks.openPerson)
                m_hooks.openPerson(party.kind, party.personId);
        } else if (m_hooks.addProspect) {
            m_hooks.addProspect(party.digits);
        }
    });
    window->show();
    if (m_hooks.notify)
        m_hooks.notify(QStringLiteral("来电"), IncomingCallWindow::describe(party, QString()),
                       [this] {
                           if (m_incoming) {
                               m_incoming->raise();
                               m_incoming->activateWindow();
                           }
                       });
}

void PhoneController::followCall()
{
    if (m_incoming && m_phone->phase() != CallPhase::Incoming)
        m_incoming->close();
    const bool unseen =
        m_phone->inCall() && m_phone->phase() != CallPhase::Incoming && m_phone->viewers() == 0;
    if (unseen && !m_callWindow) {
        m_callWindow = new CallWindow;
        m_callWindow->show();
    }
}

void PhoneController::pruneOldRecordings()
{
    tidyRecordings();
    const int days = loadPhoneOptions().keepRecordingDays;
    if (days <= 0)
        return;
    const PruneReport report = pruneRecordings(days, nowTime());
    if (report.files > 0 || !report.problems.isEmpty())
        m_window->statusBar()->showMessage(QStringLiteral("录音: ") + pruneReportText(report),
                                           60 * 1000);
}
