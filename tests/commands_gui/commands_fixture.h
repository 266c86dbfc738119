// The main dialog with its real handlers, opened without a modal run, and a
// simulated module on 127.0.0.1 that records every unit it receives.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/nolt_pcclient_dlg.h"
#include "framework/ui_thread.h"
#include "support/dialog_support.h"
#include "res/resource.h"
#include "sim/server.h"

namespace nolt::test {

// The main dialog without the settings file, with its link reachable.
class CommandsDlg : public Cnolt_PCClientDlg {
public:
    // The link thread may be waiting for the UI thread: serve it while it ends.
    ~CommandsDlg() override { link_->stop([] { fw::processPendingEvents(); }); }
    Link& link() { return *link_; }

protected:
    void LoadSettings() override {}
    void SaveSettings() override {}
};

// A simulated module that keeps, in hex, every frame and text it received.
class RecordingModule {
public:
    explicit RecordingModule(sim::Faults faults = {})
        : server_(options(faults), [this](const std::string& line) { record(line); })
    {
        std::string error;
        EXPECT_TRUE(server_.start(&error)) << error;
    }

    sim::SimServer& server() { return server_; }
    std::uint16_t port() const { return server_.port(); }

    std::vector<std::string> received() const
    {
        std::lock_guard lock(mutex_);
        return received_;
    }

    // Serves events until at least `count` units have arrived.
    bool waitReceived(std::size_t count, int timeoutMs = 3000) const
    {
        return pumpUntil([&] { return received().size() >= count; }, timeoutMs);
    }

private:
    static sim::ServerOptions options(const sim::Faults& faults)
    {
        sim::ServerOptions o;
        o.port = 0;
        o.module.faults = faults;
        return o;
    }

    // "<- AA 01 ..." for a frame, "<- 72 74 ...  \"rtmp...\"" for text.
    void record(const std::string& line)
    {
        if (!line.starts_with("<- ")) return;
        std::string hex = line.substr(3);
        hex = hex.substr(0, hex.find("  "));
        std::lock_guard lock(mutex_);
        received_.push_back(hex);
    }

    mutable std::mutex mutex_;
    std::vector<std::string> received_;
    sim::SimServer server_;
};

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override { dlg = openDialog<CommandsDlg>(); }
    // The dialog, and with it the link, goes before any module of a test.
    void TearDown() override { dlg.reset(); }

    // Opens the link to a module and waits until it is up.
    void connectTo(RecordingModule& module)
    {
        ASSERT_TRUE(dlg->link().connect(L"127.0.0.1", std::to_wstring(module.port())));
        ASSERT_TRUE(pumpUntil([&] { return dlg->IsConnected() && module.server().clientConnected(); }));
    }

    void press(int id) { dlg->SendNotification(id, fw::Notify::Click); }
    // Sets a list's selection and reports the change, as the (hidden) list would.
    void choose(int id, int index)
    {
        dlg->SetCurSel(id, index);
        dlg->SendNotification(id, fw::Notify::SelChange);
    }

    std::wstring log() const { return dlg->GetDlgItemText(res::IDC_LOG); }
    std::vector<std::wstring> boxTexts() const
    {
        std::vector<std::wstring> out;
        for (const auto& b : boxes.boxes) out.push_back(b.text);
        return out;
    }

    BoxRecorder boxes;
    std::unique_ptr<CommandsDlg> dlg;
};

}  // namespace nolt::test
