#pragma once

// The hint machinery lives in our application object, so these tests run under a TApplication
// rather than the plain QApplication of QTEST_MAIN.

#include "framework/application.h"

#include <QtTest>

#define TITORA_HINT_TEST_MAIN(TestClass)                                                           \
    int main(int argc, char** argv) {                                                              \
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))                                         \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        TApplication App(argc, argv);                                                              \
        TestClass Test;                                                                            \
        return QTest::qExec(&Test, argc, argv);                                                    \
    }
