#include "fixpage/FixPageTexts.h"
#include "engine/UninstallMessages.h"

namespace fixpage {

const wchar_t kToolId[] = L"10151";
const wchar_t kToolVersion[] = L"1.2.24.1010";
const wchar_t kToolTitle[] = L"Tessaro Veride Hubrelay 服务卸载工具";
const wchar_t kUninstallButtonName[] = L"开始卸载";

const wchar_t kProgressText[] = L"Tessaro Veride Hubrelay 服务卸载中，请稍等";
const wchar_t kWorkerNotStartedText[] = L"Tessaro Veride Hubrelay 服务卸载中失败！";

namespace {
const wchar_t kInitFailed[] = L"工具初始化失败";
const wchar_t kUnsupported[] = L"此工具不支持当前系统";
}  // namespace

GateReport ReportFor(Gate gate) {
    switch (gate) {
    case kGateNotifyWindow:
        return {L"设置接收消息窗口指针失败", kInitFailed};
    case kGateSupportedSystem:
        return {kUnsupported, kUnsupported};
    case kGateLibraryLoad:
        return {L"加载反馈DLL失败", kInitFailed};
    case kGateLibraryInit:
        return {L"初始化反馈DLL失败", kInitFailed};
    default:
        return {nullptr, nullptr};
    }
}

Gate FirstFailedGate(const GateChecks& checks) {
    const std::function<int()>* ordered[kGateCount] = {&checks.notifyWindow, &checks.supportedSystem,
                                                       &checks.libraryLoad, &checks.libraryInit};
    for (int i = 0; i < kGateCount; ++i) {
        // A gate nobody can check has not passed.
        if (!*ordered[i] || (*ordered[i])() == 0) return static_cast<Gate>(i);
    }
    return kGateCount;
}

UpdateNotice NoticeFor(int versionAnswer, int clientKind) {
    UpdateNotice notice;
    if (versionAnswer != kNewerVersionAnswer) return notice;
    notice.show = true;
    if (clientKind == 1) {
        notice.text = L"检测到当前工具有新的版本，请在Corvath客户端下载最新版本使用。";
    } else if (clientKind == 2) {
        notice.text = L"检测到当前工具有新的版本，请在Kestra客户端下载最新版本使用。";
    } else {
        notice.text = L"检测到当前工具有新的版本，请下载最新版本使用。";
        notice.openDownloadPage = true;
    }
    return notice;
}

const wchar_t* OutcomeText(long long result) {
    switch (result) {
    case 1:
        return L"Tessaro Veride Hubrelay 服务卸载完成，重启计算机后生效";
    case 2:
        return L"Tessaro Veride Hubrelay 服务卸载失败";
    case 3:
        return L"因为未能在系统中找到Tessaro Veride Hubrelay 服务，所以无需进行卸载";
    default:
        return nullptr;
    }
}

namespace {

DesktopEvent MakeEvent(const wchar_t* word, unsigned long code, const std::vector<std::wstring>& steps) {
    DesktopEvent e;
    e.word = word;
    // The result first, as a quiet run's event has it.
    e.text = L"RESULT=" + std::to_wstring(code) + L" " + word + L"\r\n";
    e.text += L"Tessaro Veride Hubrelay uninstall tool " + std::wstring(kToolVersion) + L"\r\nmode: desktop\r\n";
    for (const std::wstring& step : steps) e.text += step + L"\r\n";
    return e;
}

}  // namespace

DesktopEvent DesktopEventFor(long long result, const std::vector<std::wstring>& steps) {
    switch (result) {
    case RESULT_REMOVED: return MakeEvent(L"removed", 0, steps);
    case RESULT_NOT_PRESENT: return MakeEvent(L"not-present", 0, steps);
    case RESULT_FAILED:
    default: return MakeEvent(L"failed", 1603, steps);
    }
}

DesktopEvent DesktopEventForGate(Gate gate, bool refused) {
    switch (gate) {
    case kGateSupportedSystem: return MakeEvent(L"unsupported-os", 1150, {L"start-up: this Windows version is not supported"});
    case kGateLibraryLoad:
        return refused ? MakeEvent(L"companion-untrusted", 577,
                                   {L"start-up: TessaroFeedbackInformation.dll not signed by the tool's signer"})
                       : MakeEvent(L"companion-missing", 126,
                                   {L"start-up: TessaroFeedbackInformation.dll missing beside the tool or not loadable"});
    case kGateLibraryInit:
        return MakeEvent(L"companion-failed", 1114, {L"start-up: TessaroFeedbackInformation.dll initialisation returned 0"});
    case kGateNotifyWindow:
    default: return MakeEvent(L"failed", 1603, {L"start-up: the engine refused its receiver"});
    }
}

}  // namespace fixpage
