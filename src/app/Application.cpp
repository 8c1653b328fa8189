#include "app/Application.h"

#include "app/ConfigurationFile.h"
#include "platform/Resources.h"
#include "util/log/AppLog.h"

using util::log::LogLevel;
using util::log::logMessage;
using util::system::monitoring::AnimatedMonitoringTrayIcon;

Application::Application(ConfigurationLoader::CollectorFactory factory, const ProgramFiles& files)
    : files_(files), factory_(std::move(factory)) {
    // The log is only ever appended to, so opening it leaves a running instance's lines alone;
    // nothing is written before the lock has said whose log it is.
    files_.openLog();
    std::string lockFailure;
    if (anotherInstanceRuns(lockFailure)) {
        logMessage(LogLevel::Info, "already running; exiting.");
        platform::desktop().postQuitMessage(0);
        return;
    }
    startedUp_ = true;
    try {
        startUp(lockFailure);
    } catch (const std::exception& e) {
        logMessage(LogLevel::Critical, e.what());
        platform::desktop().postQuitMessage(0);
    }
}

// Takes the configuration's instance lock. A lock that cannot be made does not stop the program:
// it runs without one and says why in `lockFailure`.
bool Application::anotherInstanceRuns(std::string& lockFailure) {
    if (!files_.found())
        return false;
    try {
        instanceLock_ = platform::lockInstance(files_.configuration());
        return !instanceLock_;
    } catch (const std::exception& e) {
        lockFailure = e.what();
        return false;
    }
}

void Application::startUp(const std::string& lockFailure) {
    logMessage(LogLevel::Info, "starting up.");
    if (!lockFailure.empty())
        logMessage(LogLevel::Warning, lockFailure);
    create();
    try {
        loadConfiguration();
    } catch (const std::exception& e) {
        logMessage(LogLevel::Critical, e.what());
        platform::desktop().postQuitMessage(0);
    }
    setHandler(WM_COMMAND, [this](winui::evtarg& message) { onCommand(message); });
    menu_ = platform::desktop().loadMenu(platform::contextMenuResource);
    platform::desktop().onSessionEnd([this] { onSessionEnd(); });
}

Application::~Application() {
    platform::desktop().onSessionEnd(nullptr);
    shutDown();
}

void Application::shutDown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    if (startedUp_)
        logMessage(LogLevel::Info, "shutting down.");
    platform::desktop().destroyMenu(menu_);
    menu_ = nullptr;
    destroy();
    // Every icon's thread ends before anything it draws from is released.
    for (const auto& icon : icons_)
        std::shared_ptr<AnimatedMonitoringTrayIcon>(icon)->stopAndWait();
    visualisers_.clear();
    icons_.clear(); // leaves the notification area
}

void Application::onSessionEnd() {
    shutDown();
    util::log::AppLog::release();
    platform::desktop().postQuitMessage(0);
}

void Application::loadConfiguration() {
    readConfiguration(*reader_, files_);
    const IconCount count =
        loadIconEntries(*reader_, [this](const std::shared_ptr<javascript::Value>& entry) {
            icons_.push_back(loadIcon(entry));
        });
    for (const auto& icon : icons_)
        icon->start();
    if (count.loaded == 0)
        platform::desktop().postQuitMessage(0);
}

std::shared_ptr<AnimatedMonitoringTrayIcon>
Application::loadIcon(const std::shared_ptr<javascript::Value>& entry) {
    ConfigurationLoader loader(reader_->root(), factory_);
    std::shared_ptr<gui::MonitorConfiguration> monitor = loader.loadIcon(entry);
    auto icon = std::make_shared<AnimatedMonitoringTrayIcon>(hwnd, monitor);
    auto window = std::make_shared<gui::DetailWindow>(
        windowManager_, monitor, gui::detailGraphWidth, gui::detailGraphHeight);
    window->build();
    visualisers_.push_back(std::make_shared<gui::PerformanceMonitorVisualiser>(icon, window));
    setHandler(icon->identifier(), [this](winui::evtarg& message) { onTrayNotify(message); });
    return icon;
}

std::shared_ptr<gui::PerformanceMonitorVisualiser>
Application::findVisualiser(std::uint32_t identifier) const {
    for (const auto& visualiser : visualisers_)
        if (visualiser->getIcon()->identifier() == identifier)
            return visualiser;
    return nullptr;
}

void Application::onCommand(const winui::evtarg& message) {
    if (platform::lowWord(message.wParam) == platform::exitCommand)
        platform::desktop().postQuitMessage(0);
}

void Application::onTrayNotify(const winui::evtarg& message) {
    try {
        auto lParam = static_cast<std::uintptr_t>(message.lParam);
        std::uint32_t event = platform::lowWord(lParam);
        std::uint32_t identifier = platform::highWord(lParam);
        std::shared_ptr<gui::PerformanceMonitorVisualiser> visualiser = findVisualiser(identifier);
        std::shared_ptr<gui::DetailWindow> window = visualiser ? visualiser->getWindow() : nullptr;
        // Monitors left of or above the primary one have negative coordinates.
        std::int32_t x = platform::signedLowWord(message.wParam);
        std::int32_t y = platform::signedHighWord(message.wParam);
        // A keyboard user selects the icon with Space or Enter: that is their click.
        bool click = event == WM_LBUTTONDOWN || event == NIN_SELECT || event == NIN_KEYSELECT;
        if ((click || event == NIN_POPUPOPEN) && window)
            window->show(x, y, click, platform::desktop().trayIconRect(hwnd, identifier));
        else if (event == NIN_POPUPCLOSE && window && !window->isPinned())
            window->hidePreview();
        else if (event == WM_CONTEXTMENU)
            openContextMenu({x, y}, identifier);
    } catch (const std::exception& e) {
        logMessage(LogLevel::Error, e.what());
    }
}

// At the anchor, which is the icon itself when the menu key or Shift+F10 opened the menu.
void Application::openContextMenu(platform::Point anchor, std::uint32_t identifier) {
    platform::desktop().trackPopupMenu(menu_, anchor, hwnd, identifier);
}
