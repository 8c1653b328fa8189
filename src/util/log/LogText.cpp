#include "util/log/LogText.h"

namespace util::log {

namespace {

constexpr std::string_view lineEnd = "\r\n";
constexpr const char* hexDigits = "0123456789abcdef";

void appendEscaped(std::string& line, unsigned char c) {
    switch (c) {
    case '\t':
        line += "\\t";
        return;
    case '\n':
        line += "\\n";
        return;
    case '\r':
        line += "\\r";
        return;
    default:
        line += "\\x";
        line += hexDigits[c >> 4];
        line += hexDigits[c & 0xf];
    }
}

// The length of the UTF-8 sequence at the start of `text` when it encodes a C1 control
// (U+0080 to U+009F), which some terminals obey, or U+2028 or U+2029, which some viewers
// break lines at; 0 otherwise. `code` is its code point.
std::size_t unicodeControl(std::string_view text, unsigned& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if (text.size() >= 2 && byte(0) == 0xc2 && byte(1) >= 0x80 && byte(1) <= 0x9f) {
        code = byte(1);
        return 2;
    }
    if (text.size() >= 3 && byte(0) == 0xe2 && byte(1) == 0x80 &&
        (byte(2) == 0xa8 || byte(2) == 0xa9)) {
        code = 0x2000 + byte(2) - 0x80;
        return 3;
    }
    return 0;
}

void appendCodePoint(std::string& line, unsigned code) {
    line += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        line += hexDigits[(code >> shift) & 0xf];
}

} // namespace

void appendLogText(std::string& line, std::string_view message, std::string_view lineBreak) {
    if (message.ends_with(lineEnd))
        message.remove_suffix(lineEnd.size());
    for (std::size_t i = 0; i < message.size();) {
        const auto c = static_cast<unsigned char>(message[i]);
        unsigned code = 0;
        if (message.substr(i).starts_with(lineEnd)) {
            line += lineBreak;
            i += lineEnd.size();
        } else if (c < 0x20 || c == 0x7f) {
            appendEscaped(line, c);
            ++i;
        } else if (const std::size_t length = unicodeControl(message.substr(i), code)) {
            appendCodePoint(line, code);
            i += length;
        } else {
            line += static_cast<char>(c);
            ++i;
        }
    }
}

std::string quotedText(std::string_view text) {
    std::string quoted;
    appendLogText(quoted, text, "\\r\\n");
    return quoted;
}

} // namespace util::log
