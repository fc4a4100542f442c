#include "forms/compact/mini_look.h"

#include "core/text_stats.h"
#include "platform/widgets/palette.h"
#include "storage/text_encoding.h"

#include <string_view>

MiniLook miniLook(std::int32_t lenOriginal, std::int32_t lenTranslation) {
    const std::int32_t lenDiff = lenTranslation - lenOriginal;
    const QString sign = lenDiff > 0 ? QStringLiteral("+") : QString();
    MiniLook look;
    look.caption = QStringLiteral("Mini Counter [%1%2]").arg(sign).arg(lenDiff);
    if (lenDiff < 0) {
        look.translationColour = palette::kGreen;
    } else if (lenDiff == 0) {
        look.translationColour = palette::kGold;
    } else {
        look.translationColour = palette::kRed;
    }
    return look;
}

QString countsToolTip(const QString& text) {
    const std::u16string_view view = storage::utf16View(text);
    return QStringLiteral("Spazi:%1 Parole:%2 Frasi:%3")
        .arg(textstats::countSpaces(view))
        .arg(textstats::countWords(view))
        .arg(textstats::countSentences(view));
}
