// The push-address dialog (template 144): one edit with the module's stream
// push address and a "Send out" button that uploads it.
#pragma once

#include <string>

#include "framework/dialog.h"

namespace nolt {

class Link;

// The last address the module answered with; kept for the process's life.
extern std::wstring g_strPushAddr;
// Set when an answer has been accepted and not yet shown: the next dialog
// shows g_strPushAddr instead of the bare prefix, and clears the flag.
extern bool g_bPushAddrReceived;

class DlgOther2 : public fw::CDialogEx {
public:
    // The upload goes out on this link's socket, connected or not.
    explicit DlgOther2(Link& link);

    // The edit's text, exchanged by the data exchange.
    std::wstring m_strAddress;

protected:
    void DoDataExchange(fw::DataExchange& dx) override;
    bool OnInitDialog() override;
    std::span<const fw::MessageEntry> GetMessageMap() const override;

    // "Send out": uploads the edit's text, then closes with IDOK whatever
    // the send gave.
    void OnBnClickedSendOut();

private:
    Link& link_;
};

// Opens a new push-address dialog modally over the main dialog and returns
// its result: IDOK after "Send out", IDCANCEL when closed otherwise.
int OpenPushAddressDialog(Link& link);

}  // namespace nolt
