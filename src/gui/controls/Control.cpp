#include "gui/controls/Control.h"

#include <algorithm>

namespace gui {

namespace {

bool opaque(const Colour& colour) {
    return colour.alpha == 255.0f;
}

void fillOpaque(Bitmap<Pixel>& bitmap, const Colour& colour) {
    bitmap.fill(
        {channelByte(colour.red), channelByte(colour.green), channelByte(colour.blue), 255});
}

} // namespace

Control::~Control() {
    for (const auto& child : children_)
        child->parent_ = nullptr;
}

// Drawing

void Control::render(platform::WindowHandle, Bitmap<Pixel>& target, const Rect& clip) {
    renderContent(&target);
    const Bitmap<Pixel>& picture = composeChildren();
    Rect bounds = getBounds();
    bool meets = bounds.x < clip.x + clip.width && clip.x < bounds.x + bounds.width &&
                 bounds.y < clip.y + clip.height && clip.y < bounds.y + bounds.height;
    if (meets)
        copyPixels(picture, target, getPosition(), clip);
}

// A control without children is its content: it is shown without a copy into the composite.
const Bitmap<Pixel>& Control::composeChildren() {
    if (zOrder_.empty())
        return content();
    copyContentToComposite();
    for (auto it = zOrder_.rbegin(); it != zOrder_.rend(); ++it)
        (*it)->compose(composite(), *this);
    return composite();
}

void Control::renderContent(const Bitmap<Pixel>* source) {
    if (!contentInvalid_)
        return;
    Bitmap<Pixel>& own = content();
    if (opaque(getBackground())) {
        fillOpaque(own, getBackground());
    } else if (Control* owner = findBufferOwner(); owner && source != nullptr) {
        // A transparent control shows what its buffer owner has drawn behind it.
        Point self = getAbsolutePosition();
        Point base = owner->getAbsolutePosition();
        copyPixels(*source, own, {base.x - self.x, base.y - self.y},
                   {0, 0, own.width(), own.height()});
    }
    paint(own, {0, 0, own.width(), own.height()});
    invalidateContent(false, true);
}

void Control::compose(Bitmap<Pixel>& parentComposite, Control& parent) {
    renderContent(&parentComposite);
    const Bitmap<Pixel>& picture = composeChildren();
    invalidate(false, true);
    copyPixels(picture, parentComposite, getPosition(),
               {0, 0, parent.getBounds().width, parent.getBounds().height});
}

void Control::invalidate(bool self, bool propagate) {
    invalid_ = self;
    if (!self)
        return;
    for (auto it = zOrder_.rbegin(); it != zOrder_.rend(); ++it)
        if (!opaque((*it)->getBackground()))
            (*it)->invalidateContent(true, false); // it shows what lies behind it
    if (Control* parent = getParent(); propagate && parent)
        parent->invalidate(true, true);
}

void Control::invalidateContent(bool value, bool propagate) {
    contentInvalid_ = value;
    if (value)
        invalidate(true, propagate);
}

void Control::releasePictures() {
    dropPictures();
    invalidateContent(true, false);
    for (const auto& child : children_)
        child->releasePictures();
}

// Geometry and layout

Point Control::getAbsolutePosition() const {
    Point position = getPosition();
    for (Control* up = getParent(); up; up = up->getParent()) {
        position.x += up->getBounds().x;
        position.y += up->getBounds().y;
    }
    return position;
}

Control* Control::findBufferOwner() const {
    for (Control* up = getParent(); up; up = up->getParent())
        if (up->isBuffered())
            return up;
    return nullptr;
}

Rect Control::getOuterBounds() const {
    Rect b = getBounds();
    return {b.x, b.y, b.width + margins_.left + margins_.right,
            b.height + margins_.top + margins_.bottom};
}

void Control::setAlignment(std::int32_t alignment) {
    alignment_ = alignment;
    invalidate(true, true);
}

std::int32_t Control::stackOffset(std::int32_t side) const {
    Control* parent = getParent();
    std::int32_t offset = 0;
    bool fill = alignment_ == AlignFill;
    for (auto it = parent->zOrder_.rbegin(); it != parent->zOrder_.rend(); ++it) {
        const Control& sibling = **it;
        if (&sibling == this) {
            if (!fill)
                break;
            continue;
        }
        if (sibling.alignment_ != side || !sibling.inAlignment ||
            (sibling.getDepth() > getDepth() && !fill))
            continue;
        Rect outer = sibling.getOuterBounds();
        offset += side == AlignTop || side == AlignBottom ? outer.height : outer.width;
    }
    return offset;
}

void Control::layout(bool recurse, bool onlyIfAuto) {
    if (onlyIfAuto && !autoLayout)
        return;
    if (Control* parent = getParent()) {
        Rect own = getBounds();
        Rect outer = parent->getBounds();
        Edges p = parent->padding_;
        Edges m = margins_;
        switch (alignment_) {
        case AlignTop:
            setBounds({p.left, p.top + stackOffset(AlignTop), outer.width - p.left - p.right,
                       own.height});
            break;
        case AlignRight:
            setBounds({outer.width - own.width - m.right - p.right - stackOffset(AlignRight),
                       p.top + m.top, own.width,
                       outer.height - p.top - p.bottom - m.top - m.bottom});
            break;
        case AlignBottom:
            setBounds({p.left, outer.height - own.height - p.bottom - stackOffset(AlignBottom),
                       outer.width - p.left - p.right, own.height});
            break;
        case AlignLeft:
            setBounds({m.left + p.left + stackOffset(AlignLeft), p.top + m.top, own.width,
                       outer.height - p.top - p.bottom - m.top - m.bottom});
            break;
        case AlignFill: {
            std::int32_t top = stackOffset(AlignTop);
            std::int32_t right = stackOffset(AlignRight);
            std::int32_t bottom = stackOffset(AlignBottom);
            std::int32_t left = stackOffset(AlignLeft);
            setBounds({p.left + m.left + left, p.top + m.top + top,
                       outer.width - (p.left + p.right + m.left + m.right + left + right),
                       outer.height - (p.top + p.bottom + m.top + m.bottom + top + bottom)});
            break;
        }
        default:
            break;
        }
    }
    if (layoutChildren && recurse)
        for (auto it = zOrder_.rbegin(); it != zOrder_.rend(); ++it)
            (*it)->layout(true, onlyIfAuto);
}

// Children

void Control::addChild(std::shared_ptr<Control> child) {
    child->setOwnerWindow(owner_);
    child->setScale(scale_);
    child->attached();
    children_.push_back(child);
    zOrder_.push_back(child);
    child->parent_ = this;
    child->invalidateContent(true, true);
    sortZOrder();
    layout(true, false);
}

void Control::setScale(platform::Scale scale) {
    if (scale == scale_)
        return;
    scale_ = scale;
    scaleChanged();
    invalidateContent(true, false);
    for (const auto& child : children_)
        child->setScale(scale);
}

void Control::setChildShown(bool shown, const std::shared_ptr<Control>& child) {
    auto found = std::find(zOrder_.begin(), zOrder_.end(), child);
    if (shown == (found != zOrder_.end()))
        return;
    if (shown)
        zOrder_.push_back(child);
    else
        zOrder_.erase(found);
    sortZOrder();
    layout(true, false);
    invalidate(true, true); // what the child covered, or now covers, must be drawn again
}

void Control::setShown(bool shown) {
    if (Control* parent = getParent())
        parent->setChildShown(shown, shared_from_this());
}

void Control::depthChanged() {
    if (Control* parent = getParent()) {
        parent->sortZOrder();
        parent->layout(true, false);
    }
    invalidate(true, true);
}

void Control::sortZOrder() {
    std::sort(
        zOrder_.begin(), zOrder_.end(),
        [](const auto& a, const auto& b) { return a->getDepth() > b->getDepth(); });
}

// Mouse routing

std::shared_ptr<Control> Control::childAt(std::int32_t x, std::int32_t y) const {
    for (auto it = zOrder_.rbegin(); it != zOrder_.rend(); ++it)
        if ((*it)->getBounds().contains(x, y))
            return *it;
    return nullptr;
}

std::shared_ptr<Control> Control::onMouseMove(std::int32_t x, std::int32_t y) {
    if (previewMove && events.mouseMove)
        events.mouseMove(static_cast<unsigned>(x), static_cast<unsigned>(y));
    if (std::shared_ptr<Control> child = childAt(x, y))
        if (auto handled = child->onMouseMove(x - child->getBounds().x, y - child->getBounds().y))
            return handled;
    if (events.mouseMove && events.mouseMove(static_cast<unsigned>(x), static_cast<unsigned>(y)))
        return shared_from_this();
    return nullptr;
}

std::shared_ptr<Control> Control::routeClick(MouseClickArgs& args,
                                             const std::function<bool(MouseClickArgs&)>& handler,
                                             ClickRoute route) {
    if (std::shared_ptr<Control> child = childAt(args.x, args.y)) {
        MouseClickArgs rebased = args;
        rebased.x -= child->getBounds().x;
        rebased.y -= child->getBounds().y;
        if (auto handled = ((*child).*route)(rebased)) {
            args = std::move(rebased);
            return handled;
        }
        args.handled = rebased.handled;
    }
    // A child that ignores the event leaves it to its parent, so that a window can be
    // dragged by its labels as well as by its background.
    if (handler && handler(args))
        return shared_from_this();
    return nullptr;
}

std::shared_ptr<Control> Control::routeButton(MouseClickArgs& args,
                                              const std::function<bool(MouseClickArgs&)>& handler,
                                              ClickRoute route) {
    if (previewButtons && handler && handler(args))
        return shared_from_this();
    return routeClick(args, handler, route);
}

std::shared_ptr<Control> Control::onDoubleClick(MouseClickArgs& args) {
    if (previewDoubleClick && events.doubleClick)
        events.doubleClick(args);
    return routeClick(args, events.doubleClick, &Control::onDoubleClick);
}

std::shared_ptr<Control> Control::onMouseDown(MouseClickArgs& args) {
    return routeButton(args, events.mouseDown, &Control::onMouseDown);
}

std::shared_ptr<Control> Control::onMouseUp(MouseClickArgs& args) {
    return routeButton(args, events.mouseUp, &Control::onMouseUp);
}

std::shared_ptr<Control> Control::onMouseEnter(MouseTrackingArgs& args) {
    hover_ = true;
    if (events.mouseEnter)
        events.mouseEnter(args);
    return nullptr;
}

std::shared_ptr<Control> Control::onMouseLeave(MouseTrackingArgs& args) {
    hover_ = false;
    if (events.mouseLeave)
        events.mouseLeave(args);
    return nullptr;
}

} // namespace gui
