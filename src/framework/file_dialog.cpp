#include "framework/file_dialog.h"

#include "framework/backend.h"
#include "framework/win_app.h"

namespace nolt::fw {
namespace {

SaveFileSink& sink()
{
    static SaveFileSink s;
    return s;
}

}  // namespace

void setSaveFileSink(SaveFileSink s)
{
    sink() = std::move(s);
}

std::optional<std::filesystem::path> askSaveFileName(const SaveFileRequest& request, CDialogEx* owner)
{
    return onUi([&]() -> std::optional<std::filesystem::path> {
        if (sink()) return sink()(request);
        CWinApp* app = AfxGetApp();
        CDialogEx* main = app ? app->mainWindow() : nullptr;
        return backend::showNativeSaveFileDialog(request, owner ? owner : main);
    });
}

}  // namespace nolt::fw
