// Shared helpers of the dialog tests, free of any toolkit: the window system
// set up for a test program, a message-box recorder, the modal hook, a
// settings file of the test's own, dialogs opened without a modal run, and
// the user's actions (fw::user) under the names the tests use.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "framework/dialog.h"
#include "framework/message_box.h"
#include "framework/user_actions.h"
#include "platform/settings_path.h"

namespace nolt::test {

using fw::user::click;
using fw::user::pump;
using fw::user::pumpUntil;

// Picks an item of a drop-down list as a user would (fires the selection change).
inline bool selectItem(fw::CDialogEx& dlg, int id, int index)
{
    return fw::user::choose(dlg, id, index);
}

// Empties an IP-address control and types an address into it as a user would.
inline bool setIpText(fw::CDialogEx& dlg, int id, std::wstring_view text)
{
    return fw::user::type(dlg, id, text);
}
inline bool setIpText(fw::CDialogEx& dlg, int id, std::string_view text)
{
    return setIpText(dlg, id, std::wstring(text.begin(), text.end()));
}

// Sets an environment variable that names a file (empty: removes it).
inline void setFileVariable(const char* variable, const std::filesystem::path& file)
{
#ifdef _WIN32
    const std::wstring name(variable, variable + std::strlen(variable));
    _wputenv_s(name.c_str(), file.c_str());
#else
    if (file.empty())
        unsetenv(variable);
    else
        setenv(variable, file.c_str(), 1);
#endif
}

// Points the tool's settings file at `file` (empty: the usual place).
inline void useSettingsFile(const std::filesystem::path& file)
{
    setFileVariable(kSettingsPathVariable, file);
}

// A name no other test process running now uses.
inline std::string uniqueName(std::string_view prefix)
{
    static const auto process =
        std::random_device{}() ^ static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    static std::atomic<int> counter{0};
    return std::string(prefix) + "-" + std::to_string(process) + "-" + std::to_string(++counter);
}

// Records every message box instead of showing it; each returns OK at once.
class BoxRecorder {
public:
    BoxRecorder()
    {
        fw::setMessageBoxSink([this](const fw::MessageBoxRequest& r) {
            boxes.push_back(r);
            return fw::IDOK;
        });
    }
    ~BoxRecorder() { fw::setMessageBoxSink({}); }
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;
    std::vector<fw::MessageBoxRequest> boxes;
};

// Runs `onOpen` with each dialog whose modal run starts while it lives.
class ModalHook {
public:
    explicit ModalHook(std::function<void(fw::CDialogEx&)> onOpen) : onOpen_(std::move(onOpen))
    {
        fw::setModalHook([this](fw::CDialogEx& dlg) {
            ++calls;
            onOpen_(dlg);
        });
    }
    ~ModalHook() { fw::setModalHook({}); }
    ModalHook(const ModalHook&) = delete;
    ModalHook& operator=(const ModalHook&) = delete;
    int calls = 0;

private:
    std::function<void(fw::CDialogEx&)> onOpen_;
};

// Points the settings file at a fresh file of its own while it lives, so
// that tests neither read nor write the user's settings nor each other's.
class IsolatedSettings {
public:
    IsolatedSettings() : path_(std::filesystem::temp_directory_path() / (uniqueName("nolt-gui-test") + ".ini"))
    {
        std::filesystem::remove(path_);
        useSettingsFile(path_);
    }
    ~IsolatedSettings()
    {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
        useSettingsFile({});
    }
    IsolatedSettings(const IsolatedSettings&) = delete;
    IsolatedSettings& operator=(const IsolatedSettings&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Shows a dialog (built, initialised, shown, active) without a modal run.
template <typename Dlg, typename... Args>
std::unique_ptr<Dlg> openDialog(Args&&... args)
{
    fw::user::setUpGui();
    auto dlg = std::make_unique<Dlg>(std::forward<Args>(args)...);
    fw::user::open(*dlg);
    return dlg;
}

// A test fixture with one dialog open (shown, initialised, active) and the
// message boxes recorded.
template <typename Dlg>
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { dlg = openDialog<Dlg>(); }
    IsolatedSettings settings;
    BoxRecorder boxes;
    std::unique_ptr<Dlg> dlg;
};

}  // namespace nolt::test
