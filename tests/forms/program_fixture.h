#pragma once

#include "forms/design_names.h"
#include "forms/modes/program.h"
#include "platform/system/file_dialog.h"
#include "platform/widgets/text_box.h"

#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <memory>

constexpr Box kOne = Box::Original, kTwo = Box::Translation;

// Answers from a queue, one per call (an empty queue cancels); `whileOpen` runs inside each call.
struct FakeFileDialog final : platform::FileDialog {
    std::deque<std::optional<QString>> answers;
    std::function<void()> whileOpen = [] {};
    std::optional<QString> chooseTable(QWidget*) override {
        whileOpen();
        const std::optional<QString> answer = answers.empty() ? std::nullopt : answers.front();
        answers.empty() ? void() : answers.pop_front();
        return answer;
    }
};

// The whole program as main() wires it, in a temporary folder, with a fake file dialog, its end
// recorded instead of leaving the test, and the clipboard read from `clipboard`.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        QGuiApplication::clipboard()->clear();
        program = std::make_unique<Program>(folder.path(), dialog, [this] { ++ends; });
        setClipboard(QString());
    }
    void TearDown() override {
        program.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // A new clipboard text, read as after a change; nothing stands for a read that fails.
    void setClipboard(std::optional<QString> text) {
        clipboard = std::move(text);
        program->clipboard().setReaderForTests([this] { return clipboard; });
    }
    // The program's start; the Fast Counter follows once the main window is on screen.
    void start() {
        program->start();
        ASSERT_TRUE(QTest::qWaitFor([this] { return fast().isLoaded(); }));
    }
    MainWindow& main() { return program->mainWindow(); }
    FastCounterWindow& fast() { return program->fastCounter(); }
    MiniCounterWindow& mini() { return program->miniCounter(); }

    // A control of a loaded window by its design name. One that is missing fails the test and
    // gives a stand-in, so that the test goes on to its end instead of crashing.
    template <typename T = QWidget> T* get(platform::ManagedWindow& window, names::Name name) {
        QWidget* shown = window.loadedWindow();
        T* found = shown ? shown->findChild<T*>(QString::fromUtf8(name)) : nullptr;
        if (found == nullptr) {
            ADD_FAILURE() << "no control named " << name << " in " << window.objectName().data();
            found = new T();
        }
        return found;
    }
    platform::TextBox* box(platform::ManagedWindow& window, Box which) {
        return get<platform::TextBox>(window, names::kBox[which]);
    }
    QString caption(platform::ManagedWindow& window, names::Name name) {
        return get<QLabel>(window, name)->text();
    }
    // Real input through the window; `at` in window pixels, the widget's centre unless told.
    static void click(QWidget* widget, Qt::MouseButton button, QPoint at = {}) {
        QPointer<QWindow> handle = widget->window()->windowHandle();
        at = at.isNull() ? widget->mapTo(widget->window(), widget->rect().center()) : at;
        QTest::mousePress(handle, button, {}, at);
        if (!handle.isNull()) { // a switch may delete the window between the two
            QTest::mouseRelease(handle, button, {}, at);
        }
    }
    static void type(QWidget* target, const QString& text) {
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), {});
        }
    }
    std::array<platform::ManagedWindow*, 4> windows() {
        return {&main(), &fast(), &mini(), &program->fastModeHost()};
    }
    // Per window in the order of windows(): 0 unloaded, 1 loaded, 2 shown.
    QString state() {
        QString text;
        for (const platform::ManagedWindow* window : windows()) {
            const QWidget* shown = window->loadedWindow();
            text += QLatin1Char(!shown ? '0' : shown->isVisible() ? '2' : '1');
        }
        return text;
    }
    QByteArray fileBytes(const char* name) const {
        QFile file(folder.filePath(QLatin1String(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void writeFile(const char* name, const QByteArray& bytes) {
        QFile file(folder.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    void chooseTable(const QByteArray& bytes, const char* name = "prova.tbl") {
        writeFile(name, bytes);
        dialog.answers.push_back(folder.filePath(QString::fromUtf8(name)));
        click(get(main(), names::kLoadTable.pair), Qt::LeftButton);
    }

    QTemporaryDir folder;
    FakeFileDialog dialog;
    std::optional<QString> clipboard;
    std::unique_ptr<Program> program;
    int ends = 0;
};
