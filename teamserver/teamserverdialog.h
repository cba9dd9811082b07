#pragma once

#include "teamserver/teamserversettings.h"

#include <QDialog>

#include <memory>

class TeamServerThread;

namespace Ui {
class TeamServerDialog;
}

// "团队服务器": where the team server is, who this agent is on it, and the
// password (kept in the desktop keyring). "测试连接" tries the entered values
// on a thread of its own and shows success or the server's own words.
class TeamServerDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TeamServerDialog(QWidget *parent = nullptr);
    ~TeamServerDialog() override;

    TeamServerSettings enteredSettings() const;
    // Starts in the password field (the password is what is missing).
    void focusPassword();

signals:
    void connectionTested(bool ok, const QString &text);

private slots:
    void on_pushButtonTest_clicked();
    void on_pushButtonOk_clicked();
    void on_pushButtonCancel_clicked();
    void on_pushButtonCaFile_clicked();

private:
    void showTestResult(bool ok, const QString &text);
    void explainTlsMode();

    std::unique_ptr<Ui::TeamServerDialog> ui;
    // Where "测试连接" runs: a server that stops answering is broken off.
    std::unique_ptr<TeamServerThread> m_testThread;
    bool passwordEdited = false;
};
