#pragma once

#include "framework/application.h"

#include <functional>
#include <QApplication>
#include <QTest>
#include <QTimer>

// Runs `action` on the next modal widget once it is up (the modal dialogs run their own loop
// inside the call under test). Gives up after about ten seconds so that a missing dialog fails
// the test instead of hanging it.
inline void WhenModal(std::function<void(QWidget*)> action, QWidget* notThis = nullptr) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, tries, action, notThis] {
        QWidget* modal = QApplication::activeModalWidget();
        if ((!modal || modal == notThis) && ++*tries < 1000) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (modal && modal != notThis) {
            action(modal);
        }
    });
    timer->start(10);
}

// A main() that runs the test object inside our application object, as the program does.
#define TITORA_FRAMEWORK_TEST_MAIN(TestObject)                                                     \
    int main(int argc, char** argv) {                                                              \
        TApplication app(argc, argv);                                                              \
        app.SetTitle(QStringLiteral("Titora"));                                                    \
        TestObject test;                                                                           \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
