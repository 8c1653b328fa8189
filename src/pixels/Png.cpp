#include "pixels/Png.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace gui {

namespace {

std::uint32_t crc32(const std::string& bytes, std::size_t from) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    std::uint32_t c = 0xffffffffu;
    for (std::size_t i = from; i < bytes.size(); ++i)
        c = table[(c ^ static_cast<std::uint8_t>(bytes[i])) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

void appendBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xff));
}

// A chunk: length, type, data, and the CRC of type and data.
void appendChunk(std::string& out, const char* type, const std::string& data) {
    appendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.append(type, 4).append(data);
    appendBigEndian(out, crc32(out, typeAt));
}

// The rows, each after its filter byte (none), as a zlib stream of stored deflate blocks.
std::string zlibStored(const Bitmap<Pixel>& bitmap) {
    std::string raw;
    raw.reserve(static_cast<std::size_t>(bitmap.height()) * (bitmap.width() * 4 + 1));
    for (int y = 0; y < bitmap.height(); ++y) {
        raw.push_back(0);
        for (int x = 0; x < bitmap.width(); ++x) {
            const Pixel& p = bitmap.scanline(y)[x];
            raw.append({static_cast<char>(p.red), static_cast<char>(p.green),
                        static_cast<char>(p.blue), static_cast<char>(p.alpha)});
        }
    }
    std::string out = {0x78, 0x01}; // deflate, 32 KiB window, no dictionary
    constexpr std::size_t largestBlock = 65535;
    std::size_t at = 0;
    do {
        const std::size_t length = std::min(largestBlock, raw.size() - at);
        const bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        for (const std::uint16_t field :
             {static_cast<std::uint16_t>(length), static_cast<std::uint16_t>(~length & 0xffff)}) {
            out.push_back(static_cast<char>(field & 0xff));
            out.push_back(static_cast<char>(field >> 8));
        }
        out.append(raw, at, length);
        at += length;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0; // Adler-32 of the uncompressed bytes
    for (const char byte : raw) {
        a = (a + static_cast<std::uint8_t>(byte)) % 65521;
        b = (b + a) % 65521;
    }
    appendBigEndian(out, (b << 16) | a);
    return out;
}

} // namespace

std::string encodePng(const Bitmap<Pixel>& bitmap) {
    std::string out("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    appendBigEndian(header, static_cast<std::uint32_t>(bitmap.width()));
    appendBigEndian(header, static_cast<std::uint32_t>(bitmap.height()));
    header.append({8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, adaptive filters, no interlace
    appendChunk(out, "IHDR", header);
    appendChunk(out, "IDAT", zlibStored(bitmap));
    appendChunk(out, "IEND", {});
    return out;
}

} // namespace gui
