// Helpers shared by the main window's tests: driving the real modal dialogs from timers,
// writing page files, reading the list back.
#pragma once

#include "file_list_model.h"
#include "framework/application.h"
#include "framework/flatbutton.h"
#include "Unit3.h"

#include <functional>
#include <memory>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

// The timers of OnModal calls still waiting; a test's clean-up drops them, so that a dialog
// one test expected but never saw cannot be answered with that test's dead variables.
inline QObject& PendingDialogs() {
    static QObject pending;
    return pending;
}
inline void CancelPendingDialogs() {
    qDeleteAll(PendingDialogs().findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly));
}

// Runs `action` on the first modal dialog of class T as soon as it is up. The timer gives up
// after ten seconds, so a dialog that never comes leaves the test failing, not hanging.
template <class T> void OnModal(std::function<void(T*)> action) {
    auto* timer = new QTimer(&PendingDialogs());
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action] {
        T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog && clock->elapsed() < 10000)
            return;
        timer->stop();
        timer->deleteLater();
        if (dialog)
            action(dialog);
    });
    timer->start(10);
}

// Runs Add Files and chooses `names` in `folder` in the real open dialog, by typing them.
inline void ChooseInAddFiles(TForm1& form, const QString& folder, const QStringList& names) {
    OnModal<QFileDialog>([folder, names](QFileDialog* dialog) {
        dialog->setDirectory(folder);
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QStringList quoted;
        for (const QString& name : names)
            quoted << '"' + name + '"';
        edit->setText(names.size() == 1 ? names.first() : quoted.join(' '));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
}

// A page file holding `title` as its title element.
inline QString WritePage(const QDir& dir, const QString& name, const QByteArray& title) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("<html>\r\n<head><title>" + title + "</title></head>\r\n<body>x</body>\r\n</html>");
    return path;
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// The list's rows as "name|title|folder" (empty title and folder for a name-only row).
inline QStringList RowTexts(const TForm1& form) {
    QStringList rows;
    const QAbstractItemModel* model = form.Files();
    for (int row = 0; row < model->rowCount(); ++row)
        rows << model->index(row, 0).data().toString() + "|" +
                    model->index(row, 1).data().toString() + "|" +
                    model->index(row, 2).data().toString();
    return rows;
}

inline QStringList RowNames(const TForm1& form) {
    QStringList names;
    const QAbstractItemModel* model = form.Files();
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data().toString();
    return names;
}

// The tests run under the program's own application object, with its title, so that its
// error box and message boxes are the ones the program shows.
#define TITORA_GUI_TEST_MAIN(TestClass)                                                            \
    int main(int argc, char** argv) {                                                              \
        TApplication application(argc, argv);                                                      \
        application.SetTitle(QStringLiteral("Titora"));                                            \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
