#include "platform/headless/HeadlessDesktop.h"

#include "platform/Scale.h"

#include <algorithm>
#include <utility>

namespace platform::headless {

HeadlessDesktop::HeadlessDesktop()
    : monitors_{Rect{0, 0, 1920, 1080}}, taskbar_(Taskbar{Rect{0, 1040, 1920, 1080}, ABE_BOTTOM}) {}

// The loop waits on a condition variable: everything that wakes it happens in this process.

void HeadlessDesktop::waitForInputLocked(Lock& lock) {
    if (const std::optional<Clock::time_point> timer = nextTimerLocked())
        wake_.wait_until(lock, *timer);
    else
        wake_.wait(lock);
}

void HeadlessDesktop::wakeLocked() {
    wake_.notify_all();
}

bool HeadlessDesktop::pump() {
    for (;;) {
        Message message;
        {
            Lock held = lock();
            if (quitWaitingLocked())
                return false;
            if (!nextMessageLocked(message))
                return true;
        }
        dispatchMessage(message);
    }
}

// Windows: the records are shared; the pixels each window last presented are the headless
// desktop's own.

bool HeadlessDesktop::registerClass(const WindowClass& windowClass) {
    {
        Lock held = lock();
        if (failRegistration_ != 0)
            return fail(std::exchange(failRegistration_, 0), false);
    }
    return SoftwareDesktop::registerClass(windowClass);
}

WindowHandle HeadlessDesktop::createWindow(const WindowCreation& creation) {
    {
        Lock held = lock();
        if (failCreation_ != 0)
            return fail<WindowHandle>(std::exchange(failCreation_, 0), nullptr);
    }
    return SoftwareDesktop::createWindow(creation);
}

LResult HeadlessDesktop::defaultProcedure(WindowHandle window, std::uint32_t message, WParam wParam,
                                          LParam lParam) {
    {
        Lock held = lock();
        ++defaults_[{window, message}];
    }
    return SoftwareDesktop::defaultProcedure(window, message, wParam, lParam);
}

void HeadlessDesktop::createNativeLocked(WindowHandle window, software::SoftwareWindow& record,
                                         const WindowCreation&) {
    resizePresentedLocked(window, record.bounds);
}

void HeadlessDesktop::destroyNativeLocked(WindowHandle window, software::SoftwareWindow&) {
    presented_.erase(window);
}

void HeadlessDesktop::moveNativeLocked(WindowHandle window, software::SoftwareWindow& record) {
    resizePresentedLocked(window, record.bounds);
}

void HeadlessDesktop::resizePresentedLocked(WindowHandle window, const Rect& bounds) {
    gui::Bitmap<gui::Pixel>& pixels =
        presented_.try_emplace(window, 0, 0, gui::Pixel{}).first->second;
    if (pixels.width() != bounds.width() || pixels.height() != bounds.height())
        pixels = gui::Bitmap<gui::Pixel>(bounds.width(), bounds.height(), gui::Pixel{});
}

void HeadlessDesktop::present(WindowHandle window, const gui::Bitmap<gui::Pixel>& pixels,
                              Point at) {
    Lock held = lock();
    auto found = presented_.find(window);
    if (findLocked(window) == nullptr || found == presented_.end())
        return;
    gui::Bitmap<gui::Pixel>& target = found->second;
    int left = std::max(0, at.x);
    int right = std::min(target.width(), at.x + pixels.width());
    for (int y = std::max(0, at.y); y < std::min(target.height(), at.y + pixels.height()); ++y)
        if (left < right)
            std::copy(pixels.scanline(y - at.y) + (left - at.x),
                      pixels.scanline(y - at.y) + (right - at.x), target.scanline(y) + left);
}

// Notification area, menus and shell

bool HeadlessDesktop::addTrayIcon(const TrayIconRequest& request) {
    Lock held = lock();
    return tray_.add(request, taskbar_, screenLocked());
}

bool HeadlessDesktop::setTrayIconPicture(WindowHandle owner, std::uint32_t identifier,
                                         const gui::Bitmap<gui::Pixel>& picture) {
    Lock held = lock();
    return tray_.setPicture(owner, identifier, picture);
}

bool HeadlessDesktop::setTrayIconPictures(WindowHandle owner, std::uint32_t identifier,
                                          const gui::Bitmap<gui::Pixel>& picture,
                                          const gui::Bitmap<gui::Pixel>& small) {
    Lock held = lock();
    return tray_.setPicture(owner, identifier, picture, &small);
}

bool HeadlessDesktop::removeTrayIcon(WindowHandle owner, std::uint32_t identifier) {
    Lock held = lock();
    return tray_.remove(owner, identifier);
}

int HeadlessDesktop::trayPictureSize(WindowHandle, std::uint32_t) const {
    return Scale(monitorDpi({})).scaled(trayIconSize);
}

void HeadlessDesktop::openMenu(const MenuResource& menu, Point at, WindowHandle owner) {
    Lock held = lock();
    menuRequest_ = MenuRequest{owner, at, menu.items};
}

// Files: the watches are a table that tests read and report changes to.

class HeadlessDesktop::WatchHandle final : public FileWatch {
public:
    WatchHandle(HeadlessDesktop& desktop, int id) : desktop_(desktop), id_(id) {}
    ~WatchHandle() override {
        Lock held = desktop_.lock();
        desktop_.watches_.erase(id_);
    }

private:
    HeadlessDesktop& desktop_;
    int id_;
};

std::unique_ptr<FileWatch> HeadlessDesktop::watchFile(const std::filesystem::path& file,
                                                      WindowHandle owner, std::uint32_t message) {
    Lock held = lock();
    watches_.emplace(nextWatch_, Watch{file, owner, message});
    return std::make_unique<WatchHandle>(*this, nextWatch_++);
}

std::vector<std::filesystem::path> HeadlessDesktop::watchedFiles() const {
    Lock held = lock();
    std::vector<std::filesystem::path> files;
    for (const auto& [id, watch] : watches_)
        files.push_back(watch.file);
    return files;
}

// The user: what they were told and which files they were given to edit.

void HeadlessDesktop::tellUser(const std::string& title, const std::string& text) {
    Lock held = lock();
    notices_.push_back({title, text});
}

bool HeadlessDesktop::openInEditor(const std::filesystem::path& file, std::string& failure) {
    Lock held = lock();
    failure = std::exchange(editorFailure_, {});
    if (!failure.empty())
        return false;
    edited_.push_back(file);
    return true;
}

std::vector<Notice> HeadlessDesktop::notices() const {
    Lock held = lock();
    return notices_;
}

std::vector<std::filesystem::path> HeadlessDesktop::editedFiles() const {
    Lock held = lock();
    return edited_;
}

Point HeadlessDesktop::cursorPosition() const {
    Lock held = lock();
    return cursor_;
}

std::vector<Rect> HeadlessDesktop::monitors() const {
    Lock held = lock();
    return monitors_;
}

std::optional<Taskbar> HeadlessDesktop::taskbar() const {
    Lock held = lock();
    return taskbar_;
}

std::optional<Rect> HeadlessDesktop::workArea(Point at) const {
    std::optional<std::size_t> monitor;
    {
        Lock held = lock();
        monitor = nearestMonitor(monitors_, at);
        if (monitor && *monitor < workAreas_.size())
            return workAreas_[*monitor];
    }
    return Desktop::workArea(at);
}

std::optional<Rect> HeadlessDesktop::trayIconRect(WindowHandle owner,
                                                  std::uint32_t identifier) const {
    Lock held = lock();
    const TrayIconState* icon = tray_.find(identifier);
    if (icon == nullptr || icon->owner != owner)
        return std::nullopt;
    return TrayArea::rectOf(*icon);
}

Rect HeadlessDesktop::screenLocked() const {
    return monitors_.empty() ? Rect{0, 0, 1920, 1080} : monitors_.front();
}

} // namespace platform::headless
