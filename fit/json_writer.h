#pragma once

#include <QByteArray>

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

// Writes JSON into bytes as it goes, one member or element at a time, for every report of
// tavrel-fit. Written by hand rather than through QJsonDocument, which takes seconds for a
// script of 100,000 lines. Members and elements are separated by ", "; an array opened with
// one element a line puts each element on a line of its own, so that a diff of two reports
// stays readable.
namespace fit {

class JsonWriter {
public:
    explicit JsonWriter(QByteArray& out) : out_(out) {}

    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray(bool elementALine = false);
    JsonWriter& endArray();
    // The name of the next member of the object being written.
    JsonWriter& key(const char* name);

    JsonWriter& value(std::size_t number);
    JsonWriter& value(unsigned long long number);
    JsonWriter& value(bool truth);
    JsonWriter& value(const char* text); // ASCII, written as it is
    JsonWriter& value(std::u16string_view text);
    JsonWriter& null();
    template <typename T> JsonWriter& value(const std::optional<T>& maybe) {
        return maybe ? value(*maybe) : null();
    }

    template <typename T> JsonWriter& member(const char* name, const T& v) {
        return key(name).value(v);
    }

private:
    struct Level {
        bool array;
        bool elementALine;
        bool empty = true;
    };
    void separate(); // before a member or element
    void close(char bracket);

    QByteArray& out_;
    std::vector<Level> levels_;
    bool afterKey_ = false;
};

// The text as the inside of a JSON string, in UTF-8.
QByteArray jsonString(std::u16string_view text);

} // namespace fit
