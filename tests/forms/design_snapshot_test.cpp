// Every window's design in one snapshot: each widget's name, class, place, colours, font, caption,
// accessible name and focus, the tab chains, the menus, and as hashes the pixels each window and
// each look of a picture button paint. A change anywhere changes the hash. To accept an intended
// change: run `TAVREL_PRINT_SNAPSHOT=1 tests/forms/design_snapshot_test` in the build folder (a
// mismatch prints the dump too), check that only what you meant moved, and copy the hash below.
#include "platform/widgets/picture.h"
#include "program_fixture.h"

#include <QAccessible>
#include <QCryptographicHash>
#include <QDebug>
#include <QMenu>
#include <QPainter>
#include <QStyleHints>

#include <cstdio>
#include <cstdlib>

namespace {

// What `w` paints, hidden or not, at a tenth of its size (at one pixel per twip a window is
// thousands of pixels wide).
QByteArray paintedPixels(QWidget* w) {
    QImage image(w->size() / 10, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.scale(0.1, 0.1);
    w->render(&painter, {}, {}, QWidget::DrawChildren);
    const QByteArrayView bits(image.constBits(), image.sizeInBytes());
    return QCryptographicHash::hash(bits, QCryptographicHash::Sha1).toHex().left(12);
}

constexpr const char* kExpectedHash = "e27d3cb4da2e80989ed0344311964122f117bbf3";

// Before the test main makes its QApplication: 1440 dots per inch, one pixel per twip, so a
// control moved by a single twip moves by a pixel.
const bool kOnePixelPerTwip = [] {
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    return setenv("QT_FONT_DPI", "1440", 1) == 0;
}();

// One line a widget (its menu's items below it), in the order they were made; the tab chain.
void dumpWidget(QWidget* w, int depth, QDebug& out) {
    const QFontInfo font(w->font());
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(w));
    const auto* label = qobject_cast<const QLabel*>(w);
    const QString indent(depth * 2, QLatin1Char(' '));
    out << indent << w->objectName() << ' ' << w->metaObject()->className() << ' ' << w->geometry()
        << (w->isHidden() ? " hidden [" : " [") << w->windowTitle()
        << w->property("text").toString() << "] colours="; // of labels, buttons and boxes
    for (const QPalette::ColorRole role :
         {QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::Text}) {
        out << w->palette().color(role).name() << ' ';
    }
    out << "font=" << font.family() << '/' << font.pixelSize() << '/' << font.bold()
        << " a11y=" << (face ? face->role() : QAccessible::NoRole) << ':'
        << (face ? face->text(QAccessible::Name) : QString()) << " focus=" << w->focusPolicy()
        << " tip=" << w->toolTip() << " track=" << w->hasMouseTracking()
        << " cursor=" << (w->testAttribute(Qt::WA_SetCursor) ? w->cursor().shape() : -1)
        << " fill=" << w->autoFillBackground();
    if (auto* look = qobject_cast<platform::ButtonLook*>(w)) {
        out << " look=" << look->letters() << '/' << look->isPressed() << '/'
            << paintedPixels(look);
    }
    if (label != nullptr) {
        out << " align=" << label->alignment() << " wrap=" << label->wordWrap()
            << " buddy=" << (label->buddy() ? label->buddy()->objectName() : QString());
    }
    out << " sheet=" << w->styleSheet() << '\n';
    if (const auto* menu = qobject_cast<const QMenu*>(w)) {
        for (const QAction* action : menu->actions()) {
            out << indent << "- " << action->objectName() << " '" << action->text()
                << "' enabled=" << action->isEnabled() << " visible=" << action->isVisible()
                << " separator=" << action->isSeparator() << '\n';
        }
    }
    for (QObject* child : w->children()) {
        if (auto* widget = qobject_cast<QWidget*>(child)) {
            dumpWidget(widget, depth + 1, out);
        }
    }
}

void dumpWindow(QWidget* window, QDebug& out) {
    out << "window flags=" << window->windowFlags() << " size=" << window->minimumSize()
        << window->maximumSize()
        << " focus=" << (window->focusWidget() ? window->focusWidget()->objectName() : QString())
        << " pixels=" << paintedPixels(window) << '\n';
    dumpWidget(window, 0, out);
    out << "tab chain:"; // what Tab walks through, the controls that take no focus included
    for (const QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        out << ' ' << w->objectName();
    }
    out << '\n';
}

class DesignSnapshotTest : public ProgramTest {};

// The main window opens on equal texts, so neither the plus sign nor the red difference shows.
TEST_F(DesignSnapshotTest, EveryWindowLooksAsDesigned) {
    ASSERT_TRUE(kOnePixelPerTwip);
    QGuiApplication::styleHints()->setCursorFlashTime(0); // a caret that does not blink
    writeFile("test", "ab\r\ncd\r\n");
    start();
    QString dump;
    QDebug out = QDebug(&dump).nospace().noquote();
    dumpWindow(main().loadedWindow(), out);
    // The byte and screen lines of a table with a width file, the translation longer; the
    // original is read back wrong ("xz" is written 01 02, which reads "y") and has two characters
    // the table lacks, the translation one.
    writeFile("gioco.wid", "@line=12\n@lines=1\n@default=5\n61=3\n");
    chooseTable("61=a\r\n62=b\r\n80=ab\r\n*FE=<br>\r\n01=x\r\n0102=y\r\n02=z\r\n", "gioco.tbl");
    box(main(), kOne)->setBoxText(QStringLiteral("xzqq"));
    box(main(), kTwo)->setBoxText(QStringLiteral("abab<br>aq"));
    dumpWindow(main().loadedWindow(), out);
    click(get(main(), names::kAbout.pair), Qt::LeftButton); // the main window's about face first
    for (platform::ManagedWindow* window : windows()) {
        window->load();
        dumpWindow(window->loadedWindow(), out);
    }

    const QByteArray text = dump.toUtf8();
    const QByteArray hash = QCryptographicHash::hash(text, QCryptographicHash::Sha1).toHex();
    if (hash != kExpectedHash || qEnvironmentVariableIsSet("TAVREL_PRINT_SNAPSHOT")) {
        std::printf("%s\nhash: %s\n", text.constData(), hash.constData());
    }
    EXPECT_EQ(hash.toStdString(), kExpectedHash) << "the design moved: see the dump above";
}

} // namespace
