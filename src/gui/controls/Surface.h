#pragma once

#include "gui/controls/ControlGeometry.h"
#include "gui/controls/IRenderable.h"
#include "gui/controls/IWindow.h"
#include "pixels/Bitmap.h"
#include "values/Colour.h"

namespace gui {

struct ResizeRecord {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// A rectangle with its own off-screen pictures: the content (the control's own drawing) and the
// composite (the content with every descendant drawn over it). Both are recreated only when
// the size changes.
class Surface : public IRenderable {
public:
    // The size or position changed.
    virtual void onResized(const ResizeRecord&) {}
    virtual void setBounds(const Rect& bounds);
    Rect getBounds() const { return bounds_; }
    Point getPosition() const { return {bounds_.x, bounds_.y}; }
    Size getSize() const { return {bounds_.width, bounds_.height}; }
    void setSize(std::int32_t width, std::int32_t height) {
        setBounds({bounds_.x, bounds_.y, width, height});
    }
    virtual void setBackground(const Colour& colour);
    Colour getBackground() const { return background_; }
    void setBuffered(bool buffered) { buffered_ = buffered; }
    bool isBuffered() const { return buffered_; }
    std::int32_t getDepth() const { return depth_; }
    void setDepth(std::int32_t depth);
    // The parent re-sorts its children and lays them out again.
    virtual void depthChanged() = 0;
    // Draws the control's own content into `content`, which covers `rect`.
    virtual void paint(Bitmap<Pixel>& content, const Rect& rect);

protected:
    // The pictures at the current size.
    Bitmap<Pixel>& content();
    Bitmap<Pixel>& composite();
    void copyContentToComposite();
    // Lets both pictures go; they are made again, at the current size, when next drawn.
    void dropPictures();

    OwnerWindow* owner_ = nullptr;

private:
    std::int32_t depth_ = 0;
    Bitmap<Pixel> content_{0, 0, Pixel{}};
    Bitmap<Pixel> composite_{0, 0, Pixel{}};
    Rect bounds_;
    Colour background_{0, 0, 0, 255};
    bool buffered_ = true;
};

// Copies the part of `source` that lands inside `clip` of `target` when `source`'s top-left
// goes to `at`; nothing is blended.
void copyPixels(const Bitmap<Pixel>& source, Bitmap<Pixel>& target, Point at, const Rect& clip);

} // namespace gui
