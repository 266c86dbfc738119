// Control members of a dialog: thin handles (dialog, id) bound by
// DDX_Control, forwarding to the dialog's control calls by id.
#pragma once

#include <string>
#include <utility>

#include "framework/dialog.h"

namespace nolt::fw {

class CWndRef {
public:
    void attach(CDialogEx* dlg, int id) { dlg_ = dlg; id_ = id; }
    bool IsBound() const { return dlg_ != nullptr; }
    int GetDlgCtrlID() const { return id_; }
    std::wstring GetWindowText() const { return dlg_->GetDlgItemText(id_); }
    void SetWindowText(const std::wstring& text) { dlg_->SetDlgItemText(id_, text); }
    void EnableWindow(bool enabled) { dlg_->EnableControl(id_, enabled); }
    bool IsWindowEnabled() const { return dlg_->IsControlEnabled(id_); }
    bool IsWindowVisible() const { return dlg_->IsControlVisible(id_); }
    void SetFocus() { dlg_->GotoDlgCtrl(id_); }
    void SetFont(const std::wstring& face, int pointSize) { dlg_->SetControlFont(id_, face, pointSize); }

protected:
    CDialogEx* dlg_ = nullptr;
    int id_ = 0;
};

class CEdit : public CWndRef {
public:
    void SetSel(int start, int end) { dlg_->SetSel(id_, start, end); }
    std::pair<int, int> GetSel() const { return dlg_->GetSel(id_); }
    void ReplaceSel(const std::wstring& text) { dlg_->ReplaceSel(id_, text); }
    int GetWindowTextLength() const { return dlg_->GetWindowTextLength(id_); }
    void ScrollCaret() { dlg_->ScrollCaret(id_); }
    void HideCaret() { dlg_->HideCaret(id_); }
};

class CComboBox : public CWndRef {
public:
    int GetCurSel() const { return dlg_->GetCurSel(id_); }
    void SetCurSel(int index) { dlg_->SetCurSel(id_, index); }
    void ResetContent() { dlg_->ResetContent(id_); }
    int AddString(const std::wstring& text) { return dlg_->AddString(id_, text); }
    int GetCount() const { return dlg_->GetCount(id_); }
    std::wstring GetLBText(int index) const { return dlg_->GetLBText(id_, index); }
};

class CListBox : public CWndRef {
public:
    int GetCurSel() const { return dlg_->GetCurSel(id_); }
    void SetCurSel(int index) { dlg_->SetCurSel(id_, index); }
    void ResetContent() { dlg_->ResetContent(id_); }
    int AddString(const std::wstring& text) { return dlg_->AddString(id_, text); }
    int InsertString(int index, const std::wstring& text) { return dlg_->InsertString(id_, index, text); }
    int GetCount() const { return dlg_->GetCount(id_); }
    std::wstring GetText(int index) const { return dlg_->GetLBText(id_, index); }
};

class CProgressCtrl : public CWndRef {
public:
    void SetRange32(int lower, int upper) { dlg_->SetProgressRange(id_, lower, upper); }
    void SetPos(int pos) { dlg_->SetProgressPos(id_, pos); }
    int GetPos() const { return dlg_->GetProgressPos(id_); }
};

class CButton : public CWndRef {
public:
    bool GetCheck() const { return dlg_->IsDlgButtonChecked(id_); }
    void SetCheck(bool checked) { dlg_->CheckDlgButton(id_, checked); }
};

using CIPAddressCtrl = CWndRef;

}  // namespace nolt::fw
