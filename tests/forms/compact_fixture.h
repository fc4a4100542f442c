#pragma once

#include "forms/compact/form2.h"
#include "forms/compact/form3.h"
#include "forms/compact/form4.h"
#include "forms/compact/watch_loop.h"
#include "forms/main/form1.h"
#include "forms/wiring.h"
#include "platform/clipboard.h"

#include <QPointer>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <optional>

// The compact windows and the watch loop wired to a main window as the program wires them,
// reading a clipboard the test sets.
struct CompactWindows {
    explicit CompactWindows(Form1& mainWindow) : main(mainWindow) {
        setClipboard(QString());
        wireWindows(main, fast, mini, background, loop);
    }
    ~CompactWindows() {
        loop.start(nullptr);
        main.setFastCounter(nullptr);
        main.setWatchLoop(nullptr);
    }
    CompactWindows(const CompactWindows&) = delete;
    CompactWindows& operator=(const CompactWindows&) = delete;

    // A new clipboard text, read as after a change; nothing stands for a read that fails.
    void setClipboard(std::optional<QString> text) {
        clipboard = std::move(text);
        counter.setReaderForTests([this] { return clipboard; });
    }
    // A press and release through the Fast Counter's window, as real input arrives; `at` in
    // pixels from the window's corner, on the margin unless told. A switch may delete the
    // window between the two.
    void pressFast(Qt::MouseButton button, QPoint at = QPoint(2, 2)) {
        ASSERT_TRUE(fast.isLoaded() && fast.loadedWindow()->isVisible());
        const QPointer<QWindow> handle = fast.loadedWindow()->windowHandle();
        QTest::mousePress(handle, button, {}, at);
        if (!handle.isNull()) {
            QTest::mouseRelease(handle, button, {}, at);
        }
    }
    // Per window in the order main, Fast, Mini, background: 0 unloaded, 1 loaded, 2 shown.
    QString state() const {
        QString text;
        for (const platform::Form* form :
             std::initializer_list<const platform::Form*>{&main, &fast, &mini, &background}) {
            const bool shown = form->isLoaded() && form->loadedWindow()->isVisible();
            text += QLatin1Char(shown ? '2' : form->isLoaded() ? '1' : '0');
        }
        return text;
    }

    Form1& main;
    std::optional<QString> clipboard;
    platform::ClipboardCounter counter;
    Form2 fast;
    Form3 mini;
    Form4 background;
    WatchLoop loop{counter, fast};
};
