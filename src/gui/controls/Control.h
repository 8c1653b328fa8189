#pragma once

#include "gui/controls/MouseArgs.h"
#include "gui/controls/Surface.h"
#include "platform/Scale.h"

#include <functional>
#include <memory>
#include <vector>

namespace gui {

// Docking of a control inside its parent.
enum Alignment : std::int32_t {
    AlignNone = 0,
    AlignTop,
    AlignRight,
    AlignBottom,
    AlignLeft,
    AlignFill
};

// The seven mouse handler slots; each returns true when it handled the event.
struct MouseHandlers {
    std::function<bool(MouseClickArgs&)> click;
    std::function<bool(MouseClickArgs&)> doubleClick;
    std::function<bool(MouseClickArgs&)> mouseDown;
    std::function<bool(MouseClickArgs&)> mouseUp;
    std::function<bool(unsigned x, unsigned y)> mouseMove;
    std::function<bool(MouseTrackingArgs&)> mouseEnter;
    std::function<bool(MouseTrackingArgs&)> mouseLeave;
};

// An element of a control tree: docked inside its parent by alignment, padding and margins,
// stacked by depth, drawn off screen, and routed the mouse events that fall on it. Parents own
// their children; children know their parent weakly.
class Control : public Surface, public std::enable_shared_from_this<Control> {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    // Children that others still hold no longer see this control as their parent.
    ~Control() override;

    void attached() override {}
    void render(platform::WindowHandle window, Bitmap<Pixel>& target, const Rect& clip) override;
    void renderContent(const Bitmap<Pixel>* source) override;
    void compose(Bitmap<Pixel>& parentComposite, Control& parent) override;
    void invalidate(bool self, bool propagate) override;
    bool isInvalid() const override { return invalid_; }
    void invalidateContent(bool value, bool propagate) override;
    bool isContentInvalid() const override { return contentInvalid_; }
    void depthChanged() override;
    // A hidden window's tree lets its pictures go, and draws everything again when shown.
    virtual void releasePictures();

    // Sum of the positions of the control and its ancestors.
    Point getAbsolutePosition() const;
    // The control this one is a child of, or null. Not an owning reference: a frame thread
    // that walks up the tree must never be left holding the last reference to its window.
    Control* getParent() const { return parent_; }
    // The nearest buffered ancestor, starting with the parent.
    Control* findBufferOwner() const;
    Rect getOuterBounds() const;
    virtual void layout(bool recurse, bool onlyIfAuto);
    int childCount() const { return static_cast<int>(children_.size()); }

    void setAlignment(std::int32_t alignment);
    Edges getPadding() const { return padding_; }
    void setPadding(std::int32_t left, std::int32_t right, std::int32_t top, std::int32_t bottom) {
        padding_ = {left, right, top, bottom};
    }
    void setPadding(std::int32_t horizontal, std::int32_t vertical) {
        setPadding(horizontal, horizontal, vertical, vertical);
    }
    void setPadding(std::int32_t all) { setPadding(all, all, all, all); }
    Edges getMargins() const { return margins_; }
    void setMargins(std::int32_t left, std::int32_t right, std::int32_t top, std::int32_t bottom) {
        margins_ = {left, right, top, bottom};
    }
    void setMargins(std::int32_t horizontal, std::int32_t vertical) {
        setMargins(horizontal, horizontal, vertical, vertical);
    }
    void setMargins(std::int32_t all) { setMargins(all, all, all, all); }

    // Mouse events, routed down the tree; each returns the control that handled it.
    virtual std::shared_ptr<Control> onMouseMove(std::int32_t x, std::int32_t y);
    virtual std::shared_ptr<Control> onDoubleClick(MouseClickArgs& args);
    virtual std::shared_ptr<Control> onMouseDown(MouseClickArgs& args);
    virtual std::shared_ptr<Control> onMouseUp(MouseClickArgs& args);
    virtual std::shared_ptr<Control> onMouseEnter(MouseTrackingArgs& args);
    virtual std::shared_ptr<Control> onMouseLeave(MouseTrackingArgs& args);
    // The shown child under a point, asked from the lowest depth up; null when none is.
    std::shared_ptr<Control> childAt(std::int32_t x, std::int32_t y) const;

    void addChild(std::shared_ptr<Control> child);
    // Hidden children stay children but are neither drawn, hit nor stacked.
    void setChildShown(bool shown, const std::shared_ptr<Control>& child);
    void setShown(bool shown);
    bool isHovered() const { return hover_; }

    // The scale of the display the tree is shown on, which a child takes from its parent.
    // Setting it tells every control of the subtree whose scale changes.
    platform::Scale scale() const { return scale_; }
    void setScale(platform::Scale scale);

    MouseHandlers events;
    bool inAlignment = true;
    bool previewMove = false;
    bool previewButtons = false;
    bool previewDoubleClick = false;
    bool layoutChildren = true;
    bool autoLayout = true;

protected:
    // The scale changed: whatever the control made for the old one (pictures, metrics) is
    // made again. Its content is drawn again anyway.
    virtual void scaleChanged() {}
    // The window of this control and its whole subtree.
    void setOwnerWindow(OwnerWindow* owner) {
        owner_ = owner;
        for (const auto& child : children_)
            child->setOwnerWindow(owner);
    }
    const std::vector<std::shared_ptr<Control>>& children() const { return children_; }

private:
    using ClickRoute = std::shared_ptr<Control> (Control::*)(MouseClickArgs&);
    std::shared_ptr<Control> routeButton(MouseClickArgs& args,
                                         const std::function<bool(MouseClickArgs&)>& handler,
                                         ClickRoute route);
    std::shared_ptr<Control> routeClick(MouseClickArgs& args,
                                        const std::function<bool(MouseClickArgs&)>& handler,
                                        ClickRoute route);
    std::int32_t stackOffset(std::int32_t side) const;
    void sortZOrder();
    // The content with every shown child composed over it.
    const Bitmap<Pixel>& composeChildren();

    Edges padding_;
    Edges margins_;
    Control* parent_ = nullptr; // the parent owns this control, and clears this when it goes
    std::vector<std::shared_ptr<Control>> children_;
    std::vector<std::shared_ptr<Control>> zOrder_; // shown children, highest depth first
    std::int32_t alignment_ = AlignNone;
    platform::Scale scale_;
    bool hover_ = false;
    bool contentInvalid_ = true;
    bool invalid_ = true;
};

} // namespace gui
