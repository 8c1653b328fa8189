#include "app/Preview.h"

#include "app/ConfigurationFile.h"
#include "app/SyntheticCollector.h"
#include "gui/detail/DetailWindow.h"
#include "gui/detail/WindowManager.h"
#include "gui/tray/AnimatedGraphTrayIcon.h"
#include "pixels/Png.h"
#include "platform/Files.h"
#include "platform/headless/HeadlessDesktopScope.h"
#include "util/log/AppLog.h"

#include <chrono>
#include <ostream>
#include <thread>

using util::log::LogLevel;
using util::log::logMessage;

namespace {

constexpr int trayEnlargement = 8;

gui::Bitmap<gui::Pixel> enlarged(const gui::Bitmap<gui::Pixel>& picture, int factor) {
    gui::Bitmap<gui::Pixel> result(picture.width() * factor, picture.height() * factor);
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x)
            result.scanline(y)[x] = picture.scanline(y / factor)[x / factor];
    return result;
}

// The folder may be shared, such as /tmp: a link planted at a picture's name is replaced, not
// written through.
void writePicture(const std::filesystem::path& file, const gui::Bitmap<gui::Pixel>& picture) {
    platform::replaceFile(file, gui::encodePng(picture));
}

// Each icon samples at its own interval, all of them for `seconds`.
void sampleCounters(const std::vector<LoadedIcon>& icons, int seconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::seconds(seconds);
    std::vector<Clock::time_point> due(icons.size(), start);
    while (!due.empty()) {
        const auto next = std::min_element(due.begin(), due.end());
        if (*next > end)
            return;
        std::this_thread::sleep_until(*next);
        const auto index = static_cast<std::size_t>(next - due.begin());
        icons[index].monitor->dataSet->update();
        *next += std::chrono::milliseconds(icons[index].monitor->tray.updateInterval);
    }
}

// The whole history at once, so that the pictures do not depend on the time taken.
void sampleSynthetic(const std::vector<LoadedIcon>& icons) {
    for (const LoadedIcon& icon : icons)
        for (std::int32_t i = 0; i < icon.monitor->detail.totalCount; ++i)
            icon.monitor->dataSet->update();
}

// The two pictures of one icon, drawn as the program draws them.
void drawIcon(platform::headless::HeadlessDesktop& desktop,
              const std::shared_ptr<gui::MonitorConfiguration>& monitor,
              const std::filesystem::path& stem) {
    gui::AnimatedGraphTrayIcon icon(nullptr, monitor->tray, monitor->dataSet,
                                    [] { return gui::Frame{}; });
    writePicture(stem.string() + "-tray.png", enlarged(*icon.renderFrame(), trayEnlargement));

    auto window =
        std::make_shared<gui::DetailWindow>(std::make_shared<gui::WindowManager>(), monitor,
                                            gui::detailGraphWidth, gui::detailGraphHeight);
    window->build();
    const platform::Point anchor = desktop.trayIcon(icon.identifier())->anchor;
    window->show(anchor.x, anchor.y, true);
    // The inspector reads the graph two thirds across, half-way up.
    const gui::Rect graph = window->graph()->getBounds();
    const platform::Rect placed = desktop.windowRect(window->hwnd);
    desktop.moveMouse(
        {placed.left + graph.x + graph.width * 2 / 3, placed.top + graph.y + graph.height / 2});
    desktop.pump();
    // A window on the screen is opaque, whatever alpha its pixels were drawn with.
    gui::Bitmap<gui::Pixel> shown = desktop.presentedPixels(window->hwnd);
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            shown.scanline(y)[x].alpha = 255;
    writePicture(stem.string() + "-detail.png", shown);
    window->destroy();
}

} // namespace

CheckResult renderPreview(const ProgramFiles& files, const PreviewRequest& request,
                          const ConfigurationLoader::CollectorFactory& counters,
                          std::ostream& out) {
    const util::log::LogCopy copy(out);
    const LoadedConfiguration loaded =
        loadWithoutDesktop(files, request.synthetic ? syntheticCollectors() : counters);
    if (loaded.result == CheckResult::Unreadable)
        return loaded.result;
    if (request.synthetic)
        sampleSynthetic(loaded.icons);
    else
        sampleCounters(loaded.icons, request.seconds);
    platform::headless::HeadlessDesktopScope scope;
    try {
        std::filesystem::create_directories(request.folder);
        for (std::size_t i = 0; i < loaded.icons.size(); ++i)
            drawIcon(scope.desktop, loaded.icons[i].monitor,
                     request.folder / ("icon" + std::to_string(i + 1)));
    } catch (const std::exception& e) {
        logMessage(LogLevel::Critical, e.what());
        return CheckResult::Unreadable;
    }
    out << loaded.icons.size() * 2 << " pictures written to \"" << request.folder.string()
        << "\".\n";
    return loaded.result;
}

ConfigurationLoader::CollectorFactory syntheticCollectors() {
    auto made = std::make_shared<int>(0);
    return
        [made](
            Units units, const std::string& type, const std::string& name,
            const std::string& label) -> std::shared_ptr<util::system::monitoring::DataCollector> {
            util::system::monitoring::checkDataSource(type, name);
            const auto shape = static_cast<SyntheticCollector::Shape>((*made)++ % 3);
            return std::make_shared<SyntheticCollector>(units, label, shape);
        };
}
