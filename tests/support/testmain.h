#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Tests run headless, with a private runtime folder, whatever the caller's environment.
inline void prepareTestEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QTemporaryDir runtimeDir;
    QFile::setPermissions(runtimeDir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
    // Never the vendor's real service: a closed local port fails at once.
    if (qEnvironmentVariableIsEmpty("CALLLEDGER_SERVICE"))
        qputenv("CALLLEDGER_SERVICE", "127.0.0.1:9");
}

#define CALLLEDGER_TEST_MAIN(TestClass, AppClass)                                                  \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        prepareTestEnvironment();                                                                  \
        AppClass app(argc, argv);                                                                  \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
