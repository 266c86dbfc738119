// Control calls by id. Each one runs on the UI thread (see onUi); an id the
// dialog does not have is ignored and reads as empty, as on the platform.

#include <algorithm>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalBlocker>

#include "framework/dialog.h"
#include "framework/qt/dialog_impl.h"
#include "framework/qt/ip_address_edit.h"
#include "framework/qt/log_edit.h"

namespace nolt::fw {
namespace {

template <typename W>
W* as(const CDialogEx::Impl& d, int id)
{
    return qobject_cast<W*>(d.widget(id));
}

}  // namespace

bool CDialogEx::HasControl(int id) const
{
    return onUi([&] { return d_->find(id) != nullptr; });
}

std::wstring CDialogEx::GetDlgItemText(int id) const
{
    return onUi([&]() -> std::wstring {
        QWidget* w = d_->widget(id);
        if (auto* ip = qobject_cast<IpAddressEdit*>(w)) return ip->text();
        if (auto* log = qobject_cast<LogEdit*>(w)) return log->text();
        if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text().toStdWString();
        if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText().toStdWString();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text().toStdWString();
        // A list box's and a progress bar's window text is empty on the platform.
        if (qobject_cast<QListWidget*>(w) || qobject_cast<QProgressBar*>(w)) return {};
        if (w) return w->property("text").toString().toStdWString();
        return {};
    });
}

void CDialogEx::SetDlgItemText(int id, const std::wstring& text)
{
    onUi([&] {
        QWidget* w = d_->widget(id);
        const QString q = QString::fromStdWString(text);
        if (auto* ip = qobject_cast<IpAddressEdit*>(w))
            ip->setText(text);
        else if (auto* log = qobject_cast<LogEdit*>(w))
            log->setText(text);
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            e->setText(q);
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setText(q);
        else if (w)
            w->setProperty("text", q);
    });
}

void CDialogEx::EnableControl(int id, bool enabled)
{
    onUi([&] {
        if (QWidget* w = d_->widget(id)) w->setEnabled(enabled);
    });
}

bool CDialogEx::IsControlEnabled(int id) const
{
    return onUi([&] {
        QWidget* w = d_->widget(id);
        return w && w->isEnabledTo(d_->window);
    });
}

bool CDialogEx::IsControlVisible(int id) const
{
    return onUi([&] {
        QWidget* w = d_->widget(id);
        return w && d_->window->isVisible() && w->isVisibleTo(d_->window);
    });
}

Rect CDialogEx::GetControlRect(int id) const
{
    return onUi([&] {
        QWidget* w = d_->widget(id);
        if (!w) return Rect{};
        const QRect g = w->geometry();
        return Rect{g.x(), g.y(), g.width(), g.height()};
    });
}

Rect CDialogEx::MapDialogRect(int x, int y, int w, int h) const
{
    return onUi([&] {
        const QRect r = mapDialogRect(*d_, x, y, w, h);
        return Rect{r.x(), r.y(), r.width(), r.height()};
    });
}

void CDialogEx::CheckDlgButton(int id, bool checked)
{
    onUi([&] {
        auto* b = as<QAbstractButton>(*d_, id);
        if (!b) return;
        // An exclusive group refuses to uncheck its checked button; the
        // platform allows it, so exclusivity is lifted for the change.
        QButtonGroup* g = b->group();
        const bool exclusive = g && g->exclusive();
        if (exclusive && !checked) g->setExclusive(false);
        b->setChecked(checked);
        if (exclusive && !checked) g->setExclusive(true);
    });
}

bool CDialogEx::IsDlgButtonChecked(int id) const
{
    return onUi([&] {
        auto* b = as<QAbstractButton>(*d_, id);
        return b && b->isChecked();
    });
}

int CDialogEx::GetCurSel(int id) const
{
    return onUi([&] {
        // The selected item: the current one may still be another while a
        // click is being handled.
        if (auto* l = as<QListWidget>(*d_, id)) {
            const QList<QListWidgetItem*> selected = l->selectedItems();
            return selected.isEmpty() ? -1 : l->row(selected.front());
        }
        auto* c = as<QComboBox>(*d_, id);
        return c ? c->currentIndex() : -1;
    });
}

void CDialogEx::SetCurSel(int id, int index)
{
    onUi([&] {
        if (auto* l = as<QListWidget>(*d_, id)) {
            const QSignalBlocker quiet(l);
            if (index >= 0 && index < l->count()) {
                l->setCurrentRow(index);
            } else {
                l->setCurrentRow(-1);
                l->clearSelection();
            }
        } else if (auto* c = as<QComboBox>(*d_, id)) {
            c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
        }
    });
}

void CDialogEx::ResetContent(int id)
{
    onUi([&] {
        if (auto* l = as<QListWidget>(*d_, id)) {
            const QSignalBlocker quiet(l);
            l->clear();
        } else if (auto* c = as<QComboBox>(*d_, id)) {
            c->clear();
        }
    });
}

int CDialogEx::AddString(int id, const std::wstring& text)
{
    return InsertString(id, -1, text);
}

int CDialogEx::InsertString(int id, int index, const std::wstring& text)
{
    return onUi([&] {
        const QString item = QString::fromStdWString(text);
        if (auto* l = as<QListWidget>(*d_, id)) {
            const QSignalBlocker quiet(l);
            const int at = index < 0 || index > l->count() ? l->count() : index;
            l->insertItem(at, item);
            return at;
        }
        auto* c = as<QComboBox>(*d_, id);
        if (!c) return -1;
        const int keep = c->currentIndex();
        const int at = index < 0 || index > c->count() ? c->count() : index;
        c->insertItem(at, item);
        c->setCurrentIndex(keep < 0 || keep < at ? keep : keep + 1);
        return at;
    });
}

int CDialogEx::GetCount(int id) const
{
    return onUi([&] {
        if (auto* l = as<QListWidget>(*d_, id)) return l->count();
        auto* c = as<QComboBox>(*d_, id);
        return c ? c->count() : 0;
    });
}

std::wstring CDialogEx::GetLBText(int id, int index) const
{
    return onUi([&] {
        if (auto* l = as<QListWidget>(*d_, id))
            return index >= 0 && index < l->count() ? l->item(index)->text().toStdWString() : std::wstring();
        auto* c = as<QComboBox>(*d_, id);
        return c && index >= 0 && index < c->count() ? c->itemText(index).toStdWString() : std::wstring();
    });
}

void CDialogEx::SetProgressRange(int id, int lower, int upper)
{
    onUi([&] {
        auto* p = as<QProgressBar>(*d_, id);
        if (!p) return;
        // Qt empties a bar whose value leaves the new range; the platform keeps it within.
        const int keep = p->value();
        p->setRange(lower, std::max(lower, upper));
        p->setValue(std::clamp(keep, p->minimum(), p->maximum()));
    });
}

void CDialogEx::SetProgressPos(int id, int pos)
{
    onUi([&] {
        if (auto* p = as<QProgressBar>(*d_, id)) p->setValue(std::clamp(pos, p->minimum(), p->maximum()));
    });
}

int CDialogEx::GetProgressPos(int id) const
{
    return onUi([&] {
        auto* p = as<QProgressBar>(*d_, id);
        return p ? p->value() : 0;
    });
}

void CDialogEx::SetSel(int id, int start, int end)
{
    onUi([&] {
        if (auto* log = as<LogEdit>(*d_, id)) {
            log->setSel(start, end);
        } else if (auto* e = as<QLineEdit>(*d_, id)) {
            const int len = static_cast<int>(e->text().size());
            if (start < 0) e->deselect();
            else e->setSelection(std::min(start, len), (end < 0 ? len : std::min(end, len)) - std::min(start, len));
        }
    });
}

std::pair<int, int> CDialogEx::GetSel(int id) const
{
    return onUi([&]() -> std::pair<int, int> {
        if (auto* log = as<LogEdit>(*d_, id)) return log->sel();
        if (auto* e = as<QLineEdit>(*d_, id)) {
            if (!e->hasSelectedText()) return {e->cursorPosition(), e->cursorPosition()};
            return {e->selectionStart(), e->selectionEnd()};
        }
        return {0, 0};
    });
}

void CDialogEx::ReplaceSel(int id, const std::wstring& text)
{
    onUi([&] {
        if (auto* log = as<LogEdit>(*d_, id)) log->replaceSel(text);
        else if (auto* e = as<QLineEdit>(*d_, id)) e->insert(QString::fromStdWString(text));
    });
}

int CDialogEx::GetWindowTextLength(int id) const
{
    return onUi([&] {
        if (auto* log = as<LogEdit>(*d_, id)) return log->length();
        return static_cast<int>(GetDlgItemText(id).size());
    });
}

void CDialogEx::ScrollCaret(int id)
{
    onUi([&] {
        if (auto* log = as<LogEdit>(*d_, id)) log->scrollCaret();
    });
}

void CDialogEx::HideCaret(int id)
{
    onUi([&] {
        if (auto* log = as<LogEdit>(*d_, id)) log->setCursorWidth(0);
    });
}

void CDialogEx::GotoDlgCtrl(int id)
{
    onUi([&] {
        if (QWidget* w = d_->widget(id)) w->setFocus(Qt::OtherFocusReason);
    });
}

int CDialogEx::GetFocusId() const
{
    return onUi([&] {
        if (!d_->window) return 0;
        QWidget* f = d_->window->focusWidget();
        return controlIdOf(*d_, f);
    });
}

void CDialogEx::SetControlFont(int id, const std::wstring& face, int pointSize)
{
    onUi([&] {
        QWidget* w = d_->widget(id);
        if (!w) return;
        QFont f(QString::fromStdWString(face));
        f.setPointSize(pointSize);
        w->setFont(f);
        w->update();
    });
}

std::wstring CDialogEx::GetWindowText() const
{
    return onUi([&] { return d_->window ? d_->window->windowTitle().toStdWString() : std::wstring(); });
}

void CDialogEx::SetWindowText(const std::wstring& text)
{
    onUi([&] {
        if (d_->window) d_->window->setWindowTitle(QString::fromStdWString(text));
    });
}

void CDialogEx::SetAppIcon()
{
    onUi([&] {
        if (d_->window) d_->window->setWindowIcon(appIcon());
    });
}

bool CDialogEx::IsIconic() const
{
    return onUi([&] { return d_->window && d_->window->isMinimized(); });
}

bool CDialogEx::IsResizable() const
{
    return onUi([&] {
        return d_->resizable && d_->window && d_->window->minimumSize() != d_->window->maximumSize();
    });
}

void CDialogEx::RemoveSizingBorder()
{
    onUi([&] {
        d_->resizable = false;
        if (d_->window) d_->window->setFixedSize(d_->window->size());
    });
}

}  // namespace nolt::fw

#include "framework/qt/qt_access.h"

namespace nolt::fw {

QDialog* DialogAccess::window(const CDialogEx& dlg)
{
    return dlg.d_->window.data();
}

QWidget* DialogAccess::control(const CDialogEx& dlg, int id)
{
    return dlg.d_->widget(id);
}

}  // namespace nolt::fw

namespace nolt::fw {

QWidget* DialogAccess::controlAt(const CDialogEx& dlg, std::size_t index)
{
    const auto& controls = dlg.d_->controls;
    return index < controls.size() ? controls[index].widget : nullptr;
}

}  // namespace nolt::fw
