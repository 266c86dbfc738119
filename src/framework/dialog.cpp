// The life of a dialog: building its window, initialising, the modal run,
// the message table and the default handlers.

#include "framework/dialog.h"

#include <QApplication>
#include <QTimer>

#include "framework/controls.h"
#include "framework/dialog_impl.h"
#include "framework/dialog_window.h"
#include "framework/win_app.h"

namespace nolt::fw {
namespace {

std::function<void(CDialogEx&)>& modalHook()
{
    static std::function<void(CDialogEx&)> hook;
    return hook;
}

Qt::WindowFlags windowFlags(const DialogTemplate& tpl, bool hasParent)
{
    Qt::WindowFlags f = (hasParent && !(tpl.style & kAppWindow)) ? Qt::Dialog : Qt::Window;
    f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (tpl.style & kSysMenu) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tpl.style & kMinimizeBox) f |= Qt::WindowMinimizeButtonHint;
    if (tpl.style & kMaximizeBox) f |= Qt::WindowMaximizeButtonHint;
    return f;
}

}  // namespace

void setModalHook(std::function<void(CDialogEx&)> hook)
{
    modalHook() = std::move(hook);
}

CDialogEx::CDialogEx(const DialogTemplate& tpl, CDialogEx* parent)
    : tpl_(tpl), parent_(parent), d_(std::make_unique<Impl>())
{
    d_->resizable = (tpl.style & kThickFrame) != 0;
}

CDialogEx::~CDialogEx()
{
    DestroyWindow();
}

// A modal dialog given no parent belongs to the application's main window,
// as the platform does it: otherwise it could fall behind the main window,
// which would then seem frozen, and it would get a task-bar entry of its own.
CDialogEx* CDialogEx::modalOwner() const
{
    if (parent_) return parent_;
    CWinApp* app = AfxGetApp();
    CDialogEx* main = app ? app->mainWindow() : nullptr;
    return main && main != this && main->IsWindowCreated() ? main : nullptr;
}

CDialogEx* CDialogEx::GetOwner() const
{
    return onUi([&]() -> CDialogEx* {
        auto* owner = d_->window ? qobject_cast<DialogWindow*>(d_->window->parentWidget()) : nullptr;
        return owner ? &owner->dialog() : nullptr;
    });
}

void CDialogEx::buildWindow(CDialogEx* owner)
{
    DestroyWindow();
    QWidget* parentWindow = owner ? owner->d_->window.data() : nullptr;
    auto* w = new DialogWindow(*this, parentWindow);
    d_->window = w;
    w->setWindowFlags(windowFlags(tpl_, parentWindow != nullptr));
    w->setWindowTitle(QString::fromWCharArray(tpl_.caption.data(), static_cast<qsizetype>(tpl_.caption.size())));
    d_->font = dialogFont(tpl_);
    w->setFont(d_->font);
    computeBaseUnits(d_->font, d_->cx, d_->cy);
    // The window keeps its template size: it can be moved and minimised, not resized.
    w->setFixedSize(mapDialogRect(*d_, 0, 0, tpl_.w, tpl_.h).size());
    buildControls(*d_, *w, tpl_, [this](int id, Notify code) { dispatch(id, code); });
    QObject::connect(qApp, &QApplication::focusChanged, w, [this](QWidget* old, QWidget* now) {
        const int id = controlIdOf(*d_, now);
        if (id != 0 && id != controlIdOf(*d_, old)) dispatch(id, Notify::SetFocus);
    });
}

void CDialogEx::DestroyWindow()
{
    if (!d_->window) return;
    onUi([&] {
        DialogWindow* w = d_->window.data();
        d_->window.clear();
        d_->controls.clear();
        d_->byId.clear();
        delete w;
    });
}

bool CDialogEx::IsWindowCreated() const
{
    return d_->window != nullptr;
}

bool CDialogEx::IsWindowVisible() const
{
    return onUi([&] { return d_->window && d_->window->isVisible(); });
}

bool CDialogEx::Create()
{
    buildWindow(parent_);
    if (OnInitDialog()) d_->window->focusFirstTabStop();
    d_->window->show();
    return true;
}

int CDialogEx::DoModal()
{
    buildWindow(modalOwner());
    d_->result = IDCANCEL;
    d_->ended = false;
    DialogWindow* w = d_->window.data();
    if (OnInitDialog()) w->focusFirstTabStop();
    if (!d_->ended) {
        d_->modalRunning = true;
        QTimer::singleShot(0, w, [this] {
            if (modalHook()) modalHook()(*this);
        });
        w->exec();
        d_->modalRunning = false;
    }
    DestroyWindow();
    return d_->result;
}

void CDialogEx::EndDialog(int result)
{
    onUi([&] {
        d_->result = result;
        d_->ended = true;
        if (!d_->window) return;
        if (d_->modalRunning)
            d_->window->done(result);
        else
            d_->window->hide();
    });
}

bool CDialogEx::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void CDialogEx::UpdateData(bool saving)
{
    DataExchange dx{*this, saving};
    DoDataExchange(dx);
}

void CDialogEx::DoDataExchange(DataExchange&) {}

void CDialogEx::OnOK()
{
    EndDialog(IDOK);
}

void CDialogEx::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialogEx::OnClose()
{
    // Closing the window always ends the dialog, even where a dialog has
    // turned Escape (OnCancel) off.
    EndDialog(IDCANCEL);
}

void CDialogEx::OnSysCommand(int command)
{
    switch (command & 0xFFF0) {
    case SC_CLOSE: SendClose(); break;
    case SC_MINIMIZE:
        if (d_->window) d_->window->showMinimized();
        break;
    default: break;
    }
}

std::span<const MessageEntry> CDialogEx::GetMessageMap() const
{
    return {};
}

void CDialogEx::dispatch(int id, Notify code)
{
    for (const MessageEntry& e : GetMessageMap())
        if (e.id == id && e.code == code) {
            e.handler(*this);
            return;
        }
    // Without an entry of their own, the standard buttons end the dialog.
    if (code == Notify::Click && id == IDOK) OnOK();
    if (code == Notify::Click && id == IDCANCEL) OnCancel();
}

void CDialogEx::SendNotification(int id, Notify code)
{
    onUi([&] { dispatch(id, code); });
}

void CDialogEx::SendClose()
{
    onUi([&] { OnClose(); });
}

void CDialogEx::SendSysCommand(int command)
{
    onUi([&] { OnSysCommand(command); });
}

int CDialogEx::MessageBox(const std::wstring& text, const std::wstring& caption, MessageIcon icon)
{
    return showMessageBox(text, caption, icon);
}

void DDX_Control(DataExchange& dx, int id, CWndRef& control)
{
    control.attach(&dx.dialog, id);
}

}  // namespace nolt::fw
