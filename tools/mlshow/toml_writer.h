// Writing a manifest: TOML lines in a fixed order, with strings escaped.
#pragma once

#include <cstdint>
#include <string>

namespace mlshow {

// A TOML basic string; text that is not UTF-8 is taken as Latin-1.
std::string TomlString(const std::string &text);

class TomlWriter {
public:
    void Table(const std::string &header) { text_ += (text_.empty() ? "" : "\n") + header + "\n"; }
    void Comment(const std::string &line) { text_ += "# " + line + "\n"; }
    void String(const std::string &key, const std::string &value) { Raw(key, TomlString(value)); }
    void Integer(const std::string &key, int64_t value) { Raw(key, std::to_string(value)); }
    void Bool(const std::string &key, bool value) { Raw(key, value ? "true" : "false"); }
    void Pair(const std::string &key, int64_t a, int64_t b) {
        Raw(key, "[" + std::to_string(a) + ", " + std::to_string(b) + "]");
    }
    void Raw(const std::string &key, const std::string &value) { text_ += key + " = " + value + "\n"; }
    const std::string &Text() const { return text_; }

private:
    std::string text_;
};

}  // namespace mlshow
