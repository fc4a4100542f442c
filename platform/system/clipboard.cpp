#include "platform/system/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace platform {
namespace {

std::optional<QString> readSystemClipboard() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (data == nullptr) {
        return std::nullopt;
    }
    return data->hasText() ? data->text() : QString();
}

} // namespace

QString clipboardText() {
    return QGuiApplication::clipboard()->text(QClipboard::Clipboard);
}

void clearClipboard() {
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
}

void setClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

// X11 (through XFixes) and the offscreen platform report every change of owner; a Wayland
// client hears of changes only while it has the focus.
ClipboardCounter::ClipboardCounter(QObject* parent)
    : QObject(parent), reader_(readSystemClipboard),
      platformNotifies_(QGuiApplication::platformName() != QLatin1String("wayland")) {
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &ClipboardCounter::markChanged);
}

void ClipboardCounter::setReaderForTests(Reader reader) {
    reader_ = reader ? std::move(reader) : Reader(readSystemClipboard);
    stale_ = true;
}

void ClipboardCounter::markChanged() {
    stale_ = true;
    Q_EMIT changed();
}

bool ClipboardCounter::readIsDue(bool platformNotifies, std::optional<qint64> sinceReadMs) {
    return !platformNotifies && (!sinceReadMs || *sinceReadMs >= kUnnotifiedReadIntervalMs);
}

std::optional<int> ClipboardCounter::count() {
    const bool due =
        readIsDue(platformNotifies_,
                  sinceRead_.isValid() ? std::optional(sinceRead_.elapsed()) : std::nullopt);
    if (stale_ || due) {
        const std::optional<QString> text = reader_();
        if (!text) {
            return std::nullopt;
        }
        cachedCount_ = static_cast<int>(text->size());
        stale_ = false;
        sinceRead_.start();
    }
    return cachedCount_;
}

} // namespace platform
