// A LinkUi that keeps only what a measurement needs: how many log lines have
// arrived, when the last one did, and whether the connection succeeded.
#pragma once

#include "link/link_ui.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

namespace nolt::bench {

class TimingUi : public LinkUi {
public:
    using Clock = std::chrono::steady_clock;

    void appendLog(const std::wstring& line) override
    {
        const auto now = Clock::now();
        {
            std::lock_guard lock(mutex_);
            ++lines_;
            lastAt_ = now;
            lastLine_ = line;
        }
        changed_.notify_all();
    }
    void clearLog() override {}
    void messageBox(const std::wstring&, BoxIcon) override {}
    void setControlText(int, const std::wstring&) override {}
    void enableControl(int, bool) override {}

    long lines() const
    {
        std::lock_guard lock(mutex_);
        return lines_;
    }

    // Waits until more than `seen` lines have arrived; gives the time the
    // next one arrived and its text, or false after the limit.
    bool waitPast(long seen, Clock::time_point& at, std::wstring& line,
                  std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, limit, [&] { return lines_ > seen; })) return false;
        at = lastAt_;
        line = lastLine_;
        return true;
    }

    // Waits for a line with exactly this text to be the last one.
    bool waitForLine(const std::wstring& text, std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return lastLine_ == text; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    long lines_ = 0;
    Clock::time_point lastAt_{};
    std::wstring lastLine_;
};

}  // namespace nolt::bench
