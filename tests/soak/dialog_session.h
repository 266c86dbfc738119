// The real main dialog connected to a module, for measurements and soak
// tests that run on the offscreen platform: it watches the message log as
// its text changes, so that every line's arrival is seen on the UI thread.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTimer>

#include "app/nolt_pcclient_dlg.h"
#include "framework/qt/qt_access.h"
#include "res/resource.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace nolt::test {

class DialogSession {
public:
    using Clock = std::chrono::steady_clock;

    // Opens the dialog (without a modal run) with the module address and
    // port typed in. The settings file is pointed at a path that does not
    // exist, so that nothing of the user's is read.
    explicit DialogSession(std::uint16_t port)
    {
        const auto config = std::filesystem::temp_directory_path()
                            / ("nolt-session-" + std::to_string(::getpid()) + "-none.ini");
        setenv("NOLT_PCCLIENT_CONFIG", config.c_str(), 1);
        dialog_.Create();
        dialog_.SetDlgItemText(res::IDC_LINK_IP, L"127.0.0.1");
        dialog_.SetDlgItemText(res::IDC_LINK_PORT, std::to_wstring(port));
        log_ = qobject_cast<QPlainTextEdit*>(fw::DialogAccess::control(dialog_, res::IDC_LOG));
        if (log_) QObject::connect(log_, &QPlainTextEdit::textChanged, [this] { logChanged(); });
    }
    ~DialogSession()
    {
        if (log_) QObject::disconnect(log_, nullptr, nullptr, nullptr);
    }

    Cnolt_PCClientDlg& dialog() { return dialog_; }
    bool hasLog() const { return log_ != nullptr; }

    // Lines the log has gained since it was last cleared (each line ends in
    // a line end). Lines it drops to stay within its bound still count.
    int lines() const { return lines_; }
    // When the log last gained a line.
    Clock::time_point lastLineAt() const { return lastLineAt_; }

    // Serves events until the log holds at least `count` lines or the
    // limit passes; true when it does.
    bool waitForLines(int count, std::chrono::milliseconds limit)
    {
        if (lines_ >= count) return true;
        QEventLoop loop;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
        guard.start(static_cast<int>(limit.count()));
        wanted_ = count;
        waiting_ = &loop;
        loop.exec();
        waiting_ = nullptr;
        return lines_ >= count;
    }

    // Presses Connect and waits until the dialog is connected and its log
    // shows the connection's line. Right after Disconnect the previous link
    // thread may still be on its way out, and a press meanwhile does
    // nothing (one link thread at a time), so Connect is pressed again
    // every 10 ms, as a user would; a press while a connect runs is ignored.
    bool connect()
    {
        const auto until = Clock::now() + std::chrono::seconds(5);
        auto pressAt = Clock::now();
        while (!dialog_.IsConnected() && Clock::now() < until) {
            if (Clock::now() >= pressAt) {
                dialog_.SendNotification(res::IDC_CONNECT, fw::Notify::Click);
                pressAt = Clock::now() + std::chrono::milliseconds(10);
            }
            waitForLines(lines_ + 1, std::chrono::milliseconds(5));
        }
        const auto log = logLines();
        return dialog_.IsConnected() && !log.empty() && log.back() == L"Connection to server succeeded.";
    }

    void press(int id) { dialog_.SendNotification(id, fw::Notify::Click); }

    // The log's lines, without their line ends.
    std::vector<std::wstring> logLines() const
    {
        std::vector<std::wstring> out;
        const std::wstring text = dialog_.GetDlgItemText(res::IDC_LOG);
        std::size_t at = 0;
        for (std::size_t end; (end = text.find(L"\r\n", at)) != std::wstring::npos; at = end + 2)
            out.push_back(text.substr(at, end - at));
        if (at < text.size()) out.push_back(text.substr(at));
        return out;
    }

private:
    void logChanged()
    {
        const int now = log_->blockCount() - 1;
        if (now == 0) lines_ = 0;  // cleared (a connection starts a new log)
        if (now > shown_) {
            lines_ += now - shown_;
            lastLineAt_ = Clock::now();
        }
        shown_ = now;
        if (waiting_ && lines_ >= wanted_) waiting_->quit();
    }

    Cnolt_PCClientDlg dialog_;
    QPlainTextEdit* log_ = nullptr;
    int lines_ = 0;
    int shown_ = 0;  // lines in the log now
    int wanted_ = 0;
    QEventLoop* waiting_ = nullptr;
    Clock::time_point lastLineAt_{};
};

}  // namespace nolt::test
