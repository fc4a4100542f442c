#pragma once

#include "forms/main/form1.h"
#include "platform/open_file_dialog.h"
#include "platform/controls.h"
#include "platform/program_end.h"
#include "platform/program_folder.h"
#include "platform/text_box.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

// The main window on its own, loaded in a temporary program folder, with the program's end
// recorded instead of leaving the process.
class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        platform::setProgramFolderForTests(folder.path());
        platform::resetEndForTests();
        platform::setEndHandlerForTests([this] { ++ends; });
        QGuiApplication::clipboard()->clear();
        form.setOpenFileDialog(&dialog); // an empty queue answers every choice with a cancel
        form.load();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    }
    void TearDown() override {
        for (QMenu* menu : window() ? window()->findChildren<QMenu*>() : QList<QMenu*>()) {
            menu->hide();
        }
        form.unload();
        platform::setEndHandlerForTests({});
        platform::resetEndForTests();
        platform::setProgramFolderForTests(QString());
    }

    QWidget* window() { return form.loadedWindow(); }
    template <typename T = QWidget> T* get(const char* name) {
        T* found = window()->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString caption(const char* name) { return get<QLabel>(name)->text(); }
    platform::TextBox* box(int n) { return get<platform::TextBox>(n == 1 ? "Text1" : "Text2"); }
    QAction* item(const char* name) { return get<QAction>(name); }

    // Real input through the window, as a user's press arrives.
    QPoint centreOf(QWidget* widget) { return widget->mapTo(window(), widget->rect().center()); }
    void press(QWidget* widget, Qt::MouseButton button, QPoint at = {}) {
        QTest::mousePress(window()->windowHandle(), button, {},
                          at.isNull() ? centreOf(widget) : at);
    }
    void release(QWidget* widget, Qt::MouseButton button, QPoint at = {}) {
        QTest::mouseRelease(window()->windowHandle(), button, {},
                            at.isNull() ? centreOf(widget) : at);
    }

    // Types text into a box; characters beyond ASCII go through sendKeyEvent.
    void type(platform::TextBox* target, const QString& text) {
        target->setFocus();
        for (const QChar c : text) {
            if (c.unicode() < 128) {
                QTest::keyClick(target, c.toLatin1());
            } else {
                QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), {});
            }
        }
    }

    QString fileText(const char* name) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir folder;
    platform::FakeOpenFileDialog dialog;
    Form1 form;
    int ends = 0;
};
