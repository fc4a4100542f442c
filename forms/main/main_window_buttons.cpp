// The picture buttons and the about face. A press shows the pressed look whatever the
// button; the release shows the normal look again and acts, wherever the pointer is.
#include "forms/main/main_window.h"

#include "platform/system/clipboard.h"
#include "platform/widgets/clickable_label.h"
#include "platform/widgets/pressed_look_pair.h"
#include "platform/widgets/program_run.h"

#include <QFrame>

void MainWindow::wirePictureButton(platform::PressedLookPair* button,
                                   void (MainWindow::*action)()) {
    connect(button, &platform::PressedLookPair::pressed, this,
            [button] { button->showPressedLook(true); });
    connect(button, &platform::PressedLookPair::released, this, [this, button, action] {
        button->showPressedLook(false);
        (this->*action)();
    });
}

void MainWindow::openAboutFace() {
    ui_.back->pressedLook()->setVisible(false);
    ui_.workingFace->setVisible(false);
}

void MainWindow::closeAboutFace() {
    ui_.workingFace->setVisible(true);
}

void MainWindow::saveAndExit() {
    // Saves this window only, then ends at once: no unload runs, not even this window's.
    saveState();
    run().end();
}

void MainWindow::copyHomePageAddress() {
    platform::setClipboardText(ui_.homePage->text());
}
