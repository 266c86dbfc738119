// The save-file dialog: where the user wants a file written. Every request
// goes through one sink: by default the platform's own modal dialog, in
// tests a function that answers at once. Any thread may ask; the UI thread
// shows the dialog while the caller waits.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace nolt::fw {

class CDialogEx;

struct SaveFileRequest {
    std::wstring title;        // the dialog's caption
    std::wstring fileName;     // the name it proposes
    std::wstring description;  // of the file type offered first ("pcapng capture")
    std::wstring extension;    // of that type, without the dot; added to a name typed without one
};

// Returns the chosen file, or nullopt for Cancel.
using SaveFileSink = std::function<std::optional<std::filesystem::path>(const SaveFileRequest&)>;

// Replaces the sink; an empty function restores the real dialog.
void setSaveFileSink(SaveFileSink sink);

// Asks where to save: a modal dialog owned by `owner` (nullptr: the
// application's main window). The file type offered first is the request's,
// then all files. nullopt when the user cancels.
std::optional<std::filesystem::path> askSaveFileName(const SaveFileRequest& request, CDialogEx* owner = nullptr);

}  // namespace nolt::fw
