#include "gui/controls/Button.h"

#include "platform/Desktop.h"
#include "platform/Text.h"

#include <algorithm>

namespace gui {

namespace {

Colour scaled(const Colour& c, float factor) {
    auto clamp = [](float v) { return std::clamp(v, 0.0f, 255.0f); };
    return Colour(clamp(c.red * factor), clamp(c.green * factor), clamp(c.blue * factor),
                  clamp(c.alpha * factor));
}

void fillSolid(Bitmap<Pixel>& bitmap, const Rect& rect, const Colour& colour) {
    Pixel solid{channelByte(colour.red), channelByte(colour.green), channelByte(colour.blue), 255};
    for (int y = std::max(0, rect.y); y < std::min(bitmap.height(), rect.y + rect.height); ++y)
        for (int x = std::max(0, rect.x); x < std::min(bitmap.width(), rect.x + rect.width); ++x)
            bitmap.scanline(y)[x] = solid;
}

void drawBorder(Bitmap<Pixel>& bitmap, const Rect& rect, const Colour& colour) {
    fillSolid(bitmap, {rect.x, rect.y, 1, rect.height}, colour);
    fillSolid(bitmap, {rect.x + rect.width - 1, rect.y, 1, rect.height}, colour);
    fillSolid(bitmap, {rect.x, rect.y, rect.width, 1}, colour);
    fillSolid(bitmap, {rect.x, rect.y + rect.height - 1, rect.width, 1}, colour);
}

// Lays a picture over the bitmap by its alpha, the way icons are drawn.
void drawPicture(Bitmap<Pixel>& bitmap, const Bitmap<Pixel>& picture, int left, int top) {
    for (int y = 0; y < picture.height(); ++y) {
        if (top + y < 0 || top + y >= bitmap.height())
            continue;
        const Pixel* row = picture.scanline(y);
        for (int x = 0; x < picture.width(); ++x) {
            if (left + x < 0 || left + x >= bitmap.width())
                continue;
            const Pixel& p = row[x];
            auto index = static_cast<std::size_t>(top + y) * bitmap.width() + (left + x);
            bitmap.blend(index, Colour(p.red, p.green, p.blue, p.alpha), 1.0f);
        }
    }
}

std::optional<Bitmap<Pixel>> load(const IconResource& icon, platform::Scale scale) {
    return platform::desktop().loadIcon(icon.identifier, scale.scaled(icon.size));
}

} // namespace

Button::Button(IconResource icon, IconResource pressedIcon, std::string text)
    : text(std::move(text)), iconResource_(icon), pressedIconResource_(pressedIcon) {
    loadPictures();
    setBackground(Colour(0, 0, 0, 0));
    setPadding(0);
    invalidateContent(true, true);
}

void Button::loadPictures() {
    icon_ = load(iconResource_, scale());
    pressedIcon_ = load(pressedIconResource_, scale());
}

void Button::scaleChanged() {
    loadPictures();
}

void Button::setColours(const Colour& base, float pressedFactor, float hoverFactor,
                        float borderFactor) {
    baseColour_ = base;
    pressedColour_ = scaled(base, pressedFactor);
    hoverColour_ = scaled(base, hoverFactor);
    borderColour_ = scaled(base, borderFactor);
}

void Button::attached() {
    installHandlers();
    if (!autoSize)
        return;
    Edges p = getPadding();
    if (text.empty()) {
        setSize(p.left + p.right + 18, p.top + p.bottom + 18);
        return;
    }
    auto width = static_cast<std::int32_t>(
        platform::measureText(text, {"Tahoma", 8.0f, Colour(255, 255, 255, 255)}).width);
    setSize(width + p.right + 2 * p.left + 18, p.top + p.bottom + 18);
}

void Button::installHandlers() {
    auto tracking = [this](MouseTrackingArgs&) {
        invalidateContent(true, true);
        redrawOwner();
        return false;
    };
    events.mouseEnter = tracking;
    events.mouseLeave = tracking;
    auto press = [this](MouseClickArgs& args) {
        invalidateContent(true, true);
        args.handled = true;
        return true;
    };
    events.mouseDown = press;
    events.mouseUp = press;
}

void Button::redrawOwner() {
    if (owner_ != nullptr && owner_->hwnd != nullptr)
        platform::desktop().redraw(owner_->hwnd);
}

void Button::paint(Bitmap<Pixel>& content, const Rect& rect) {
    bool pressed = owner_ != nullptr && owner_->window != nullptr &&
                   owner_->window->leftPressedControl().get() == this;
    bool hover = isHovered();
    const std::optional<Bitmap<Pixel>>& picture = pressed && hover ? pressedIcon_ : icon_;
    if (pressed || hover) {
        fillSolid(content, rect, pressed && hover ? pressedColour_ : hoverColour_);
        drawBorder(content, rect, borderColour_);
    }
    if (picture)
        drawPicture(content, *picture, getPadding().left + rect.x + 1,
                    (rect.height - picture->height()) / 2);
}

} // namespace gui
