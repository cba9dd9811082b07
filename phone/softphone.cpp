#include "softphone.h"

#include "common/calltools.h"
#include "common/dateutils.h"
#include "store/phonekeys.h"
#include "store/phonerecords.h"

#include <linphone++/linphone.hh>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

namespace {
using State = linphone::Call::State;

std::string folderPath(const QString &folder)
{
    // liblinphone puts files beside a folder given without the slash.
    return QDir::cleanPath(folder).toStdString() + "/";
}

std::string inFolder(const QString &folder, const char *name)
{
    return QDir(folder).filePath(QLatin1String(name)).toStdString();
}

class Listener : public linphone::CoreListener
{
public:
    explicit Listener(SoftPhone *phone) : phone(phone) {}
    void onCallStateChanged(const std::shared_ptr<linphone::Core> &,
                            const std::shared_ptr<linphone::Call> &call,
                            linphone::Call::State state, const std::string &) override
    {
        if (phone)
            phone->onCallState(call, int(state));
    }
    void onAccountRegistrationStateChanged(const std::shared_ptr<linphone::Core> &,
                                           const std::shared_ptr<linphone::Account> &account,
                                           linphone::RegistrationState state,
                                           const std::string &) override
    {
        if (phone)
            phone->onRegistrationState(account, int(state));
    }
    SoftPhone *phone;
};

// What the reason of an unanswered outgoing call means to the agent: the
// text after "已结束: " and the outcome it suggests.
std::pair<QString, QString> unansweredEnd(linphone::Reason reason, int code)
{
    const QStringList outcomes = fixedCallOutcomes(); // 未接通, 拒接/挂断, 空号/错号, ...
    switch (reason) {
    case linphone::Reason::Busy:
        return {QStringLiteral("对方忙"), outcomes.at(1)};
    case linphone::Reason::Declined:
        return {QStringLiteral("对方拒接"), outcomes.at(1)};
    case linphone::Reason::NotFound:
    case linphone::Reason::AddressIncomplete:
    case linphone::Reason::Gone:
        return {QStringLiteral("空号或号码错误"), outcomes.at(2)};
    case linphone::Reason::NotAnswered:
        return {QStringLiteral("无人接听"), outcomes.at(0)};
    case linphone::Reason::Unauthorized:
    case linphone::Reason::Forbidden:
        return {QStringLiteral("电话账号认证失败"), QString()};
    case linphone::Reason::IOError:
    case linphone::Reason::NoResponse:
    case linphone::Reason::ServerTimeout:
    case linphone::Reason::TemporarilyUnavailable:
    case linphone::Reason::BadGateway:
        return {QStringLiteral("无法接通 (网络或服务器无应答)"), outcomes.at(0)};
    default:
        break;
    }
    if (code == 404 || code == 484 || code == 604)
        return {QStringLiteral("空号或号码错误"), outcomes.at(2)};
    if (code == 408 || code == 477 || code == 480 || code >= 500)
        return {QStringLiteral("无法接通 (网络或服务器无应答)"), outcomes.at(0)};
    return {code > 0 ? QStringLiteral("未接通 (%1)").arg(code) : QStringLiteral("未接通"),
            outcomes.at(0)};
}

QString registrationFailure(linphone::Reason reason, int code, const QString &transport)
{
    switch (reason) {
    case linphone::Reason::Unauthorized:
    case linphone::Reason::Forbidden:
        return QStringLiteral("密码错误");
    case linphone::Reason::NotFound:
        return QStringLiteral("账号不存在");
    case linphone::Reason::IOError:
        return transport == QLatin1String("tls") ? QStringLiteral("TLS 连接失败")
                                                 : QStringLiteral("无法连接服务器");
    case linphone::Reason::NoResponse:
    case linphone::Reason::ServerTimeout:
        return QStringLiteral("服务器无应答");
    default:
        break;
    }
    if (code == 401 || code == 403 || code == 407)
        return QStringLiteral("密码错误");
    return code > 0 ? QStringLiteral("服务器答复 %1").arg(code) : QStringLiteral("无法连接服务器");
}

// Adds the account to the core, registration off; typed text reaches the
// requests only through liblinphone's own address objects, and only after
// the settings refused what could break out of them.
std::shared_ptr<linphone::Account> addAccount(const std::shared_ptr<linphone::Core> &core,
                                              const PhoneAccount &account, const QString &password,
                                              int expires)
{
    auto factory = linphone::Factory::get();
    const QString host = phoneServerHost(account.server);
    const int port = phoneServerPort(account.server);
    auto identity = factory->createAddress("sip:user@invalid");
    identity->setUsername(account.user.toStdString());
    identity->setDomain(host.toStdString());
    if (!account.displayName.isEmpty())
        identity->setDisplayName(account.displayName.toStdString());
    auto server = factory->createAddress("sip:invalid");
    server->setDomain(host.toStdString());
    if (port > 0)
        server->setPort(port);
    server->setTransport(account.transport == QLatin1String("tcp") ? linphone::TransportType::Tcp
                         : account.transport == QLatin1String("tls")
                             ? linphone::TransportType::Tls
                             : linphone::TransportType::Udp);
    auto params = core->createAccountParams();
    params->setIdentityAddress(identity);
    params->setServerAddress(server);
    params->enableOutboundProxy(true);
    params->setExpires(expires);
    params->enableRegister(false);
    core->addAuthInfo(factory->createAuthInfo(account.user.toStdString(), "",
                                              password.toStdString(), "", "", host.toStdString()));
    auto created = core->createAccount(params);
    core->addAccount(created);
    core->setDefaultAccount(created);
    return created;
}

// The core's settings both the telephone and the probe share.
void setUpConfig(const std::shared_ptr<linphone::Config> &config, const QString &bindAddress)
{
    // Its messages name numbers and addresses: only errors are let through.
    linphone::LoggingService::get()->setLogLevel(linphone::LogLevel::Error);
    // The password stays in the keyring: liblinphone keeps no credential.
    config->setInt("sip", "store_auth_info", 0);
    // Registration failures are retried here, with the program's back-off.
    config->setInt("sip", "refresher_retry_after", 24 * 3600 * 1000);
    config->setInt("sip", "register_only_when_network_is_up", 0);
    if (!bindAddress.isEmpty()) {
        config->setString("sip", "bind_address", bindAddress.toStdString());
        config->setString("rtp", "bind_address", bindAddress.toStdString());
    }
}

void useRandomPorts(const std::shared_ptr<linphone::Core> &core)
{
    auto transports = linphone::Factory::get()->createTransports();
    transports->setUdpPort(-1);
    transports->setTcpPort(-1);
    transports->setTlsPort(-1);
    core->setTransports(transports);
}

class ProbeListener : public linphone::CoreListener
{
public:
    explicit ProbeListener(RegistrationProbe *probe) : probe(probe) {}
    void onAccountRegistrationStateChanged(const std::shared_ptr<linphone::Core> &,
                                           const std::shared_ptr<linphone::Account> &account,
                                           linphone::RegistrationState state,
                                           const std::string &) override
    {
        if (!probe)
            return;
        if (state == linphone::RegistrationState::Ok) {
            probe->report(true, QStringLiteral("注册成功 (200 OK)"));
        } else if (state == linphone::RegistrationState::Failed) {
            const auto info = account->getErrorInfo();
            const int code = info ? info->getProtocolCode() : 0;
            const QString phrase = info ? QString::fromStdString(info->getPhrase()) : QString();
            probe->report(false, code > 0
                                     ? QStringLiteral("服务器答复: %1 %2").arg(code).arg(phrase)
                                     : QStringLiteral("无法连接服务器 (%1)").arg(phrase));
        }
    }
    RegistrationProbe *probe;
};
} // namespace

SoftPhone::SoftPhone(const Setup &setup, QObject *parent) : PhoneLine(parent), m_setup(setup)
{
    m_iterate = new QTimer(this);
    m_iterate->setTimerType(Qt::PreciseTimer);
    connect(m_iterate, &QTimer::timeout, this, &SoftPhone::iterate);
    m_retry = new QTimer(this);
    connect(m_retry, &QTimer::timeout, this, &SoftPhone::retryTick);
    m_ring = new QTimer(this);
    m_ring->setSingleShot(true);
    connect(m_ring, &QTimer::timeout, this, &SoftPhone::ringTimedOut);
}

SoftPhone::~SoftPhone()
{
    if (m_starter) {
        m_starter->wait();
        delete m_starter;
    }
    hangUpForQuit();
    if (m_listener)
        static_cast<Listener *>(m_listener.get())->phone = nullptr;
    if (m_core) {
        m_core->removeListener(m_listener);
        m_core->stop();
    }
}

namespace {
// Builds and starts a core; runs on a thread of its own, since loading the
// media plugins and opening liblinphone's databases takes longer than the
// window may pause. Nothing else touches the core until the thread ends.
std::shared_ptr<linphone::Core> startCore(const SoftPhone::Setup &setup, QString *error)
{
    auto factory = linphone::Factory::get();
    const std::string folder = folderPath(setup.privateFolder);
    factory->setDataDir(folder);
    factory->setConfigDir(folder);
    factory->setDownloadDir(folder);
    auto config = factory->createConfig(inFolder(setup.privateFolder, "linphonerc"));
    setUpConfig(config, setup.bindAddress);
    config->setInt("sip", "inc_timeout", 60);
    config->setInt("sip", "delayed_timeout", 0);
    config->setInt("misc", "max_calls", 2);
    auto core = factory->createCoreWithConfig(config, nullptr);
    if (!core) {
        *error = QStringLiteral("无法启动电话组件");
        return nullptr;
    }
    core->setGuessHostname(false);
    core->enableVideoCapture(false);
    core->enableVideoDisplay(false);
    core->setCallLogsDatabasePath(inFolder(setup.privateFolder, "calls.db"));
    core->setZrtpSecretsFile(inFolder(setup.privateFolder, "zrtp"));
    core->setInCallTimeout(0);
    if (!setup.playFile.isEmpty()) {
        core->setUseFiles(true);
        core->setPlayFile(setup.playFile.toStdString());
        core->setRecordFile(setup.speakerFile.toStdString());
    }
    // Random ports: the account's server is reached from any.
    useRandomPorts(core);
    if (core->start() != 0) {
        *error = QStringLiteral("无法启动电话组件");
        return nullptr;
    }
    return core;
}
} // namespace

void SoftPhone::createCore()
{
    if (m_core || m_starter)
        return;
    QString error;
    if (!ensurePrivateFolder(m_setup.privateFolder, &error)) {
        m_brokenReason = error;
        setRegistration(Registration::Broken, m_brokenReason);
        return;
    }
    auto result = std::make_shared<std::pair<std::shared_ptr<linphone::Core>, QString>>();
    const Setup setup = m_setup;
    m_starter =
        QThread::create([result, setup] { result->first = startCore(setup, &result->second); });
    connect(m_starter, &QThread::finished, this, [this, result] {
        m_starter->deleteLater();
        m_starter = nullptr;
        m_core = result->first;
        if (!m_core) {
            m_brokenReason = result->second;
            setRegistration(Registration::Broken, m_brokenReason);
            return;
        }
        m_listener = std::make_shared<Listener>(this);
        m_core->addListener(m_listener);
        m_iterate->start(m_setup.iterateMs);
        if (m_account.enabled && m_account.complete())
            addConfiguredAccount();
    });
    m_starter->start();
}

void SoftPhone::addConfiguredAccount()
{
    m_linphoneAccount = addAccount(m_core, m_account, m_password, m_setup.registrationExpires);
    m_core->setMediaEncryption(m_account.srtp ? linphone::MediaEncryption::SRTP
                                              : linphone::MediaEncryption::None);
    m_core->setMediaEncryptionMandatory(m_account.srtp);
    registerAccount();
}

void SoftPhone::iterate()
{
    QElapsedTimer step;
    step.start();
    m_core->iterate();
    m_longestStepMs = qMax(m_longestStepMs, step.elapsed());
}

void SoftPhone::apply(const PhoneAccount &account, const QString &password,
                      const PhoneOptions &options)
{
    m_options = options;
    m_account = account;
    m_password = password;
    m_retry->stop();
    m_retryDelay = 0;
    if (m_linphoneAccount && m_core) {
        m_core->clearAccounts();
        m_core->clearAllAuthInfo();
        m_linphoneAccount.reset();
    }
    if (!account.enabled || !account.complete()) {
        setRegistration(Registration::Off);
        return;
    }
    if (m_core) {
        addConfiguredAccount();
        return;
    }
    // The account follows once the core has started.
    setRegistration(Registration::Registering);
    createCore();
}

void SoftPhone::setOptions(const PhoneOptions &options)
{
    m_options = options;
}

void SoftPhone::registerAccount()
{
    if (!m_linphoneAccount)
        return;
    ++m_registerAttempts;
    setRegistration(Registration::Registering);
    auto params = m_linphoneAccount->getParams()->clone();
    if (params->registerEnabled()) {
        m_linphoneAccount->refreshRegister();
        return;
    }
    params->enableRegister(true);
    m_linphoneAccount->setParams(params);
}

void SoftPhone::onRegistrationState(const std::shared_ptr<linphone::Account> &account, int state)
{
    if (account != m_linphoneAccount)
        return;
    switch (linphone::RegistrationState(state)) {
    case linphone::RegistrationState::Ok:
        m_retryDelay = 0;
        m_retry->stop();
        setRegistration(Registration::Registered);
        break;
    case linphone::RegistrationState::Failed: {
        const auto info = account->getErrorInfo();
        const linphone::Reason reason = info ? info->getReason() : account->getError();
        const int code = info ? info->getProtocolCode() : 0;
        const QString why = registrationFailure(reason, code, m_account.transport);
        // liblinphone would try again by itself; the back-off here decides.
        auto params = account->getParams()->clone();
        params->enableRegister(false);
        account->setParams(params);
        if (why == QStringLiteral("密码错误") || why == QStringLiteral("账号不存在")) {
            m_retry->stop();
            setRegistration(Registration::Refused, why);
        } else {
            m_reason = why;
            scheduleRetry();
        }
        break;
    }
    default:
        break;
    }
}

void SoftPhone::scheduleRetry()
{
    m_retryDelay = m_retryDelay == 0 ? m_setup.firstRetrySeconds
                                     : qMin(m_retryDelay * 2, m_setup.maxRetrySeconds);
    m_retryClock.start();
    m_retry->start(1000);
    setRegistration(Registration::Waiting, m_reason);
}

int SoftPhone::retryInSeconds() const
{
    if (m_registration != Registration::Waiting)
        return 0;
    return qMax<qint64>(0, m_retryDelay - m_retryClock.elapsed() / 1000);
}

void SoftPhone::retryTick()
{
    if (m_registration != Registration::Waiting) {
        m_retry->stop();
        return;
    }
    if (retryInSeconds() > 0) {
        emit statusChanged(statusText());
        return;
    }
    m_retry->stop();
    registerAccount();
}

void SoftPhone::setRegistration(Registration state, const QString &reason)
{
    m_registration = state;
    m_reason = reason;
    emit statusChanged(statusText());
}

QString SoftPhone::statusText() const
{
    switch (m_registration) {
    case Registration::Off:
        return QString();
    case Registration::Registering:
        return QStringLiteral("电话: 正在注册 %1").arg(m_account.user);
    case Registration::Registered:
        return QStringLiteral("电话: 已注册 %1").arg(m_account.user);
    case Registration::Refused:
        return QStringLiteral("电话: 注册失败 (%1)").arg(m_reason);
    case Registration::Waiting:
        return QStringLiteral("电话: 未连接 (%1), %2 秒后重试").arg(m_reason).arg(retryInSeconds());
    case Registration::Broken:
        return QStringLiteral("电话: 不可用 (%1)").arg(m_reason);
    }
    return QString();
}

bool SoftPhone::configured() const
{
    return m_account.enabled && m_account.complete() && m_options.dialThroughPhone;
}

bool SoftPhone::ready() const
{
    return m_registration == Registration::Registered;
}

QString SoftPhone::notReadyReason() const
{
    switch (m_registration) {
    case Registration::Off:
        return QStringLiteral("电话账号未启用");
    case Registration::Registering:
        return QStringLiteral("电话账号正在注册");
    case Registration::Registered:
        return QString();
    case Registration::Refused:
        return QStringLiteral("注册失败 (%1)").arg(m_reason);
    case Registration::Waiting:
        return QStringLiteral("未连接电话服务器 (%1)").arg(m_reason);
    case Registration::Broken:
        return m_reason;
    }
    return QString();
}

QString SoftPhone::newRecordingFile()
{
    QString error;
    if (!ensurePrivateFolder(recordingsFolder(), &error)) {
        qWarning("recordings: %s", qPrintable(error));
        return QString();
    }
    // Named from the time alone: never from a person's name or number. The
    // folder is the owner's alone; liblinphone creates the file (its
    // Matroska writer cannot take an empty one) and it is made 0600 after.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const QString name =
            QStringLiteral("call-%1-%2.mkv")
                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")))
                .arg(QRandomGenerator::global()->bounded(0x100000), 5, 16, QLatin1Char('0'));
        if (!QFileInfo::exists(QDir(recordingsFolder()).filePath(name)))
            return name;
    }
    return QString();
}

bool SoftPhone::dial(const CallParty &party)
{
    if (!ready() || inCall() || m_call || party.digits.isEmpty())
        return false;
    // Only digits and one leading +: nothing else can reach the request line.
    for (int i = 0; i < party.digits.size(); ++i) {
        const QChar c = party.digits.at(i);
        if (!(c.isDigit() && c.unicode() < 128) && !(c == QLatin1Char('+') && i == 0))
            return false;
    }
    CallParty known = party;
    // A list's "拨号" knows only the number: the person is found by it.
    if (known.kind == 0 || known.personId < 0)
        known = identify(party.digits);
    known.digits = party.digits;
    auto address = m_linphoneAccount->getParams()->getIdentityAddress()->clone();
    address->setUsername(party.digits.toStdString());
    address->setDisplayName("");
    auto params = callParams(nullptr);
    beginCall(known);
    m_answered = m_ringTimedOut = m_declinedHere = m_hungUpHere = false;
    m_startedAt = nowTime();
    m_ringDelayMs = -1;
    m_dialClock.start();
    m_call = m_core->inviteAddressWithParams(address, params);
    if (!m_call) {
        CallSummary summary;
        summary.callId = m_callId;
        summary.party = known;
        summary.endText = QStringLiteral("无法发起呼叫");
        if (!m_recordingFile.isEmpty())
            QFile::remove(QDir(recordingsFolder()).filePath(m_recordingFile));
        endCall(summary);
        return false;
    }
    markMissedCallsCalledBack(party.digits);
    emit missedCallsChanged();
    m_ring->start(m_options.ringTimeoutSeconds * 1000);
    setPhase(CallPhase::Calling);
    return true;
}

void SoftPhone::ringTimedOut()
{
    if (!m_call || (m_phase != CallPhase::Calling && m_phase != CallPhase::Ringing))
        return;
    m_ringTimedOut = true;
    m_call->terminate();
}

void SoftPhone::answer()
{
    if (!m_call || m_phase != CallPhase::Incoming)
        return;
    m_call->acceptWithParams(callParams(m_call));
}

// A call placed (no call yet) or answered: the account's encryption, and a
// new recording file when calls are recorded.
std::shared_ptr<linphone::CallParams>
SoftPhone::callParams(const std::shared_ptr<linphone::Call> &call)
{
    auto params = m_core->createCallParams(call);
    params->setMediaEncryption(m_account.srtp ? linphone::MediaEncryption::SRTP
                                              : linphone::MediaEncryption::None);
    m_wantRecording = m_options.recordCalls;
    m_recordingFile = m_wantRecording ? newRecordingFile() : QString();
    if (!m_recordingFile.isEmpty())
        params->setRecordFile(QDir(recordingsFolder()).filePath(m_recordingFile).toStdString());
    return params;
}

void SoftPhone::hangUp()
{
    if (!m_call)
        return;
    if (m_phase == CallPhase::Incoming) {
        m_declinedHere = true;
        m_call->decline(linphone::Reason::Busy);
        return;
    }
    m_hungUpHere = true;
    m_call->terminate();
}

void SoftPhone::setMuted(bool muted)
{
    if (!m_call || m_phase != CallPhase::Talking)
        return;
    m_call->setMicrophoneMuted(muted);
    m_muted = muted;
    emit callChanged();
}

void SoftPhone::setHeld(bool held)
{
    if (!m_call || m_phase != CallPhase::Talking || held == m_held)
        return;
    if ((held ? m_call->pause() : m_call->resume()) == 0) {
        m_held = held;
        emit callChanged();
    }
}

void SoftPhone::sendTone(QChar digit)
{
    if (!m_call || m_phase != CallPhase::Talking)
        return;
    if (digit.isDigit() || digit == QLatin1Char('*') || digit == QLatin1Char('#'))
        m_call->sendDtmf(char(digit.toLatin1()));
}

CallParty SoftPhone::identify(const QString &number) const
{
    CallParty party;
    party.digits = dialDigits(number);
    const QList<PhoneHolder> holders = findPhoneHoldersOfBothKinds(number, PersonRef{}, 1);
    // A prospect before a recruit, an active one before one given up.
    for (const PhoneHolder &holder : holders) {
        if (party.personId < 0 || (holder.userType != 0 && party.kind == 0)) {
            party.kind = holder.table == PersonTable::Customers ? 1 : 2;
            party.personId = holder.id;
        }
        if (holder.userType != 0)
            break;
    }
    return party;
}

void SoftPhone::onCallState(const std::shared_ptr<linphone::Call> &call, int rawState)
{
    const State state = State(rawState);
    if (state == State::IncomingReceived) {
        if (m_call && m_call != call) {
            // One call at a time: a second caller hears busy.
            call->decline(linphone::Reason::Busy);
            return;
        }
        m_call = call;
        const auto remote = call->getRemoteAddress();
        const QString number = QString::fromStdString(remote->getUsername());
        beginCall(identify(number));
        if (m_party.digits.isEmpty())
            m_party.digits = number.left(40);
        m_answered = m_ringTimedOut = m_declinedHere = m_hungUpHere = false;
        m_startedAt = nowTime();
        setPhase(CallPhase::Incoming);
        emit incomingCall(m_party, QString::fromStdString(remote->getDisplayName()));
        return;
    }
    if (call != m_call) {
        if (state == State::Released)
            m_endedCalls.removeAll(call);
        return;
    }
    switch (state) {
    case State::OutgoingInit:
    case State::OutgoingProgress:
        break;
    case State::OutgoingRinging:
    case State::OutgoingEarlyMedia:
        if (m_ringDelayMs < 0)
            m_ringDelayMs = m_dialClock.elapsed();
        if (m_phase != CallPhase::Ringing)
            setPhase(CallPhase::Ringing);
        break;
    case State::Connected:
        m_ring->stop();
        m_answered = true;
        setPhase(CallPhase::Talking);
        break;
    case State::StreamsRunning:
        if (m_wantRecording && !m_recordingFile.isEmpty() && !m_recording) {
            call->startRecording();
            m_recording = true;
            emit callChanged();
        }
        break;
    case State::End:
    case State::Error:
        // Kept until liblinphone releases it (a weak reference would expire);
        // the next call need not wait for that.
        m_endedCalls.append(call);
        m_call.reset();
        finishCall(call);
        break;
    case State::Released:
        m_call.reset();
        break;
    default:
        break;
    }
}

void SoftPhone::finishCall(const std::shared_ptr<linphone::Call> &call)
{
    m_ring->stop();
    if (m_phase == CallPhase::Ended || m_phase == CallPhase::Idle)
        return;
    CallSummary summary;
    summary.callId = m_callId;
    summary.party = m_party;
    summary.outgoing = call->getDir() == linphone::Call::Dir::Outgoing;
    summary.answered = m_answered;
    const QString path =
        m_recordingFile.isEmpty() ? QString() : QDir(recordingsFolder()).filePath(m_recordingFile);
    if (m_recording)
        call->stopRecording();
    if (m_answered) {
        summary.talkSeconds = qBound(qint64(0), qint64(call->getDuration()), maxTalkSeconds);
        summary.endText = m_hungUpHere ? QStringLiteral("已挂断") : QStringLiteral("对方已挂断");
        PendingCall pending;
        pending.kind = m_party.kind;
        pending.personId = m_party.personId;
        pending.number = m_party.digits;
        pending.started = m_startedAt;
        pending.seconds = summary.talkSeconds;
        if (m_recording && QFile::exists(path)) {
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            pending.file = m_recordingFile;
            pending.sha256 = fileSha256(path);
        } else if (!path.isEmpty()) {
            QFile::remove(path);
        }
        // Kept until the agent's log takes it: nothing recorded is lost.
        summary.pendingId = addPendingCall(pending);
    } else {
        if (!path.isEmpty())
            QFile::remove(path);
        const auto info = call->getErrorInfo();
        const int code = info ? info->getProtocolCode() : 0;
        if (!summary.outgoing) {
            summary.endText =
                m_declinedHere ? QStringLiteral("已拒接") : QStringLiteral("未接来电");
            if (!m_declinedHere) {
                addMissedCall(m_party.digits, m_startedAt, m_party.kind, m_party.personId);
                emit missedCallsChanged();
            }
        } else if (m_ringTimedOut) {
            summary.endText = QStringLiteral("无人接听");
            summary.suggestedOutcome = fixedCallOutcomes().at(0);
        } else if (m_hungUpHere) {
            summary.endText = QStringLiteral("已取消");
        } else {
            const auto [text, outcome] = unansweredEnd(call->getReason(), code);
            summary.endText = text;
            summary.suggestedOutcome = outcome;
        }
    }
    m_recordingFile.clear();
    endCall(summary);
}

void SoftPhone::hangUpForQuit()
{
    if (!m_call || !m_core)
        return;
    if (m_phase == CallPhase::Incoming)
        m_declinedHere = true;
    else
        m_hungUpHere = true;
    m_call->terminate();
    // The BYE must leave before the program does; a dead network gets a
    // moment, not a frozen exit.
    QElapsedTimer waited;
    waited.start();
    while (m_phase != CallPhase::Ended && waited.elapsed() < 1000) {
        m_core->iterate();
        QThread::msleep(10);
    }
    for (int i = 0; i < 10 && m_core; ++i) {
        m_core->iterate();
        QThread::msleep(10);
    }
}

RegistrationProbe::RegistrationProbe(const QString &bindAddress, QObject *parent)
    : QObject(parent), m_bindAddress(bindAddress)
{
}

RegistrationProbe::~RegistrationProbe()
{
    stop();
}

void RegistrationProbe::start(const PhoneAccount &account, const QString &password,
                              int timeoutSeconds)
{
    stop();
    auto factory = linphone::Factory::get();
    // Nothing of the trial is written anywhere.
    auto config = factory->createConfigFromString("");
    setUpConfig(config, m_bindAddress);
    m_core = factory->createCoreWithConfig(config, nullptr);
    m_listener = std::make_shared<ProbeListener>(this);
    m_core->addListener(m_listener);
    m_core->enableVideoCapture(false);
    m_core->enableVideoDisplay(false);
    useRandomPorts(m_core);
    m_core->start();
    auto created = addAccount(m_core, account, password, 60);
    auto params = created->getParams()->clone();
    params->enableRegister(true);
    created->setParams(params);
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, [this] { m_core->iterate(); });
    m_timer->start(20);
    QTimer::singleShot(timeoutSeconds * 1000, this,
                       [this] { report(false, QStringLiteral("服务器无应答")); });
}

void RegistrationProbe::report(bool ok, const QString &answer)
{
    if (!m_core || m_reported)
        return;
    m_reported = true;
    emit finished(ok, answer);
}

void RegistrationProbe::stop()
{
    if (m_listener)
        static_cast<ProbeListener *>(m_listener.get())->probe = nullptr;
    delete m_timer;
    m_timer = nullptr;
    if (m_core) {
        m_core->removeListener(m_listener);
        m_core->stop();
    }
    m_core.reset();
    m_listener.reset();
    m_reported = false;
}
