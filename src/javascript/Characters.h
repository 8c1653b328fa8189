#pragma once

namespace javascript {

// Character classes of the classic C locale; bytes 0x80 to 0xFF belong to none.
constexpr bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
constexpr bool isWordStart(char c) {
    return isLetter(c) || c == '_';
}

// The byte that a backslash and `c` stand for inside a string opened with `quote`; '\0' when
// the pair is no escape sequence.
constexpr char escapedCharacter(char c, char quote) {
    switch (c) {
    case '\\':
        return '\\';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    default:
        return c == quote ? quote : '\0';
    }
}

} // namespace javascript
