// A LinkUi that records every call, for tests and measurements. Calls come
// from the link thread and the test thread alike.
#pragma once

#include "link/link_ui.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace nolt::test {

class RecordingUi : public LinkUi {
public:
    struct Box {
        std::wstring text;
        BoxIcon icon;
    };

    void appendLog(const std::wstring& line) override { record([&] { log_.push_back(line); events_.push_back(L"log " + line); }); }
    void clearLog() override { record([&] { log_.clear(); events_.push_back(L"clear"); }); }
    void messageBox(const std::wstring& text, BoxIcon icon) override
    {
        record([&] { boxes_.push_back({text, icon}); events_.push_back(L"box " + text); });
    }
    void setControlText(int id, const std::wstring& text) override
    {
        record([&] { events_.push_back(L"text " + std::to_wstring(id) + L"=" + text); });
    }
    void enableControl(int id, bool enabled) override
    {
        record([&] { events_.push_back(L"enable " + std::to_wstring(id) + (enabled ? L"=1" : L"=0")); });
    }
    void recordingFailed(const std::filesystem::path&, int systemError) override
    {
        record([&] { events_.push_back(L"recording failed " + std::to_wstring(systemError)); });
    }

    // Waits until the predicate holds over the recorded state.
    bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, done);
    }
    bool waitForLog(const std::wstring& line, std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        return waitUntil([&] { return std::find(log_.begin(), log_.end(), line) != log_.end(); }, limit);
    }
    bool waitForEvent(const std::wstring& event, std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        return waitUntil([&] { return std::find(events_.begin(), events_.end(), event) != events_.end(); }, limit);
    }
    bool waitForEventCount(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        return waitUntil([&] { return events_.size() >= count; }, limit);
    }

    std::vector<std::wstring> log() const { std::lock_guard l(mutex_); return log_; }
    std::vector<std::wstring> events() const { std::lock_guard l(mutex_); return events_; }
    std::vector<Box> boxes() const { std::lock_guard l(mutex_); return boxes_; }
    void clearEvents() { std::lock_guard l(mutex_); events_.clear(); }

    // Called with the lock held after each change (measurements time with it).
    std::function<void(const std::wstring&)> onLog;

private:
    template <typename F>
    void record(F change)
    {
        {
            std::lock_guard lock(mutex_);
            change();
            if (onLog && !log_.empty() && events_.back().rfind(L"log ", 0) == 0) onLog(log_.back());
        }
        changed_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::wstring> log_;
    std::vector<std::wstring> events_;
    std::vector<Box> boxes_;
};

}  // namespace nolt::test
