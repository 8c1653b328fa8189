#include "app/Application.h"

#include "app/ConfigurationCheck.h"
#include "platform/LoginStart.h"
#include "platform/Resources.h"
#include "util/log/AppLog.h"

using util::log::LogLevel;
using util::log::logMessage;

namespace {

// UTF-8, whatever the system's narrow encoding.
std::string text(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

// The line of a logged message that says what went wrong. A message of several lines, such as
// the reader's, heads a list: the first line that explains is taken with the heading, else the
// first error the reader found at a place in the file.
std::string errorLine(const std::string& message) {
    std::vector<std::string> lines;
    for (std::size_t begin = 0; begin <= message.size();) {
        std::size_t end = message.find('\n', begin);
        if (end == std::string::npos)
            end = message.size();
        std::string line = message.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(std::move(line));
        begin = end + 1;
    }
    if (lines.size() < 2)
        return message;
    const std::string* chosen = nullptr;
    for (auto line = lines.begin() + 1; line != lines.end() && chosen == nullptr; ++line)
        if (line->find("): error:") == std::string::npos && *line != "lexing...")
            chosen = &*line;
    for (auto line = lines.begin() + 1; line != lines.end() && chosen == nullptr; ++line)
        if (line->find("): error:") != std::string::npos)
            chosen = &*line;
    return chosen == nullptr ? lines.front() : lines.front() + " " + *chosen;
}

} // namespace

Application::Application(ConfigurationLoader::CollectorFactory factory, const ProgramFiles& files)
    : files_(files), running_([this](std::uint32_t identifier, bool comes) {
          if (comes)
              setHandler(identifier, [this](winui::evtarg& message) { onTrayNotify(message); });
          else
              removeHandler(identifier);
      }),
      factory_(std::move(factory)) {
    try {
        wroteExample_ = files_.writeExample();
    } catch (const std::exception& e) {
        exampleFailure_ = e.what();
    }
    // The log is only ever appended to, so opening it leaves a running instance's lines alone;
    // nothing is written before the lock has said whose log it is.
    logFile_ = files_.openLog(logFailure_);
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
        tell("PakVue did not start", e.what(), "");
        platform::desktop().postQuitMessage(1);
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
    util::log::FirstError problem;
    sayWhereFilesAre();
    if (!lockFailure.empty())
        logMessage(LogLevel::Warning, lockFailure);
    create();
    running_.replace(loadWithoutDesktop(files_, factory_), hwnd);
    handleMessages();
    menu_ = platform::desktop().loadMenu(platform::contextMenuResource);
    platform::desktop().onSessionEnd([this] { onSessionEnd(); });
    if (running_.icons().empty()) {
        tell("PakVue did not start", problem.message(), "");
        platform::desktop().postQuitMessage(1);
        return;
    }
    watch_ = platform::desktop().watchFile(files_.configuration(), hwnd, configurationChanged);
    if (!watch_)
        logMessage(LogLevel::Warning, "the configuration's folder cannot be watched; choose "
                                      "\"Reload configuration\" after a change.");
    showStartAtLogin();
    if (logFile_.empty())
        platform::desktop().tellUser("PakVue runs without a log", logFailure_);
}

// A log kept away from the configuration begins by naming it; the example written for a first
// start is named too.
void Application::sayWhereFilesAre() {
    if (files_.found() && !logFile_.empty() && logFile_ != files_.logFiles().front())
        logMessage(LogLevel::Info, "the configuration is \"" + text(files_.configuration()) +
                                       "\"; its folder cannot be written, so the log is here.");
    logMessage(LogLevel::Info, "starting up.");
    if (wroteExample_)
        logMessage(LogLevel::Info,
                   "wrote the example configuration to \"" + text(files_.configuration()) + "\".");
    if (!exampleFailure_.empty())
        logMessage(LogLevel::Error, exampleFailure_);
}

void Application::handleMessages() {
    setHandler(
        WM_COMMAND, [this](winui::evtarg& message) { onCommand(message); });
    setHandler(WM_INITMENUPOPUP, [this](winui::evtarg&) { showStartAtLogin(); });
    // A burst of writes (an editor's save, a script's) reads the file once, when it has settled.
    setHandler(
        configurationChanged,
        [this](winui::evtarg&) {
            platform::desktop().setTimer(hwnd, settleTimer, settleMilliseconds);
        });
    setHandler(WM_TIMER, [this](winui::evtarg& message) {
        if (message.wParam == settleTimer)
            reload();
    });
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
    watch_.reset();
    platform::desktop().destroyMenu(menu_);
    menu_ = nullptr;
    destroy();
    // Every icon's thread ends before anything it draws from is released.
    running_.clear(); // the icons leave the notification area
}

void Application::onSessionEnd() {
    shutDown();
    util::log::AppLog::release();
    platform::desktop().postQuitMessage(0);
}

void Application::reload() {
    platform::desktop().killTimer(hwnd, settleTimer);
    util::log::FirstError problem;
    const LoadedConfiguration loaded =
        loadWithoutDesktop(files_.again(), factory_, WhenNothingLoads::KeepIcons);
    if (loaded.icons.empty()) {
        tell("PakVue did not reload its configuration", problem.message(),
             "The icons shown stay as they were.");
        return;
    }
    running_.replace(loaded, hwnd);
    logMessage(LogLevel::Info,
               "configuration reloaded: " + std::to_string(running_.icons().size()) + " icons.");
}

void Application::tell(const std::string& title, const std::string& problem,
                       const std::string& outcome) {
    std::string message = errorLine(problem);
    if (!outcome.empty())
        message += "\n" + outcome;
    if (logFile_.empty())
        message += "\nThere is no log: " + logFailure_;
    else
        message += "\nThe log has the details: " + text(logFile_);
    platform::desktop().tellUser(title, message);
}

std::shared_ptr<gui::PerformanceMonitorVisualiser>
Application::findVisualiser(std::uint32_t identifier) const {
    return running_.find(identifier);
}

void Application::onCommand(const winui::evtarg& message) {
    switch (platform::lowWord(message.wParam)) {
    case platform::exitCommand:
        platform::desktop().postQuitMessage(0);
        break;
    case platform::editConfigurationCommand:
        edit(files_.configuration());
        break;
    case platform::openLogCommand:
        if (logFile_.empty())
            platform::desktop().tellUser("PakVue has no log", logFailure_);
        else
            edit(logFile_);
        break;
    case platform::reloadConfigurationCommand:
        reload();
        break;
    case platform::startAtLoginCommand:
        toggleStartAtLogin();
        break;
    default:
        break;
    }
}

void Application::edit(const std::filesystem::path& file) {
    std::string failure;
    if (platform::desktop().openInEditor(file, failure))
        return;
    logMessage(LogLevel::Error, failure);
    platform::desktop().tellUser("PakVue could not open a file", failure);
}

void Application::toggleStartAtLogin() {
    const std::filesystem::path& place = files_.userFolders().loginStart;
    const platform::LoginCommand command{platform::executablePath(), files_.configuration()};
    try {
        if (platform::startsAtLogin(place, command)) {
            platform::stopStartingAtLogin(place);
            logMessage(LogLevel::Info, "no longer starts at login.");
        } else {
            platform::startAtLogin(place, command);
            logMessage(LogLevel::Info,
                       "starts at login: " + platform::loginCommandLine(command) + ".");
        }
    } catch (const std::exception& e) {
        logMessage(LogLevel::Error, e.what());
        platform::desktop().tellUser("PakVue could not change how it starts", e.what());
    }
    showStartAtLogin();
}

// Checked only while the entry runs this very program on this configuration: a program that
// has moved since shows it unchecked.
void Application::showStartAtLogin() {
    const platform::LoginCommand command{platform::executablePath(), files_.configuration()};
    platform::desktop().setMenuItemChecked(
        menu_, platform::startAtLoginCommand,
        platform::startsAtLogin(files_.userFolders().loginStart, command));
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
