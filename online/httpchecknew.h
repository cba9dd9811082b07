#pragma once

#include "online/webclient.h"

// Asks the service for the newest program version.
class HttpCheckNew : public WebClient
{
    Q_OBJECT

public:
    using WebClient::WebClient;

    void check();
    // Valid after done(true); a text that is no number reads as 0.
    double version() const { return m_version; }

protected slots:
    void httpDone(bool error) override;

private:
    double m_version = 0;
};
