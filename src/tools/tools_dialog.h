// The Tools dialog (template 138): turns the PC's firewall off, gives the
// PC a static address on the module's subnet and pings the module. Each
// button hands its commands to a command interpreter and waits for them;
// meanwhile the windows keep painting but take no input.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "platform/command_interpreter.h"

namespace nolt {

class DlgOther : public fw::CDialogEx {
public:
    // The interpreter must outlive the dialog.
    explicit DlgOther(CommandInterpreter& interpreter, fw::CDialogEx* parent = nullptr);

    // The addresses every opening starts with.
    static constexpr const wchar_t* kDefaultPcAddress = L"192.168.2.66";
    static constexpr const wchar_t* kDefaultModuleAddress = L"192.168.2.119";
    static constexpr const wchar_t* kDefaultGateway = L"192.168.2.1";

protected:
    void DoDataExchange(fw::DataExchange& dx) override;
    bool OnInitDialog() override;
    std::span<const fw::MessageEntry> GetMessageMap() const override;
    // The close box does nothing while a command runs: the dialog ends only
    // once its command has.
    void OnClose() override;

    void OnBnClickedFirewall();
    void OnBnClickedSetLocalIp();
    void OnBnClickedPing();

    // The text of an address control, as the procedures read it.
    virtual std::wstring ReadAddress(int id) const;

private:
    // Runs a procedure with the windows blocked; false when it refused an
    // address, which the user is then told about. Does nothing while another
    // procedure runs, however the button was pressed.
    void runBlocked(const std::function<bool()>& procedure);

    CommandInterpreter& interpreter_;
    bool commandRunning_ = false;
    fw::CIPAddressCtrl m_pcAddress;  // 1041
};

// The interpreter the main dialog's Tools button gives each new DlgOther:
// the system's own, unless a test has put another in its place (nullptr
// puts the system's back).
CommandInterpreter& toolsCommandInterpreter();
void setToolsCommandInterpreter(CommandInterpreter* interpreter);

}  // namespace nolt
