// The real main dialog on the offscreen platform, with its message boxes
// recorded and its settings file in a folder of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/nolt_pcclient_dlg.h"
#include "framework/ui_thread.h"
#include "support/dialog_support.h"
#include "platform/tcp_listener.h"
#include "platform/tcp_socket.h"
#include "res/resource.h"

namespace nolt::test {

inline constexpr const wchar_t* kConnected = L"Connection to server succeeded.";
inline constexpr const wchar_t* kWaiting = L"Waiting for connection..........";
inline constexpr const wchar_t* kBadInput = L"Please enter the correct IP address or port";
inline constexpr const wchar_t* kConnectFailedBox =
    L"Connection failed, please check whether the filling is correct and whether the network connection is normal!";
inline constexpr const wchar_t* kConnectFailedLog = L"Connection failed, please try again.";
inline constexpr const wchar_t* kDisconnected = L"Disconnected.";
inline constexpr const wchar_t* kSendFailed = L"Operation failed, please check the connection";

inline std::string readFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const std::filesystem::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

// The dialog with its protected parts in reach of the tests.
class TestDialog : public Cnolt_PCClientDlg {
public:
    using Cnolt_PCClientDlg::link_;
    using Cnolt_PCClientDlg::findModules_;
    int saves = 0;
    // When set, makes the recordings' files instead of the dialog.
    std::function<std::shared_ptr<capture::CaptureFile>(const std::filesystem::path&, int*)> captureFiles;

    // The link thread calls the dialog's virtual functions, so a class
    // derived from the dialog stops it before its own destruction begins.
    ~TestDialog() override { link_->stop([] { fw::processPendingEvents(); }); }

protected:
    void SaveSettings() override
    {
        ++saves;
        Cnolt_PCClientDlg::SaveSettings();
    }
    std::shared_ptr<capture::CaptureFile> CreateCaptureFile(const std::filesystem::path& path,
                                                            int* systemError) override
    {
        return captureFiles ? captureFiles(path, systemError) : Cnolt_PCClientDlg::CreateCaptureFile(path, systemError);
    }
};

class DialogFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        fw::user::setUpGui();
        dir_ = std::filesystem::temp_directory_path()
               / (uniqueName("nolt-it") + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        useSettingsFile(dir_ / "Config.ini");
    }
    void TearDown() override
    {
        dlg.reset();
        useSettingsFile({});
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::filesystem::path settingsFile() const { return dir_ / "Config.ini"; }
    const std::filesystem::path& dir() const { return dir_; }

    TestDialog& open()
    {
        dlg = openDialog<TestDialog>();
        return *dlg;
    }

    std::wstring text(int id) const { return dlg->GetDlgItemText(id); }
    bool enabled(int id) const { return dlg->IsControlEnabled(id); }

    // The log's lines without their line ends.
    std::vector<std::wstring> log() const
    {
        std::vector<std::wstring> out;
        const std::wstring all = text(res::IDC_LOG);
        std::size_t at = 0;
        for (std::size_t end; (end = all.find(L"\r\n", at)) != std::wstring::npos; at = end + 2)
            out.push_back(all.substr(at, end - at));
        if (at < all.size()) out.push_back(all.substr(at));
        return out;
    }
    bool logHas(const std::wstring& line) const
    {
        const auto lines = log();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // Generous limits: they cost nothing when things work, and sanitizer
    // builds on a loaded machine are slow.
    static bool waitUntil(const std::function<bool()>& cond, int ms = 10000) { return pumpUntil(cond, ms); }
    bool waitForLine(const std::wstring& line, int ms = 10000)
    {
        return waitUntil([&] { return logHas(line); }, ms);
    }
    // Lines in the log, counted without copying its text.
    int logLineCount() const { return fw::user::lineCount(*dlg, res::IDC_LOG); }

    // Types the address and port, presses Connect (with the mouse).
    void pressConnect(const std::wstring& ip, const std::wstring& port)
    {
        dlg->SetDlgItemText(res::IDC_LINK_IP, ip);
        dlg->SetDlgItemText(res::IDC_LINK_PORT, port);
        ASSERT_TRUE(click(*dlg, res::IDC_CONNECT));
    }
    // Connects to 127.0.0.1:port and waits for the success line.
    void connectTo(std::uint16_t port)
    {
        pressConnect(L"127.0.0.1", std::to_wstring(port));
        ASSERT_TRUE(waitUntil([&] { return dlg->IsConnected(); })) << "no connection";
        ASSERT_TRUE(waitForLine(kConnected));
    }
    bool linkIdle()
    {
        return waitUntil([&] { return !dlg->link_->threadRunning(); });
    }

    // A port on 127.0.0.1 where nobody listens.
    static std::uint16_t closedPort()
    {
        auto l = TcpListener::open("127.0.0.1", 0, 1);
        return l ? l->port() : 0;  // closed again when l goes
    }

    // A listener that never accepts, with its queue filled so that the next
    // connect to it pends (loopback only).
    std::uint16_t fullListener()
    {
        full_ = TcpListener::open("127.0.0.1", 0, 0);
        if (!full_) return 0;
        for (int i = 0; i < 16; ++i) {
            auto s = TcpSocket::create();
            if (!s) return 0;
            const bool pends = s->connect(*parseDottedAddress("127.0.0.1"), full_->port(), nullptr, 300)
                               == TcpSocket::ConnectOutcome::TimedOut;
            fillers_.push_back(std::move(*s));
            if (pends) return full_->port();
        }
        return 0;
    }

    BoxRecorder boxes;
    std::unique_ptr<TestDialog> dlg;

private:
    std::filesystem::path dir_;
    std::optional<TcpListener> full_;
    std::vector<TcpSocket> fillers_;
};

}  // namespace nolt::test
