#include "fit/json_writer.h"

#include <QString>

#include <array>
#include <charconv>

namespace fit {

void JsonWriter::separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty()) {
        return;
    }
    Level& level = levels_.back();
    if (!level.empty) {
        out_ += level.elementALine ? ",\n" : ", ";
    }
    level.empty = false;
}

void JsonWriter::close(char bracket) {
    if (levels_.back().elementALine && !levels_.back().empty) {
        out_ += '\n';
    }
    out_ += bracket;
    levels_.pop_back();
}

JsonWriter& JsonWriter::beginObject() {
    separate();
    out_ += '{';
    levels_.push_back({false, false});
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    close('}');
    return *this;
}

JsonWriter& JsonWriter::beginArray(bool elementALine) {
    separate();
    out_ += elementALine ? "[\n" : "[";
    levels_.push_back({true, elementALine});
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    close(']');
    return *this;
}

JsonWriter& JsonWriter::key(const char* name) {
    separate();
    out_ += '"';
    out_ += name;
    out_ += "\": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(unsigned long long number) {
    separate();
    std::array<char, 24> digits{};
    const char* end = std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr;
    out_.append(digits.data(), end - digits.data());
    return *this;
}

JsonWriter& JsonWriter::value(std::size_t number) {
    return value(static_cast<unsigned long long>(number));
}

JsonWriter& JsonWriter::value(bool truth) {
    separate();
    out_ += truth ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::value(const char* text) {
    separate();
    out_ += '"';
    out_ += text;
    out_ += '"';
    return *this;
}

JsonWriter& JsonWriter::value(std::u16string_view text) {
    separate();
    out_ += '"';
    out_ += jsonString(text);
    out_ += '"';
    return *this;
}

JsonWriter& JsonWriter::null() {
    separate();
    out_ += "null";
    return *this;
}

QByteArray jsonString(std::u16string_view text) {
    QString out;
    for (const char16_t unit : text) {
        if (unit == u'"' || unit == u'\\') {
            out += u'\\';
            out += QChar(unit);
        } else if (unit == u'\n') {
            out += QStringLiteral("\\n");
        } else if (unit < 0x20) {
            out += QStringLiteral("\\u%1").arg(static_cast<int>(unit), 4, 16, QLatin1Char('0'));
        } else {
            out += QChar(unit);
        }
    }
    return out.toUtf8();
}

} // namespace fit
