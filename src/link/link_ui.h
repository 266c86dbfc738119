// What the link needs from the window that shows it. The main dialog
// implements this on top of its controls (each call, made from the link
// thread, is carried out synchronously by the UI thread); tests and a
// command-line client implement it to record or print.
#pragma once

#include <filesystem>
#include <string>

namespace nolt {

enum class BoxIcon { None, Exclamation };

class LinkUi {
public:
    virtual ~LinkUi() = default;

    // One line at the end of the message log.
    virtual void appendLog(const std::wstring& line) = 0;
    // Empties the message log (a successful connect starts it afresh).
    virtual void clearLog() = 0;
    // A modal box with the caption "Tips" and an OK button; returns when closed.
    virtual void messageBox(const std::wstring& text, BoxIcon icon) = 0;
    // Text of a control (read-only fields, version field) by its id.
    virtual void setControlText(int id, const std::wstring& text) = 0;
    // Enables or disables a control (Connect and Disconnect) by its id.
    virtual void enableControl(int id, bool enabled) = 0;
    // A recording of the link's traffic has ended because writing to its
    // file failed (systemError: the system's reason, 0 when it gave none).
    // Said once per recording; a window that records nothing ignores it.
    virtual void recordingFailed(const std::filesystem::path& file, int systemError)
    {
        (void)file;
        (void)systemError;
    }
};

}  // namespace nolt
