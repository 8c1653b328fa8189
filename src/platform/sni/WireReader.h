#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace platform::sni {

// Reads values of the D-Bus wire format out of one message, in the byte order the message
// claims, checking every length and offset against the bytes there are. Offsets count from the
// start of the message, as alignment does. A read that does not fit, padding that is not zero
// or a string without its end makes the reader fail; a failed reader reads nothing more, so a
// caller reads what it expects and asks ok() once.
class WireReader {
public:
    WireReader(std::span<const std::uint8_t> message, bool bigEndian, std::size_t at = 0)
        : bytes_(message), bigEndian_(bigEndian), at_(at) {}

    bool ok() const { return ok_; }
    std::size_t position() const { return at_; }

    // Skips the zero padding up to the next multiple of `boundary`.
    void align(std::size_t boundary);
    std::uint8_t byte();
    std::uint32_t uint32();
    // A string or an object path ('s', 'o').
    std::string_view string();
    // A signature ('g').
    std::string_view signature();
    // Reads past one value of `type`, which must be a single complete type, whatever it holds.
    void skip(std::string_view type);

    // Where the single complete type that starts at `at` of `signature` ends; npos when none
    // starts there.
    static std::size_t typeEnd(std::string_view signature, std::size_t at);
    // Whether `signature` is exactly one complete type, as a variant holds.
    static bool singleType(std::string_view signature);

private:
    bool fail() { return ok_ = false; }
    bool take(std::size_t count);
    std::string_view text(std::size_t length);
    void skip(std::string_view type, int depth);
    void skipArray(std::string_view element, int depth);
    static std::size_t typeEnd(std::string_view signature, std::size_t at, int depth);

    std::span<const std::uint8_t> bytes_;
    bool bigEndian_;
    std::size_t at_;
    bool ok_ = true;
};

} // namespace platform::sni
