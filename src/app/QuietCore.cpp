#include "app/QuietCore.h"

namespace quiet {

namespace {

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return s;
}

// The switch's name without its /, - or -- (empty when the argument is
// none), in lower case.
bool SplitSwitch(const std::wstring& arg, std::wstring* name) {
    size_t skip = 0;
    if (arg.compare(0, 2, L"--") == 0) {
        skip = 2;
    } else if (!arg.empty() && (arg[0] == L'/' || arg[0] == L'-')) {
        skip = 1;
    } else {
        return false;
    }
    *name = Lower(arg.substr(skip));
    return true;
}

bool IsQuietName(const std::wstring& n) {
    return n == L"quiet" || n == L"q" || n == L"qn" || n == L"s" || n == L"silent" || n == L"verysilent";
}
bool IsHelpName(const std::wstring& n) { return n == L"?" || n == L"h" || n == L"help"; }
// "log", or "log:<file>" and "log=<file>" with the file in the switch.
bool IsLogName(const std::wstring& n) {
    return n == L"log" || n.compare(0, 4, L"log:") == 0 || n.compare(0, 4, L"log=") == 0;
}

// Whether an argument is one of the switches, so that "/log /quiet" is a
// log switch without its file, not a log file called "/quiet".
bool IsKnownSwitch(const std::wstring& arg) {
    std::wstring n;
    if (!SplitSwitch(arg, &n)) return false;
    return IsQuietName(n) || IsHelpName(n) || n == L"norestart" || n == L"check" || IsLogName(n);
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Where the part of a path that may be created begins: after a drive
// ("C:", "\\?\C:"), a share ("\\server\share", "\\?\UNC\server\share") or
// a leading separator.
size_t RootLength(const std::wstring& p) {
    auto skipParts = [&p](size_t from, int parts) {
        size_t at = from;
        for (int i = 0; i < parts; ++i) {
            while (at < p.size() && !IsSeparator(p[at])) ++at;
            if (i + 1 < parts && at < p.size()) ++at;
        }
        return at;
    };
    if (p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1])) {
        // "\\?\" and "\\.\" name a device or a long path.
        if (p.size() >= 4 && (p[2] == L'?' || p[2] == L'.') && IsSeparator(p[3])) {
            if (Lower(p.substr(4, 4)) == L"unc\\" || Lower(p.substr(4, 4)) == L"unc/") return skipParts(8, 2);
            return skipParts(4, 1);
        }
        return skipParts(2, 2);
    }
    if (p.size() >= 2 && p[1] == L':') return 2;
    return 0;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::wstring>& args) {
    CommandLine cl;
    auto refuse = [&cl](SwitchError error, const std::wstring& arg) {
        if (cl.error != SwitchError::None) return;  // the first is the one named
        cl.error = error;
        cl.offending = arg;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        std::wstring name;
        if (!SplitSwitch(arg, &name)) {
            refuse(SwitchError::NotASwitch, arg);
            continue;
        }
        if (IsQuietName(name)) {
            cl.quiet = true;
        } else if (IsHelpName(name)) {
            cl.help = true;
        } else if (name == L"check") {
            cl.check = true;
        } else if (name == L"norestart") {
            // The tool never restarts a machine: nothing to turn off.
        } else if (IsLogName(name)) {
            std::wstring file;
            if (name.size() > 3) {
                // The file as given, letter case kept.
                file = arg.substr(arg.size() - (name.size() - 4));
            } else if (i + 1 < args.size() && !IsKnownSwitch(args[i + 1]) && !args[i + 1].empty() &&
                       args[i + 1][0] != L'/') {
                file = args[++i];
            }
            if (file.empty()) {
                refuse(SwitchError::LogWithoutFile, arg);
            } else if (cl.hasLog) {
                refuse(SwitchError::Repeated, arg);
            } else {
                cl.hasLog = true;
                cl.logPath = file;
            }
        } else {
            refuse(SwitchError::Unknown, arg);
        }
    }
    return cl;
}

OutcomeCode CodeFor(Outcome outcome) {
    switch (outcome) {
    case Outcome::Removed: return {0, L"removed"};
    case Outcome::RemovedAfterRestart: return {3010, L"removed-after-restart"};
    case Outcome::NotPresent: return {0, L"not-present"};
    case Outcome::Busy: return {1618, L"busy"};
    case Outcome::UnsupportedOs: return {1150, L"unsupported-os"};
    case Outcome::CompanionMissing: return {126, L"companion-missing"};
    case Outcome::CompanionFailed: return {1114, L"companion-failed"};
    // ERROR_INVALID_IMAGE_HASH: what Windows answers for an image whose
    // signature does not hold.
    case Outcome::CompanionUntrusted: return {577, L"companion-untrusted"};
    case Outcome::BadCommandLine: return {87, L"bad-command-line"};
    // ERROR_INSTALL_LOG_FAILURE: what msiexec answers when it cannot open
    // its log.
    case Outcome::LogFailed: return {1622, L"log-failed"};
    case Outcome::Failed:
    default: return {1603, L"failed"};
    }
}

Outcome OutcomeFor(UninstallResult result, bool restartNeeded) {
    switch (result) {
    case RESULT_REMOVED: return restartNeeded ? Outcome::RemovedAfterRestart : Outcome::Removed;
    case RESULT_NOT_PRESENT: return Outcome::NotPresent;
    case RESULT_FAILED:
    default: return Outcome::Failed;
    }
}

Outcome OutcomeForGate(fixpage::Gate gate) {
    switch (gate) {
    case fixpage::kGateSupportedSystem: return Outcome::UnsupportedOs;
    case fixpage::kGateLibraryLoad: return Outcome::CompanionMissing;
    case fixpage::kGateLibraryInit: return Outcome::CompanionFailed;
    case fixpage::kGateNotifyWindow:
    default: return Outcome::Failed;
    }
}

std::wstring GateStep(fixpage::Gate gate) {
    switch (gate) {
    case fixpage::kGateSupportedSystem: return L"start-up: this Windows version is not supported";
    case fixpage::kGateLibraryLoad:
        return L"start-up: TessaroFeedbackInformation.dll missing beside the tool or not loadable";
    case fixpage::kGateLibraryInit: return L"start-up: TessaroFeedbackInformation.dll initialisation returned 0";
    case fixpage::kGateNotifyWindow: return L"start-up: the engine refused its receiver";
    default: return L"start-up: passed";
    }
}

Plan PlanFor(const CommandLine& commandLine, bool interactiveDesktop, bool localSystem) {
    Plan plan;
    plan.noInteractiveDesktop = !interactiveDesktop;
    plan.localSystem = localSystem;
    plan.windowless = commandLine.quiet || !interactiveDesktop || localSystem;
    if (commandLine.error != SwitchError::None) {
        plan.action = Action::BadCommandLine;
    } else if (commandLine.help) {
        plan.action = Action::Usage;
    } else if (commandLine.check) {
        // An answer on standard output and in the exit code, for a
        // detection script: never a window.
        plan.action = Action::Check;
        plan.windowless = true;
    } else if (plan.windowless) {
        plan.action = Action::Quiet;
    } else {
        plan.action = Action::Desktop;
    }
    return plan;
}

const wchar_t kUsagePrompt[] =
    L"用法：/quiet 静默卸载，不显示窗口（也可写 /q /qn /s /silent /verysilent）\n"
    L"/log 文件：运行记录（UTF-8），末行 RESULT=退出码\n"
    L"/norestart：可写，本工具从不重启计算机\n"
    L"/check：只检查服务是否存在，不做任何更改（退出码 1 存在，0 不存在）\n"
    L"退出码：0 成功，3010 重启后完成，1603 失败，1618 另一次运行进行中";

const char kUsageText[] =
    "Usage: RemedoTessaroModernHubrelayServiceUninstalled.exe [/quiet] [/log <file>] [/norestart]\r\n"
    "  /quiet       remove HubrelayService without any window (also /q /qn /s /silent /verysilent)\r\n"
    "  /log <file>  write a run log in UTF-8 (also /log:<file>, /log=<file>); its last line is\r\n"
    "               RESULT=<code> <word>\r\n"
    "  /norestart   accepted; the tool never restarts the machine\r\n"
    "  /check       only say whether the service is there, changing nothing: CHECK=<code> <word>,\r\n"
    "               exit 1 present, 0 absent or removed after the next restart, 1603 unknown\r\n"
    "  /?, /h, /help  this text\r\n"
    "Switches take /, - or -- in any letter case. Exit codes: 0 removed or not present,\r\n"
    "3010 removed after the next restart, 1603 failed, 1618 another run is under way,\r\n"
    "1150 Windows version not supported, 126 companion library missing,\r\n"
    "1114 companion library failed to initialise, 577 companion library not signed by\r\n"
    "the tool's signer, 87 bad command line, 1622 the log file cannot be written safely.\r\n";

std::wstring BadCommandLinePrompt(const CommandLine& commandLine) {
    std::wstring text;
    switch (commandLine.error) {
    case SwitchError::LogWithoutFile: text = L"参数缺少文件名：" + commandLine.offending; break;
    case SwitchError::Repeated: text = L"参数重复：" + commandLine.offending; break;
    default: text = L"无法识别的参数：" + commandLine.offending; break;
    }
    return text + L"\n可用参数：/quiet /log 文件 /norestart /?";
}

std::wstring ResultLine(Outcome outcome) {
    const OutcomeCode c = CodeFor(outcome);
    return L"RESULT=" + std::to_wstring(c.code) + L" " + c.word;
}

OutcomeCode CheckCodeFor(CheckOutcome outcome) {
    switch (outcome) {
    case CheckOutcome::Absent: return {0, L"absent"};
    case CheckOutcome::RemovedAfterRestart: return {0, L"removed-after-restart"};
    case CheckOutcome::Present: return {1, L"present"};
    case CheckOutcome::Unknown:
    default: return {1603, L"unknown"};
    }
}

std::wstring CheckLine(CheckOutcome outcome) {
    const OutcomeCode c = CheckCodeFor(outcome);
    return L"CHECK=" + std::to_wstring(c.code) + L" " + c.word;
}

std::wstring RunLogText(const RunRecord& record) {
    std::wstring text = RunLogHeader(record);
    for (const std::wstring& step : record.steps) text += step + L"\r\n";
    return text + ResultLine(record.outcome) + L"\r\n";
}

std::wstring EventText(const RunRecord& record, const std::wstring& answer) {
    std::wstring text = answer + L"\r\n" + RunLogHeader(record);
    for (const std::wstring& step : record.steps) text += step + L"\r\n";
    return text;
}

std::wstring RunLogHeader(const RunRecord& record) {
    std::wstring text = L"Tessaro Veride Hubrelay uninstall tool " + std::wstring(fixpage::kToolVersion) + L"\r\n";
    if (!record.logPath.empty()) text += L"log: " + record.logPath + L"\r\n";
    text += L"command line: " + record.commandLine + L"\r\n";
    text += record.check ? L"mode: check\r\n" : record.windowless ? L"mode: quiet\r\n" : L"mode: desktop\r\n";
    if (record.noInteractiveDesktop) text += L"no interactive desktop: quiet\r\n";
    if (record.localSystem) text += L"LocalSystem: quiet\r\n";
    return text;
}

WalkPath SplitForWalk(const std::wstring& fullPath) {
    WalkPath walk;
    const size_t root = RootLength(fullPath);
    // Only a drive or a share counts as a root here: a leading separator
    // alone means the current drive, which a full path has already named.
    if (root == 0 || root >= fullPath.size() || !IsSeparator(fullPath[root])) return walk;
    walk.root = fullPath.substr(0, root) + L"\\";
    std::vector<std::wstring> parts;
    size_t at = root;
    while (at < fullPath.size()) {
        while (at < fullPath.size() && IsSeparator(fullPath[at])) ++at;
        size_t end = at;
        while (end < fullPath.size() && !IsSeparator(fullPath[end])) ++end;
        if (end > at) parts.push_back(fullPath.substr(at, end - at));
        at = end;
    }
    if (parts.empty() || IsSeparator(fullPath.back())) return walk;
    for (const std::wstring& part : parts) {
        if (part == L"." || part == L"..") return walk;
    }
    walk.file = parts.back();
    parts.pop_back();
    walk.folders = parts;
    walk.valid = true;
    return walk;
}

}  // namespace quiet
