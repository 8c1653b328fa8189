#include "platform/sni/WireReader.h"

#include <cstring>

namespace platform::sni {

namespace {

// Containers nested deeper than this are refused: the wire format allows 32 arrays in 32
// structures, and without a bound a chain of variants inside variants would run the reader
// out of stack.
constexpr int deepest = 64;

std::size_t alignment(char type) {
    switch (type) {
    case 'n':
    case 'q':
        return 2;
    case 'b':
    case 'i':
    case 'u':
    case 'h':
    case 's':
    case 'o':
    case 'a':
        return 4;
    case 'x':
    case 't':
    case 'd':
    case '(':
    case '{':
        return 8;
    default:
        return 1;
    }
}

} // namespace

void WireReader::align(std::size_t boundary) {
    if (!ok_)
        return;
    const std::size_t padded = (at_ + boundary - 1) / boundary * boundary;
    if (padded > bytes_.size()) {
        fail();
        return;
    }
    for (; at_ < padded; ++at_)
        if (bytes_[at_] != 0) {
            fail();
            return;
        }
}

bool WireReader::take(std::size_t count) {
    if (!ok_ || count > bytes_.size() - at_)
        return fail();
    at_ += count;
    return true;
}

std::uint8_t WireReader::byte() {
    return take(1) ? bytes_[at_ - 1] : 0;
}

std::uint32_t WireReader::uint32() {
    align(4);
    if (!take(4))
        return 0;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t next = bytes_[at_ - 4 + (bigEndian_ ? i : 3 - i)];
        value = value << 8 | next;
    }
    return value;
}

// The text and the zero byte after it, which must be its only one.
std::string_view WireReader::text(std::size_t length) {
    if (!ok_ || length >= bytes_.size() - at_ || bytes_[at_ + length] != 0 ||
        std::memchr(bytes_.data() + at_, 0, length) != nullptr) {
        fail();
        return {};
    }
    const std::string_view result(reinterpret_cast<const char*>(bytes_.data() + at_), length);
    at_ += length + 1;
    return result;
}

std::string_view WireReader::string() {
    const std::uint32_t length = uint32();
    return text(length);
}

std::string_view WireReader::signature() {
    const std::uint8_t length = byte();
    return text(length);
}

std::size_t WireReader::typeEnd(std::string_view signature, std::size_t at) {
    return typeEnd(signature, at, 0);
}

bool WireReader::singleType(std::string_view signature) {
    return !signature.empty() && typeEnd(signature, 0) == signature.size();
}

std::size_t WireReader::typeEnd(std::string_view signature, std::size_t at, int depth) {
    if (depth > deepest || at >= signature.size())
        return std::string_view::npos;
    const char type = signature[at];
    if (std::string_view("ybnqiuxtdhsogv").find(type) != std::string_view::npos)
        return at + 1;
    if (type == 'a')
        return typeEnd(signature, at + 1, depth + 1);
    if (type != '(' && type != '{')
        return std::string_view::npos;
    const char close = type == '(' ? ')' : '}';
    std::size_t next = at + 1;
    int members = 0;
    while (next < signature.size() && signature[next] != close) {
        next = typeEnd(signature, next, depth + 1);
        if (next == std::string_view::npos)
            return next;
        ++members;
    }
    if (next >= signature.size() || members == 0 || (close == '}' && members != 2))
        return std::string_view::npos;
    return next + 1;
}

void WireReader::skip(std::string_view type) {
    if (!singleType(type))
        fail();
    skip(type, 0);
}

void WireReader::skip(std::string_view type, int depth) {
    if (!ok_ || depth > deepest) {
        fail();
        return;
    }
    switch (type[0]) {
    case 's':
    case 'o':
        string();
        return;
    case 'g':
        signature();
        return;
    case 'v': {
        const std::string_view inner = signature();
        if (ok_ && !singleType(inner))
            fail();
        else if (ok_)
            skip(inner, depth + 1);
        return;
    }
    case 'a':
        skipArray(type.substr(1), depth + 1);
        return;
    case '(':
    case '{':
        align(8);
        for (std::size_t member = 1; ok_ && member + 1 < type.size();) {
            const std::size_t end = typeEnd(type, member);
            skip(type.substr(member, end - member), depth + 1);
            member = end;
        }
        return;
    default: // a fixed-size value is as long as its alignment
        align(alignment(type[0]));
        take(alignment(type[0]));
    }
}

// The length counts the bytes of the elements, after the padding that aligns the first one
// (there even when there is none).
void WireReader::skipArray(std::string_view element, int depth) {
    const std::uint32_t length = uint32();
    align(alignment(element[0]));
    if (!ok_ || length > bytes_.size() - at_) {
        fail();
        return;
    }
    const std::size_t end = at_ + length;
    while (ok_ && at_ < end)
        skip(element, depth);
    if (at_ != end)
        fail();
}

} // namespace platform::sni
