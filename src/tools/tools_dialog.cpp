#include "tools/tools_dialog.h"

#include "framework/message_box.h"
#include "framework/ui_thread.h"
#include "platform/system_command_interpreter.h"
#include "res/resource.h"
#include "res/templates.h"
#include "tools/command_lines.h"

namespace nolt {
namespace {

constexpr const wchar_t* kTipsCaption = L"Tips";
// A real IP-address control always gives a dotted address, so this is seen
// only if an address reaches a procedure by some other road.
constexpr const wchar_t* kAddressRefused = L"The IP address is not valid, no command was run";

CommandInterpreter* g_testInterpreter = nullptr;

}  // namespace

DlgOther::DlgOther(CommandInterpreter& interpreter, fw::CDialogEx* parent)
    : fw::CDialogEx(res::toolsTemplate(), parent), interpreter_(interpreter)
{
}

void DlgOther::DoDataExchange(fw::DataExchange& dx)
{
    fw::CDialogEx::DoDataExchange(dx);
    fw::DDX_Control(dx, res::IDC_TOOLS_PC_IP, m_pcAddress);
}

bool DlgOther::OnInitDialog()
{
    fw::CDialogEx::OnInitDialog();
    SetDlgItemText(res::IDC_TOOLS_PC_IP, kDefaultPcAddress);
    SetDlgItemText(res::IDC_TOOLS_MODULE_IP, kDefaultModuleAddress);
    SetDlgItemText(res::IDC_TOOLS_GATEWAY, kDefaultGateway);
    // The framework puts the focus on the first tab stop, the PC address.
    return true;
}

std::span<const fw::MessageEntry> DlgOther::GetMessageMap() const
{
    static constexpr fw::MessageEntry kMap[] = {
        fw::on<&DlgOther::OnBnClickedFirewall>(fw::Notify::Click, res::IDC_TOOLS_FIREWALL),
        fw::on<&DlgOther::OnBnClickedSetLocalIp>(fw::Notify::Click, res::IDC_TOOLS_SET_LOCAL_IP),
        fw::on<&DlgOther::OnBnClickedPing>(fw::Notify::Click, res::IDC_TOOLS_PING),
    };
    return kMap;
}

void DlgOther::OnClose()
{
    if (!commandRunning_) fw::CDialogEx::OnClose();
}

std::wstring DlgOther::ReadAddress(int id) const
{
    return GetDlgItemText(id);
}

void DlgOther::runBlocked(const std::function<bool()>& procedure)
{
    // The wait holds back the user's keys and clicks, but a button can also
    // be pressed from code or by an accessibility tool; such a press during
    // a command is dropped like the input.
    if (commandRunning_) return;
    bool ran = true;
    commandRunning_ = true;
    fw::runWithInputBlocked([&] { ran = procedure(); });
    commandRunning_ = false;
    if (!ran) MessageBox(kAddressRefused, kTipsCaption, fw::MessageIcon::Exclamation);
}

void DlgOther::OnBnClickedFirewall()
{
    runBlocked([this] {
        runFirewallProcedure(interpreter_);
        return true;
    });
}

void DlgOther::OnBnClickedSetLocalIp()
{
    // Read on the UI thread, before the wait starts.
    const std::wstring address = ReadAddress(res::IDC_TOOLS_PC_IP);
    const std::wstring gateway = ReadAddress(res::IDC_TOOLS_GATEWAY);
    runBlocked([&] { return runLocalAddressProcedure(interpreter_, address, gateway); });
}

void DlgOther::OnBnClickedPing()
{
    const std::wstring address = ReadAddress(res::IDC_TOOLS_MODULE_IP);
    runBlocked([&] { return runPingProcedure(interpreter_, address); });
}

CommandInterpreter& toolsCommandInterpreter()
{
    static SystemCommandInterpreter system;
    return g_testInterpreter ? *g_testInterpreter : system;
}

void setToolsCommandInterpreter(CommandInterpreter* interpreter)
{
    g_testInterpreter = interpreter;
}

}  // namespace nolt
