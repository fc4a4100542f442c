// Every window's design in one snapshot: each widget's name, class, place, colours, font, caption,
// accessible name and focus, the tab chains and the menus. A change anywhere changes the hash.
//
// To accept an intended change: run with TAVREL_PRINT_SNAPSHOT=1, read the printed dump (a
// mismatch prints it too), check that only what you meant moved, and copy its hash below.
#include "program_fixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCryptographicHash>
#include <QLineEdit>
#include <QMenu>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kExpectedHash = "0f571144ea3ab99826408dcd3e941d4e9cae1a1b";

// Before the test main makes its QApplication: 1440 dots per inch, one pixel per twip, so a
// control moved by a single twip moves by a pixel.
const bool kOnePixelPerTwip = [] {
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    return setenv("QT_FONT_DPI", "1440", 1) == 0;
}();

QString colours(const QPalette& p) {
    QStringList names;
    for (const QPalette::ColorRole role :
         {QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::Text}) {
        names.append(p.color(role).name());
    }
    return names.join(QLatin1Char('/'));
}

QString caption(const QWidget* w) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        return label->text() + QStringLiteral(" align=%1 wrap=%2 buddy=%3")
                                   .arg(int(label->alignment()))
                                   .arg(label->wordWrap())
                                   .arg(label->buddy() ? label->buddy()->objectName() : QString());
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        return button->text();
    }
    if (const auto* box = qobject_cast<const QLineEdit*>(w)) {
        return box->text();
    }
    return w->isWindow() ? w->windowTitle() : QString();
}

void dumpWidget(const QWidget* w, int depth, QStringList& out) {
    const QFontInfo font(w->font());
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(w));
    const QRect at = w->geometry();
    out.append(QStringLiteral("%1%2 %3 %4,%5 %6x%7%8 [%9] %10 font=%11/%12/%13 a11y=%14:%15 "
                              "focus=%16 tip=%17 track=%18 cursor=%19 sheet=%20")
                   .arg(QString(depth * 2, QLatin1Char(' ')), w->objectName(),
                        QString::fromUtf8(w->metaObject()->className()))
                   .arg(at.x())
                   .arg(at.y())
                   .arg(at.width())
                   .arg(at.height())
                   .arg(w->isHidden() ? QStringLiteral(" hidden") : QString(), caption(w),
                        colours(w->palette()), font.family())
                   .arg(font.pixelSize())
                   .arg(font.bold())
                   .arg(face ? int(face->role()) : -1)
                   .arg(face ? face->text(QAccessible::Name) : QString())
                   .arg(int(w->focusPolicy()))
                   .arg(w->toolTip())
                   .arg(w->hasMouseTracking())
                   .arg(w->testAttribute(Qt::WA_SetCursor) ? int(w->cursor().shape()) : -1)
                   .arg(w->styleSheet()));
    if (const auto* menu = qobject_cast<const QMenu*>(w)) {
        for (const QAction* action : menu->actions()) {
            out.append(
                QStringLiteral("%1- %2 '%3' enabled=%4 visible=%5 separator=%6")
                    .arg(QString(depth * 2, QLatin1Char(' ')), action->objectName(), action->text())
                    .arg(action->isEnabled())
                    .arg(action->isVisible())
                    .arg(action->isSeparator()));
        }
    }
    for (const QObject* child : w->children()) {
        if (const auto* widget = qobject_cast<const QWidget*>(child)) {
            dumpWidget(widget, depth + 1, out);
        }
    }
}

void dumpWindow(const QWidget* window, QStringList& out) {
    out.append(QStringLiteral("window flags=%1 size=%2..%3 focus=%4")
                   .arg(int(window->windowFlags()))
                   .arg(window->minimumWidth())
                   .arg(window->maximumWidth())
                   .arg(window->focusWidget() ? window->focusWidget()->objectName() : QString()));
    dumpWidget(window, 0, out);
    QStringList chain; // what Tab walks through, the controls that take no focus included
    for (const QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        chain.append(w->objectName());
    }
    out.append(QStringLiteral("tab chain: ") + chain.join(QStringLiteral(" > ")));
}

class DesignSnapshotTest : public ProgramTest {};

// The main window opens on equal texts, so neither the plus sign nor the red difference shows.
TEST_F(DesignSnapshotTest, EveryWindowLooksAsDesigned) {
    ASSERT_TRUE(kOnePixelPerTwip);
    writeFile("test", "ab\r\ncd\r\n");
    start();
    QStringList dump;
    dumpWindow(main().loadedWindow(), dump);
    click(get(main(), names::kAbout.pair), Qt::LeftButton);
    dumpWindow(main().loadedWindow(), dump); // the about face
    dumpWindow(fast().loadedWindow(), dump);
    mini().load();
    dumpWindow(mini().loadedWindow(), dump);

    const QByteArray text = dump.join(QLatin1Char('\n')).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(text, QCryptographicHash::Sha1).toHex();
    if (hash != kExpectedHash || qEnvironmentVariableIsSet("TAVREL_PRINT_SNAPSHOT")) {
        std::printf("%s\nhash: %s\n", text.constData(), hash.constData());
    }
    EXPECT_EQ(hash.toStdString(), kExpectedHash) << "the design moved: see the dump above";
}

} // namespace
