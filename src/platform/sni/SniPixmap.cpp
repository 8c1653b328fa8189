#include "platform/sni/SniPixmap.h"

namespace platform::sni {

void toArgb32(const gui::Bitmap<gui::Pixel>& picture, std::vector<std::uint8_t>& out) {
    out.resize(static_cast<std::size_t>(picture.width()) * picture.height() * 4);
    std::uint8_t* byte = out.data();
    for (int y = 0; y < picture.height(); ++y) {
        const gui::Pixel* row = picture.scanline(y);
        for (int x = 0; x < picture.width(); ++x) {
            *byte++ = row[x].alpha;
            *byte++ = row[x].red;
            *byte++ = row[x].green;
            *byte++ = row[x].blue;
        }
    }
}

} // namespace platform::sni
