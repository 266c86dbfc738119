// The application object: one per process. main() constructs the derived
// application and calls run(), which calls InitInstance and then ends.
#pragma once

#include <functional>
#include <string>

namespace nolt::fw {

class CDialogEx;

class CWinApp {
public:
    explicit CWinApp(std::wstring appTitle);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The start-up sequence. Returning false (the usual case for a dialog
    // application once its dialog has ended) ends the process.
    virtual bool InitInstance();

    // Runs InitInstance; returns the process exit status (0 on a normal end).
    int run();

    const std::wstring& appTitle() const { return title_; }
    void SetRegistryKey(const std::wstring& key) { registryKey_ = key; }
    const std::wstring& registryKey() const { return registryKey_; }
    void setMainWindow(CDialogEx* dlg) { mainWnd_ = dlg; }
    CDialogEx* mainWindow() const { return mainWnd_; }

    // Restart-manager support flags (kept for the design; nothing reads them).
    unsigned restartManagerSupportFlags = 0;

private:
    std::wstring title_;
    std::wstring registryKey_;
    CDialogEx* mainWnd_ = nullptr;
};

// The application object, or nullptr before one exists.
CWinApp* AfxGetApp();

// Starts the socket library. On Linux it needs no start-up and succeeds;
// tests replace the start-up to exercise the failure path.
bool AfxSocketInit();
// Replaces the socket start-up; an empty function restores the default.
void setSocketStartup(std::function<bool()> startup);

}  // namespace nolt::fw
