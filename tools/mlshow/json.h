// Just enough JSON writing for `mlshow info --json`: values are built as
// text, objects keep their keys in the order added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mlshow {

namespace Json {
// A JSON string; bytes that are not UTF-8 are taken as Latin-1.
std::string String(const std::string &text);
std::string Number(uint64_t value);
inline std::string Bool(bool value) { return value ? "true" : "false"; }
}  // namespace Json

class JsonObject {
public:
    void Add(const std::string &key, const std::string &value) {
        text_ += (text_.empty() ? "{" : ", ") + Json::String(key) + ": " + value;
    }
    std::string Text() const { return text_.empty() ? "{}" : text_ + "}"; }

private:
    std::string text_;
};

class JsonArray {
public:
    void Add(const std::string &value) { text_ += (text_.empty() ? "[" : ", ") + value; }
    std::string Text() const { return text_.empty() ? "[]" : text_ + "]"; }

private:
    std::string text_;
};

// True when `text` is valid UTF-8.
bool IsUtf8(const std::string &text);
// Latin-1 bytes as UTF-8.
std::string Latin1ToUtf8(const std::string &text);

}  // namespace mlshow
