#pragma once

#include "common/phonesettings.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// The telephone network of the tests: a real Kamailio registrar on
// 127.0.0.1 with a private port (subscribers 1001 and 1002 in a text
// database), and the far end, a liblinphone core in a process of its own
// behind the registrar's gateway, playing a 16-bit tone. Both run as nobody
// when the tests run as root, and go with the folder when this ends.
class PhoneNetwork
{
public:
    PhoneNetwork();
    ~PhoneNetwork();
    bool start(QString *error);

    int registrarPort() const { return m_sipPort; }
    bool stopRegistrar();
    bool startRegistrar();
    // REGISTER requests the registrar has seen from the user so far.
    int registersFrom(const QString &user);

    static QString password(const QString &user) { return QStringLiteral("pw-") + user; }
    PhoneAccount account(const QString &user = QStringLiteral("1001"),
                         const QString &transport = QStringLiteral("udp")) const;
    // A TCP port on 127.0.0.1 that nobody listens on.
    static int closedPort();

    // The far end: a command line, and its events (see farend.cpp).
    void tell(const QString &command);
    // Waits (running the event loop) for an event line starting with the
    // prefix that came after the mark; the whole line, or empty on time-out.
    QString waitFor(const QString &prefix, int ms = 10000);
    // Forgets the events so far.
    void mark();
    // The events since the mark about the number, the number left out
    // ("held", "dtmf 5"), without consuming them.
    QStringList eventsAbout(const QString &number) const;
    QString playFile() const;

private:
    QStringList asNobody(const QStringList &command) const;
    void readFarEnd();

    QString m_folder;
    int m_sipPort = 0;
    int m_gatewayPort = 0;
    std::unique_ptr<QProcess> m_registrar;
    std::unique_ptr<QProcess> m_farEnd;
    QStringList m_events;
    QByteArray m_farEndOutput;
    QByteArray m_registrarLog;
};
