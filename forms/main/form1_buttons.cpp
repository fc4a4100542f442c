// The picture buttons and the about face. A press shows the pressed look whatever the
// button; the release acts wherever the pointer is.
#include "forms/main/form1.h"

#include "platform/clipboard.h"
#include "platform/program_end.h"

#include <QLabel>

void Form1::ab1_MouseDown() {
    setVisible(QStringLiteral("ab1"), false);
    setVisible(QStringLiteral("ab2"), true);
}

void Form1::ab1_MouseUp() {
    setVisible(QStringLiteral("back2"), false);
    setVisible(QStringLiteral("Frame1"), false);
    setVisible(QStringLiteral("ab2"), false);
    setVisible(QStringLiteral("ab1"), true);
}

void Form1::esc1_MouseDown() {
    setVisible(QStringLiteral("esc1"), false);
    setVisible(QStringLiteral("esc2"), true);
}

void Form1::esc1_MouseUp() {
    setVisible(QStringLiteral("esc2"), false);
    setVisible(QStringLiteral("esc1"), true);
    // Saves this window only, then ends at once: no other unload runs, not even this one
    // a second time.
    Form_Unload();
    platform::endProgram();
}

void Form1::imTBL1_MouseDown() {
    setVisible(QStringLiteral("imTBL1"), false);
    setVisible(QStringLiteral("imTBL2"), true);
}

void Form1::imTBL1_MouseUp() {
    setVisible(QStringLiteral("imTBL2"), false);
    setVisible(QStringLiteral("imTBL1"), true);
    chooseTable();
}

void Form1::back1_MouseDown() {
    setVisible(QStringLiteral("back1"), false);
    setVisible(QStringLiteral("back2"), true);
}

void Form1::back1_MouseUp() {
    setVisible(QStringLiteral("back2"), false);
    setVisible(QStringLiteral("back1"), true);
    setVisible(QStringLiteral("Frame1"), true);
}

void Form1::url_Click() {
    platform::setClipboardText(control<QLabel>(QStringLiteral("url"))->text());
}
