#include "app/RunningIcons.h"

#include "util/log/AppLog.h"

using util::system::monitoring::AnimatedMonitoringTrayIcon;

namespace {

// The one key outside an icon's object that its detail window reads.
std::shared_ptr<javascript::Value> inspectorOf(const std::shared_ptr<javascript::Value>& root) {
    std::shared_ptr<javascript::Value> inspector;
    if (root)
        javascript::JsonReader::tryGetValue(inspector, root, "inspectorType");
    return inspector;
}

} // namespace

RunningIcons::RunningIcons(std::function<void(std::uint32_t, bool)> listen)
    : listen_(std::move(listen)) {}

RunningIcons::~RunningIcons() {
    clear();
}

void RunningIcons::replace(const LoadedConfiguration& loaded, platform::WindowHandle owner) {
    const std::shared_ptr<javascript::Value> inspector = inspectorOf(loaded.root);
    std::vector<bool> kept(shown_.size(), false);
    std::vector<Shown> next;
    std::vector<std::shared_ptr<AnimatedMonitoringTrayIcon>> fresh;
    for (const LoadedIcon& icon : loaded.icons) {
        std::size_t same = 0;
        while (same < shown_.size() &&
               (kept[same] || !javascript::sameTree(shown_[same].entry, icon.entry) ||
                !javascript::sameTree(shown_[same].inspector, inspector)))
            ++same;
        if (same < shown_.size()) {
            kept[same] = true;
            next.push_back(shown_[same]);
            continue;
        }
        try {
            next.push_back(build(icon, inspector, owner));
            fresh.push_back(next.back().visualiser->getIcon());
        } catch (const std::exception& e) {
            util::log::logMessage(util::log::LogLevel::Error, e.what());
        }
    }
    end(kept);
    shown_ = std::move(next);
    icons_.clear();
    for (const Shown& shown : shown_)
        icons_.push_back(shown.visualiser->getIcon());
    // As at start-up, the new icons sample only once all of them are built.
    for (const auto& icon : fresh)
        icon->start();
}

RunningIcons::Shown RunningIcons::build(const LoadedIcon& icon,
                                        const std::shared_ptr<javascript::Value>& inspector,
                                        platform::WindowHandle owner) {
    auto tray = std::make_shared<AnimatedMonitoringTrayIcon>(owner, icon.monitor);
    auto window = std::make_shared<gui::DetailWindow>(
        windowManager_, icon.monitor, gui::detailGraphWidth, gui::detailGraphHeight);
    window->build();
    listen_(tray->identifier(), true);
    return {icon.entry, inspector,
            std::make_shared<gui::PerformanceMonitorVisualiser>(tray, window)};
}

void RunningIcons::end(const std::vector<bool>& kept) {
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        if (kept[i])
            continue;
        const std::shared_ptr<AnimatedMonitoringTrayIcon> icon = shown_[i].visualiser->getIcon();
        icon->stopAndWait();
        listen_(icon->identifier(), false);
    }
}

void RunningIcons::clear() {
    end(std::vector<bool>(shown_.size(), false));
    shown_.clear(); // the windows, then the icons, which leave the notification area
    icons_.clear();
}

std::shared_ptr<gui::PerformanceMonitorVisualiser>
RunningIcons::find(std::uint32_t identifier) const {
    for (const Shown& shown : shown_)
        if (shown.visualiser->getIcon()->identifier() == identifier)
            return shown.visualiser;
    return nullptr;
}
