#include "forms/main/difference.h"

#include "platform/widgets/palette.h"

DifferenceLook differenceLook(int lenOriginal, int lenTranslation) {
    const int diff = lenTranslation - lenOriginal;
    if (diff > 0) {
        return {QString::number(diff), palette::kRed, true};
    }
    if (diff == 0) {
        return {QString::number(diff), palette::kYellow, false};
    }
    return {QString::number(diff), palette::kGreen, false};
}
