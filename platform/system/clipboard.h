#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace platform {

// The clipboard's plain text, for the edit commands.
QString clipboardText();
void clearClipboard();
void setClipboardText(const QString& text);

// How many characters (UTF-16 code units) the clipboard's text holds, for the watch loop.
// Reading a foreign clipboard is a round trip to the program that owns it, so the text is
// read again only after the clipboard reports a change; where a platform reports no
// changes, at most every 250 ms.
class ClipboardCounter final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClipboardCounter)

public:
    explicit ClipboardCounter(QObject* parent = nullptr);

    // The current count, or nothing when the clipboard could not be read.
    std::optional<int> count();

    // False where the platform does not report changes (Wayland without focus): the count
    // must then be asked for now and then.
    bool notifiesChanges() const { return platformNotifies_; }

    // Without change reports the text is read again after this long.
    static constexpr qint64 kUnnotifiedReadIntervalMs = 250;
    // Whether a count must read the text though no change was reported: only where the
    // platform reports none, and then `kUnnotifiedReadIntervalMs` after the last read (none yet:
    // nothing).
    static bool readIsDue(bool platformNotifies, std::optional<qint64> sinceReadMs);

    // Tests replace the read of the clipboard's text (an empty reader restores the real one);
    // a reader's nothing means a failed read.
    using Reader = std::function<std::optional<QString>()>;
    void setReaderForTests(Reader reader);

Q_SIGNALS:
    void changed();

private:
    void markChanged();

    Reader reader_;
    bool stale_ = true;
    const bool platformNotifies_;
    int cachedCount_ = 0;
    QElapsedTimer sinceRead_;
};

} // namespace platform
