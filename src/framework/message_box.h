// Modal message boxes with an OK button. Every box goes through one sink:
// by default a real modal box, in tests a recorder that returns at once.
// Boxes requested from a thread other than the UI thread are shown by the UI
// thread while the caller waits.
#pragma once

#include <functional>
#include <string>

namespace nolt::fw {

enum class MessageIcon { None, Exclamation, Information, Error };

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

struct MessageBoxRequest {
    std::wstring caption;
    std::wstring text;
    MessageIcon icon = MessageIcon::None;
};

// Returns the button that closed the box (IDOK).
using MessageBoxSink = std::function<int(const MessageBoxRequest&)>;

// Replaces the sink; an empty function restores the real boxes.
void setMessageBoxSink(MessageBoxSink sink);

// A box owned by the application's main window (or the window the user
// last worked in over it). A box another thread asks for once the main
// window has gone is dropped (returns IDOK).
int showMessageBox(const std::wstring& text, const std::wstring& caption, MessageIcon icon);

// A box with the application's title as its caption (AfxMessageBox).
int AfxMessageBox(const std::wstring& text, MessageIcon icon = MessageIcon::None);

}  // namespace nolt::fw
