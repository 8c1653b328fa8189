// Text for the Linux backends: fontconfig picks the face, FreeType renders its glyphs.

#include "platform/Text.h"
#include "platform/freetype/GlyphCoverage.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

namespace {

constexpr char32_t ellipsis = U'\u2026';

// UTF-8 to code points, into `result`; a byte that starts no valid sequence stands for itself
// (Latin-1), so any text can be drawn.
const std::u32string& decode(const std::string& text, std::u32string& result) {
    result.clear();
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int length = c < 0x80         ? 1
                           : (c >> 5) == 6  ? 2
                           : (c >> 4) == 14 ? 3
                           : (c >> 3) == 30 ? 4
                                            : 0;
        bool valid = length > 0 && i + length <= text.size();
        char32_t code = length == 1 ? c : c & (0x7f >> length);
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next >> 6) == 2;
            code = (code << 6) | (next & 0x3f);
        }
        result.push_back(valid ? code : c);
        i += valid ? length : 1;
    }
    return result;
}

// A sized face, and the advances of the characters measured in it so far. Legends measure their
// text several times per frame (to fit it, to align it): loading a glyph for each costs more
// than drawing it.
// A glyph as drawn: its coverage copied out of FreeType's slot, where it lived only until the
// next glyph was loaded.
struct RenderedGlyph {
    bool known = false;    // rendered, or found missing, already
    bool drawable = false; // FreeType has it
    int left = 0;
    int top = 0;
    float advance = 0.0f;
    unsigned width = 0;
    unsigned rows = 0;
    std::vector<unsigned char> coverage; // kept between glyphs, so it stops growing

    unsigned char at(unsigned row, unsigned column) const {
        return coverage[static_cast<std::size_t>(row) * width + column];
    }
};

// Colour, so that a colour glyph gives its own alpha rather than a grey made from its
// brightness.
void render(FT_Face font, char32_t code, RenderedGlyph& into) {
    into.known = true;
    into.drawable = FT_Load_Char(font, code, FT_LOAD_RENDER | FT_LOAD_COLOR) == 0;
    if (!into.drawable)
        return;
    const FT_GlyphSlot glyph = font->glyph;
    const GlyphCoverage coverage(glyph->bitmap);
    into.left = glyph->bitmap_left;
    into.top = glyph->bitmap_top;
    into.advance = static_cast<float>(glyph->advance.x) / 64.0f;
    into.width = coverage.width();
    into.rows = coverage.rows();
    into.coverage.resize(static_cast<std::size_t>(into.width) * into.rows);
    for (unsigned row = 0; row < into.rows; ++row)
        for (unsigned column = 0; column < into.width; ++column)
            into.coverage[static_cast<std::size_t>(row) * into.width + column] =
                coverage.at(row, column);
}

// A sized face, with what it measured and rendered of the ASCII characters so far. Legends
// change their digits every frame but draw them again and again: loading and rendering each
// glyph anew cost more than blending it.
struct Face {
    FT_Face font = nullptr;
    std::array<float, 128> asciiAdvances{}; // NaN until measured
    std::array<RenderedGlyph, 128> asciiGlyphs;
    Face() { asciiAdvances.fill(std::numeric_limits<float>::quiet_NaN()); }

    // Other characters are rendered into `scratch` each time.
    const RenderedGlyph& glyph(char32_t code, RenderedGlyph& scratch) {
        if (code >= asciiGlyphs.size()) {
            render(font, code, scratch);
            return scratch;
        }
        RenderedGlyph& kept = asciiGlyphs[code];
        if (!kept.known)
            render(font, code, kept);
        return kept;
    }
};

// The FreeType library and one face per family and size, shared by every thread that draws
// text; FreeType objects are not safe to use from two threads at once, hence the lock.
class Fonts {
public:
    static Fonts& instance() {
        static Fonts fonts;
        return fonts;
    }

    static inline std::atomic<bool> opened = false; // nothing loads the libraries to close them

    std::mutex mutex;
    std::u32string line;   // decoded text, reused under the lock so that drawing does not allocate
    RenderedGlyph scratch; // a glyph beyond ASCII, likewise

    // The face for `style`, sized; null when no font can be found at all.
    Face* face(const TextStyle& style) {
        const auto pixels = static_cast<unsigned>(pixelSize(style));
        const auto key = std::make_pair(style.family, pixels);
        if (const auto found = faces_.find(key); found != faces_.end())
            return found->second.font != nullptr ? &found->second : nullptr;
        Face& face = faces_[key];
        face.font = open(style.family);
        if (face.font != nullptr)
            resize(face.font, pixels);
        return face.font != nullptr ? &face : nullptr;
    }

    // The faces and fontconfig's configuration go; which file serves a family is kept, so
    // that opening them again does not load that configuration again.
    void release() {
        closeFaces();
        if (matched_)
            FcFini();
        matched_ = false;
        line = {};
        scratch = {};
    }

private:
    Fonts() {
        opened = true;
        if (FT_Init_FreeType(&library_) != 0)
            library_ = nullptr;
    }
    ~Fonts() {
        closeFaces();
        if (library_ != nullptr)
            FT_Done_FreeType(library_);
        if (matched_)
            FcFini(); // fontconfig's configuration, loaded by the first match
    }

    struct FontFile {
        std::string path; // empty when no font matches
        int index = 0;
    };

    void closeFaces() {
        for (auto& [key, face] : faces_)
            if (face.font != nullptr)
                FT_Done_Face(face.font);
        faces_.clear();
    }

    FT_Face open(const std::string& family) {
        if (library_ == nullptr)
            return nullptr;
        auto found = files_.find(family);
        if (found == files_.end())
            found = files_.emplace(family, match(family)).first;
        const FontFile& file = found->second;
        FT_Face face = nullptr;
        if (file.path.empty() || FT_New_Face(library_, file.path.c_str(), file.index, &face) != 0)
            return nullptr;
        return face;
    }

    FontFile match(const std::string& family) {
        matched_ = true;
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        FontFile file;
        FcChar8* path = nullptr;
        if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
            file.path = reinterpret_cast<const char*>(path);
            FcPatternGetInteger(match, FC_INDEX, 0, &file.index);
        }
        if (match != nullptr)
            FcPatternDestroy(match);
        return file;
    }

    // A face of bitmaps only comes in its own sizes and refuses any other, which would leave it
    // with no size at all (no ascent, so the text lands above its box): the nearest one it has
    // stands in.
    static void resize(FT_Face face, unsigned pixels) {
        if (FT_Set_Pixel_Sizes(face, 0, pixels) == 0 || face->num_fixed_sizes <= 0)
            return;
        const auto distance = [&](int strike) {
            return std::abs(face->available_sizes[strike].y_ppem -
                            static_cast<FT_Pos>(pixels) * 64);
        };
        int nearest = 0;
        for (int strike = 1; strike < face->num_fixed_sizes; ++strike)
            if (distance(strike) < distance(nearest))
                nearest = strike;
        FT_Select_Size(face, nearest);
    }

    FT_Library library_ = nullptr;
    std::map<std::pair<std::string, unsigned>, Face> faces_;
    std::map<std::string, FontFile> files_; // by family
    bool matched_ = false;                  // fontconfig holds a configuration
};

float loadAdvance(FT_Face face, char32_t code) {
    if (FT_Load_Char(face, code, FT_LOAD_DEFAULT) != 0)
        return 0.0f;
    return static_cast<float>(face->glyph->advance.x) / 64.0f;
}

float advanceOf(Face& face, char32_t code) {
    if (code >= face.asciiAdvances.size())
        return loadAdvance(face.font, code);
    float& advance = face.asciiAdvances[code];
    if (std::isnan(advance))
        advance = loadAdvance(face.font, code);
    return advance;
}

float widthOf(Face& face, const std::u32string& text) {
    float width = 0.0f;
    for (char32_t code : text)
        width += advanceOf(face, code);
    return width;
}

float lineHeight(const Face& face) {
    return static_cast<float>(face.font->size->metrics.height) / 64.0f;
}

// Cuts the text and ends it with an ellipsis when it is wider than `room`.
void fit(Face& face, std::u32string& text, float room) {
    float width = widthOf(face, text);
    if (width <= room)
        return;
    const float ellipsisWidth = advanceOf(face, ellipsis);
    while (!text.empty() && width + ellipsisWidth > room) {
        width -= advanceOf(face, text.back());
        text.pop_back();
    }
    if (!text.empty() || ellipsisWidth <= room)
        text.push_back(ellipsis);
}

// Blends one rendered glyph, clipped to the box.
void blendGlyph(gui::Bitmap<gui::Pixel>& bitmap, const RenderedGlyph& glyph, int left, int top,
                const Colour& colour, const TextBox& box) {
    const int right = std::min(box.x + box.width, bitmap.width());
    const int bottom = std::min(box.y + box.height, bitmap.height());
    for (unsigned row = 0; row < glyph.rows; ++row) {
        const int y = top + static_cast<int>(row);
        if (y < std::max(box.y, 0) || y >= bottom)
            continue;
        for (unsigned column = 0; column < glyph.width; ++column) {
            const int x = left + static_cast<int>(column);
            if (x < std::max(box.x, 0) || x >= right)
                continue;
            if (const unsigned char coverage = glyph.at(row, column); coverage != 0)
                bitmap.blend(static_cast<std::size_t>(y) * bitmap.width() + x, colour,
                             coverage / 255.0f);
        }
    }
}

} // namespace

TextExtent measureText(const std::string& text, const TextStyle& style) {
    Fonts& fonts = Fonts::instance();
    std::lock_guard lock(fonts.mutex);
    Face* face = fonts.face(style);
    if (face == nullptr)
        return {};
    return {widthOf(*face, decode(text, fonts.line)), lineHeight(*face)};
}

void drawText(gui::Bitmap<gui::Pixel>& bitmap, const std::string& text, const TextStyle& style,
              const TextBox& box, TextAlignment alignment) {
    Fonts& fonts = Fonts::instance();
    std::lock_guard lock(fonts.mutex);
    Face* found = fonts.face(style);
    if (found == nullptr || text.empty() || box.width <= 0 || box.height <= 0)
        return;
    std::u32string& line = fonts.line;
    decode(text, line);
    fit(*found, line, static_cast<float>(box.width));
    const float width = widthOf(*found, line);
    FT_Face face = found->font;
    float pen = static_cast<float>(box.x);
    if (alignment == TextAlignment::Far)
        pen += static_cast<float>(box.width) - width;
    else if (alignment == TextAlignment::Centre)
        pen += (static_cast<float>(box.width) - width) / 2.0f;
    const int baseline = box.y + static_cast<int>(face->size->metrics.ascender / 64);
    for (char32_t code : line) {
        const RenderedGlyph& glyph = found->glyph(code, fonts.scratch);
        if (!glyph.drawable)
            continue;
        blendGlyph(bitmap, glyph, static_cast<int>(std::lround(pen)) + glyph.left,
                   baseline - glyph.top, style.colour, box);
        pen += glyph.advance;
    }
}

void releaseFonts() {
    if (!Fonts::opened)
        return;
    Fonts& fonts = Fonts::instance();
    std::lock_guard lock(fonts.mutex);
    fonts.release();
}

} // namespace platform
