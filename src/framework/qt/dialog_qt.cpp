// The life of a dialog's Qt window: building it, initialising, the modal run.

#include "framework/dialog.h"

#include <QApplication>
#include <QTimer>

#include "framework/backend.h"
#include "framework/qt/dialog_impl.h"
#include "framework/qt/dialog_window.h"

namespace nolt::fw {
namespace {

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

CDialogEx::CDialogEx(const DialogTemplate& tpl, CDialogEx* parent)
    : tpl_(tpl), parent_(parent), d_(std::make_unique<Impl>())
{
    d_->resizable = (tpl.style & kThickFrame) != 0;
}

CDialogEx::~CDialogEx()
{
    DestroyWindow();
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
    d_->font.setPointSize(fittedPointSize(tpl_, parentWindow));
    w->setFont(d_->font);
    computeBaseUnits(d_->font, d_->cx, d_->cy);
    // The window keeps its template size: it can be moved and minimised, not resized.
    w->setFixedSize(mapDialogRect(*d_, 0, 0, tpl_.w, tpl_.h).size());
    buildControls(*d_, *w, tpl_, [this](int id, Notify code) { DialogEvents::notify(*this, id, code); });
    QObject::connect(qApp, &QApplication::focusChanged, w, [this](QWidget* old, QWidget* now) {
        const int id = controlIdOf(*d_, now);
        if (id != 0 && id != controlIdOf(*d_, old)) DialogEvents::notify(*this, id, Notify::SetFocus);
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
    if (DialogEvents::initDialog(*this)) d_->window->focusFirstTabStop();
    d_->window->placeOnScreen();
    d_->window->show();
    return true;
}

int CDialogEx::DoModal()
{
    buildWindow(modalOwner());
    d_->result = IDCANCEL;
    d_->ended = false;
    DialogWindow* w = d_->window.data();
    if (DialogEvents::initDialog(*this)) w->focusFirstTabStop();
    if (!d_->ended) {
        d_->modalRunning = true;
        QTimer::singleShot(0, w, [this] { DialogEvents::modalStarted(*this); });
        w->placeOnScreen();
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

void CDialogEx::ShowMinimized()
{
    onUi([&] {
        if (d_->window) d_->window->showMinimized();
    });
}

}  // namespace nolt::fw
