// The floor for the end-to-end figures of bench/run_bench.py: the smallest Qt widget program
// that shows a window. One QWidget holding one QLabel, shown, and the event loop.
//
//   minimal_qt                    the label reads "0" and nothing else happens
//   minimal_qt --count-clipboard  the label shows the clipboard's length in UTF-16 code units,
//                                 read again on every QClipboard::dataChanged: the least any
//                                 Qt program can do to follow another program's copy
//   minimal_qt --line-edit FILE   below the label, a plain QLineEdit (at most 32767
//                                 characters) holding FILE's UTF-8 text, focused with the
//                                 caret at its end; the label shows its length on every
//                                 change: the floor for typing into a long single-line box
//   --font FAMILY,POINTS          (with --line-edit) the box's font, to compare fonts
//   --no-shaping                  (with --line-edit) the box's font asks Qt to skip text
//                                 shaping where the script does not need it
//                                 (QFont::PreferNoShaping)
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QStringList>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const bool countClipboard = arguments.contains(QStringLiteral("--count-clipboard"));
    const qsizetype lineEditAt = arguments.indexOf(QStringLiteral("--line-edit"));

    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal Qt"));
    window.resize(160, 60);
    auto* label = new QLabel(QStringLiteral("0"), &window);
    label->setGeometry(8, 8, 144, 20);

    if (countClipboard) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        QObject::connect(clipboard, &QClipboard::dataChanged, label, [clipboard, label] {
            // The same read as any program that counts the clipboard's text.
            const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
            const qsizetype length = data != nullptr && data->hasText() ? data->text().size() : 0;
            label->setText(QString::number(length));
        });
    }

    if (lineEditAt >= 0 && lineEditAt + 1 < arguments.size()) {
        QFile file(arguments.at(lineEditAt + 1));
        if (!file.open(QIODevice::ReadOnly)) {
            return 1;
        }
        window.resize(420, 70);
        auto* box = new QLineEdit(&window);
        box->setMaxLength(32767);
        box->setGeometry(8, 34, 404, 24);
        QFont font = box->font();
        const qsizetype fontAt = arguments.indexOf(QStringLiteral("--font"));
        if (fontAt >= 0 && fontAt + 1 < arguments.size()) {
            const QStringList familyAndSize = arguments.at(fontAt + 1).split(QLatin1Char(','));
            font.setFamily(familyAndSize.first());
            if (familyAndSize.size() > 1) {
                font.setPointSizeF(familyAndSize.at(1).toDouble());
            }
        }
        if (arguments.contains(QStringLiteral("--no-shaping"))) {
            font.setStyleStrategy(QFont::PreferNoShaping);
        }
        box->setFont(font);
        box->setText(QString::fromUtf8(file.readAll()));
        label->setText(QString::number(box->text().size()));
        QObject::connect(box, &QLineEdit::textChanged, label, [label](const QString& text) {
            label->setText(QString::number(text.size()));
        });
        box->setFocus();
        box->end(false);
    }

    window.show();
    return QApplication::exec();
}
