#include "platform/headless/HeadlessDesktopScope.h"
#include "support/LogCapture.h"
#include "winui/basic_window.h"
#include "winui/blank.h"
#include "winui/dynevent.h"
#include "winui/msgwindow.h"
#include "winui/sdiwindow.h"
#include "winui/uiexception.h"

#include "gtest/gtest.h"
#include <vector>

namespace {

using MessageWindow = winui::basic_window<winui::msgwindow, winui::dynevent, winui::blank>;

class CountingRenderer {
public:
    bool paint(platform::WindowHandle) {
        ++paints;
        return true;
    }
    int paints = 0;
};

using PopupWindow = winui::basic_window<winui::sdiwindow, winui::dynevent, CountingRenderer>;

class RecordingChild : public winui::child_control {
public:
    void attach(platform::WindowHandle parent, int identifier) override {
        calls.push_back("attach " + std::to_string(identifier) + (parent ? "" : " without parent"));
    }
    void detach() override { calls.push_back("detach"); }
    platform::LResult handleMessage(std::uint32_t message, platform::WParam,
                                    platform::LParam) override {
        calls.push_back("message " + std::to_string(message));
        return answer;
    }
    std::vector<std::string> calls;
    platform::LResult answer = 0;
};

class WindowFrameworkTest : public ::testing::Test {
protected:
    platform::headless::HeadlessDesktopScope scope;
    platform::headless::HeadlessDesktop& desktop = scope.desktop;
};

TEST_F(WindowFrameworkTest, TheBindHandlerRunsDuringCreateAfterTheHandleIsSet) {
    MessageWindow window;
    platform::WindowHandle seen = nullptr;
    platform::WindowHandle stored = nullptr;
    window.setHandler(2024, [&](winui::evtarg& argument) {
        seen = argument.hwnd;
        stored = window.hwnd;
    });
    platform::WindowHandle created = window.create();
    EXPECT_NE(created, nullptr);
    EXPECT_EQ(seen, created);
    EXPECT_EQ(stored, created);
    EXPECT_EQ(window.style, 0x02CF0000u);
    EXPECT_EQ(desktop.defaultTreatments(created, 2024), 0u);
    EXPECT_EQ(desktop.defaultTreatments(created, WM_CREATE), 1u)
        << "messages before the bind get the default treatment";
}

TEST_F(WindowFrameworkTest, HandlersThatDoNotAnswerLeaveTheDefaultTreatment) {
    MessageWindow window;
    window.create();
    int calls = 0;
    for (std::uint32_t message : {WM_PAINT, WM_ERASEBKGND, WM_CLOSE, WM_USER})
        window.setHandler(message, [&](winui::evtarg&) { ++calls; });
    for (std::uint32_t message : {WM_PAINT, WM_ERASEBKGND, WM_CLOSE, WM_USER})
        EXPECT_EQ(desktop.sendMessage(window.hwnd, message, 0, 0), message == WM_ERASEBKGND);
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(desktop.defaultTreatments(window.hwnd, WM_PAINT), 1u);
    EXPECT_EQ(desktop.defaultTreatments(window.hwnd, WM_ERASEBKGND), 1u);
    EXPECT_EQ(desktop.defaultTreatments(window.hwnd, WM_CLOSE), 0u);
    EXPECT_EQ(desktop.defaultTreatments(window.hwnd, WM_USER), 1u);

    window.setHandler(WM_USER, [](winui::evtarg& argument) {
        argument.result = 42;
        argument.handled = true;
    });
    EXPECT_EQ(desktop.sendMessage(window.hwnd, WM_USER, 0, 0), 42);
    EXPECT_EQ(desktop.defaultTreatments(window.hwnd, WM_USER), 1u);
}

TEST_F(WindowFrameworkTest, ClosingNeverDestroysEitherKind) {
    MessageWindow hidden;
    PopupWindow popup;
    hidden.create();
    popup.create();
    desktop.sendMessage(hidden.hwnd, WM_CLOSE, 0, 0);
    desktop.postMessage(popup.hwnd, WM_CLOSE, 0, 0);
    desktop.pump();
    EXPECT_EQ(desktop.windows().size(), 2u);
    EXPECT_NE(hidden.hwnd, nullptr);
    EXPECT_NE(popup.hwnd, nullptr);
}

TEST_F(WindowFrameworkTest, EveryWindowRegistersAClassOfItsOwn) {
    PopupWindow first;
    PopupWindow second;
    EXPECT_NE(first.className, second.className);
    EXPECT_EQ(first.className.rfind("class_", 0), 0u);
    EXPECT_TRUE(first.className.ends_with("_winui::sdiwindow")) << first.className;
    std::size_t counter = std::stoul(first.className.substr(6));
    EXPECT_EQ(second.className, "class_" + std::to_string(counter + 1) + "_winui::sdiwindow");
    EXPECT_NE(first.create(), nullptr);
    EXPECT_NE(second.create(), nullptr);
    EXPECT_EQ(first.exStyle, WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW);
    EXPECT_EQ(first.windowClass.style, 43u);
}

TEST_F(WindowFrameworkTest, FailuresCarryTheirTextAndTheSystemCode) {
    auto expectFailure = [](auto& window, const char* text, std::uint32_t code) {
        try {
            window.create();
            ADD_FAILURE() << "no exception for " << text;
        } catch (const winui::uiexception& e) {
            EXPECT_STREQ(e.what(), text);
            EXPECT_EQ(e.error, code);
        }
        EXPECT_EQ(window.hwnd, nullptr);
    };
    MessageWindow hidden;
    desktop.failNextRegistration(5);
    expectFailure(hidden, "failed to register class (RegisterClassEx)", 5);
    desktop.failNextCreation(8);
    expectFailure(hidden, "failed to create window (CreateWindow)", 8);

    PopupWindow popup;
    desktop.failNextRegistration(6);
    expectFailure(popup, "failed to register window class (RegisterClassEx)", 6);
    PopupWindow other;
    desktop.failNextCreation(1400);
    expectFailure(other, "failed to create window (CreateWindow)", 1400);

    MessageWindow named;
    MessageWindow sameName;
    named.className = sameName.className = "pakvue";
    EXPECT_NE(named.create(), nullptr);
    expectFailure(sameName, "failed to register class (RegisterClassEx)",
                  ERROR_CLASS_ALREADY_EXISTS);
}

TEST_F(WindowFrameworkTest, ChildControlsAnswerTheirNotifications) {
    auto child = std::make_shared<RecordingChild>();
    MessageWindow window;
    window.registerChild(7, child);
    window.create();
    platform::WindowClass buttonClass{0, &winui::msgwindow::procedure, 0, 0, "button"};
    ASSERT_TRUE(desktop.registerClass(buttonClass));
    platform::WindowCreation creation;
    creation.className = "button";
    creation.messageOnly = true;
    creation.identifier = 7;
    auto button = reinterpret_cast<platform::LParam>(desktop.createWindow(creation));

    int handlerCalls = 0;
    window.setHandler(WM_COMMAND, [&](winui::evtarg&) { ++handlerCalls; });
    desktop.sendMessage(window.hwnd, WM_COMMAND, 0, button);
    child->answer = 1;
    desktop.sendMessage(window.hwnd, WM_COMMAND, 0, button);
    desktop.sendMessage(window.hwnd, WM_COMMAND, 0, 0); // no control: identifier -1
    EXPECT_EQ(handlerCalls, 3) << "handlers run whatever the child answered";
    EXPECT_EQ(desktop.defaultTreatments(window.hwnd, WM_COMMAND), 2u);

    child->answer = 99;
    EXPECT_EQ(desktop.sendMessage(window.hwnd, WM_CTLCOLORBTN, 0, button), 99);
    platform::WindowHandle handle = window.hwnd;
    desktop.destroyWindow(handle);
    EXPECT_EQ(window.hwnd, nullptr);
    EXPECT_EQ(child->calls, (std::vector<std::string>{"attach 7", "message 273", "message 273",
                                                      "message 309", "detach"}));
}

TEST_F(WindowFrameworkTest, PopupsPaintThroughTheirRendererAndNeverEraseByDefault) {
    PopupWindow popup;
    popup.create();
    EXPECT_EQ(popup.paints, 0) << "a hidden window has nothing to update";
    desktop.moveWindow(popup.hwnd, {10, 20, 60, 80}, false);
    popup.move(300, 400);
    EXPECT_EQ(desktop.windowRect(popup.hwnd), (platform::Rect{300, 400, 350, 460}));
    popup.show();
    desktop.pump();
    EXPECT_EQ(popup.paints, 1);
    EXPECT_EQ(desktop.sendMessage(popup.hwnd, WM_ERASEBKGND, 0, 0), 0);
    EXPECT_EQ(desktop.defaultTreatments(popup.hwnd, WM_ERASEBKGND), 0u);
    EXPECT_EQ(desktop.defaultTreatments(popup.hwnd, WM_PAINT), 0u);
    popup.hide();
    EXPECT_FALSE(desktop.isVisible(popup.hwnd));
}

TEST_F(WindowFrameworkTest, DestroyingTheObjectDestroysItsWindowAndAStrayBindChangesNothing) {
    int destroyed = 0;
    {
        MessageWindow window;
        MessageWindow intruder;
        window.setHandler(WM_DESTROY, [&](winui::evtarg&) { ++destroyed; });
        int calls = 0;
        window.setHandler(WM_USER, [&](winui::evtarg&) { ++calls; });
        window.create();
        intruder.create();
        desktop.sendMessage(window.hwnd, 2024, 0, desktop.userData(intruder.hwnd));
        desktop.sendMessage(window.hwnd, WM_USER, 0, 0);
        EXPECT_EQ(calls, 1) << "the window stays bound to its own object";
        EXPECT_NE(intruder.hwnd, window.hwnd);
        EXPECT_EQ(desktop.windows().size(), 2u);
    }
    EXPECT_EQ(destroyed, 1);
    EXPECT_TRUE(desktop.windows().empty());
}

// A handler that throws loses its message, not the program: the loop logs the text and goes on
// to the next message.
TEST_F(WindowFrameworkTest, AHandlerThatThrowsIsLoggedAndTheLoopGoesOn) {
    test::TemporaryDirectory dir;
    test::LogCapture log{dir};
    log.open();
    MessageWindow window;
    int handled = 0;
    window.setHandler(
        WM_USER, [](winui::evtarg&) -> void { throw std::runtime_error("boom"); });
    window.setHandler(WM_USER + 1, [&](winui::evtarg&) { ++handled; });
    window.create();
    desktop.postMessage(window.hwnd, WM_USER, 0, 0);
    desktop.postMessage(window.hwnd, WM_USER + 1, 0, 0);
    desktop.postQuitMessage(7);
    EXPECT_EQ(platform::runMessageLoop(), 7);
    EXPECT_EQ(handled, 1);
    std::vector<test::LogLine> lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].level + ": " + lines[0].message, "Error: boom");
}

} // namespace
