#pragma once

#include "gui/controls/ControlGeometry.h"
#include "pixels/Bitmap.h"
#include "platform/Messages.h"

namespace gui {

class Control;

// Something a window's renderer paints: a control tree, composed off screen.
class IRenderable {
public:
    virtual ~IRenderable() = default;
    // Called when the control is added to a parent.
    virtual void attached() = 0;
    // The top-level paint entry: composes the tree and copies it into the window's pixels.
    virtual void render(platform::WindowHandle window, Bitmap<Pixel>& target, const Rect& clip) = 0;
    // Redraws the control's own content when it is invalid; a transparent background takes
    // the pixels behind it from `source`.
    virtual void renderContent(const Bitmap<Pixel>* source) = 0;
    // Draws the control and its subtree into the parent's composite.
    virtual void compose(Bitmap<Pixel>& parentComposite, Control& parent) = 0;
    virtual void invalidate(bool self, bool propagate) = 0;
    virtual bool isInvalid() const = 0;
    virtual void invalidateContent(bool value, bool propagate) = 0;
    virtual bool isContentInvalid() const = 0;
};

} // namespace gui
