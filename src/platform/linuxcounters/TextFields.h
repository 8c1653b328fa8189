#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace platform::linuxcounters {

// The lines of a text, one at a time.
class Lines {
public:
    explicit Lines(std::string_view text) : rest_(text) {}

    bool next(std::string_view& line) {
        if (rest_.empty())
            return false;
        const auto end = rest_.find('\n');
        line = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return true;
    }

private:
    std::string_view rest_;
};

// The blank-separated fields of a line, one at a time.
class Fields {
public:
    explicit Fields(std::string_view line) : rest_(line) {}

    // The next field; empty at the end. Scanned by hand: a find_first_of per character costs a
    // library call each, and these lines are read at every tick.
    std::string_view next() {
        std::size_t start = 0;
        while (start < rest_.size() && blank(rest_[start]))
            ++start;
        std::size_t end = start;
        while (end < rest_.size() && !blank(rest_[end]))
            ++end;
        const std::string_view field = rest_.substr(start, end - start);
        rest_.remove_prefix(end);
        return field;
    }

    // Up to N numbers from the next fields; how many were numbers, up to the first that is not.
    template <std::size_t N>
    std::size_t numbers(std::array<double, N>& values) {
        std::size_t count = 0;
        while (count < N && number(next(), values[count]))
            ++count;
        return count;
    }

    // Kernel counters are whole numbers, read far faster as such than as floating point.
    static bool number(std::string_view field, double& value) {
        const char* end = field.data() + field.size();
        std::uint64_t whole = 0;
        if (const auto [stop, error] = std::from_chars(field.data(), end, whole);
            error == std::errc() && stop == end) {
            value = static_cast<double>(whole);
            return true;
        }
        const auto [stop, error] = std::from_chars(field.data(), end, value);
        return error == std::errc() && stop == end && !field.empty();
    }

private:
    static bool blank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

    std::string_view rest_;
};

// The first field of a text as a number: most sysfs attributes hold one.
inline std::optional<double> firstNumber(std::string_view text) {
    double value = 0.0;
    return Fields::number(Fields(text).next(), value) ? std::optional(value) : std::nullopt;
}

// The first field of a text: a sysfs attribute that holds one word.
inline std::string_view firstWord(std::string_view text) {
    return Fields(text).next();
}

// Whether two names are the same without regard to case, as Windows compares counter names.
inline bool sameName(std::string_view a, std::string_view b) {
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](unsigned char x, unsigned char y) { return lower(x) == lower(y); });
}

} // namespace platform::linuxcounters
