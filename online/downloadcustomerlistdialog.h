#pragma once

#include <QDialog>

#include <memory>

class DownloadCustomerList;

namespace Ui {
class DownloadCustomerListDialog;
}

// Downloads the customer lists bought with the web account and adds every
// customer as a new, never-contacted prospect.
class DownloadCustomerListDialog : public QDialog
{
    Q_OBJECT

public:
    explicit DownloadCustomerListDialog(QWidget *parent = nullptr);
    ~DownloadCustomerListDialog() override;

public slots:
    void reject() override;

private slots:
    void on_pushButtonDown_clicked();
    void on_pushButtonCancel_clicked();
    void downloadFinish(bool ok);
    void progress(bool send, int done, int total);

private:
    // The records stored and those the store refused; false when the batch
    // could not be committed (reported).
    bool storeCustomers(int *stored, int *refused);

    std::unique_ptr<Ui::DownloadCustomerListDialog> ui;
    DownloadCustomerList *m_download;
    QString m_userName;
    QString m_password;
};

// Shared by both list dialogs: the hint when no usable account exists.
QString noAccountText();
