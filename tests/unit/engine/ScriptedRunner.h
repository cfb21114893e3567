#pragma once
// A command runner that answers from a script and remembers what it was asked.
#include "engine/UninstallCore.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

struct ScriptedAnswer {
    int started = 1;
    std::wstring text;
    long long exitCode = hrengine::kNoExitCode;
};

// Answers given for one command are used in turn, the last one from then on.
class ScriptedRunner {
public:
    void Answer(const std::wstring& command, int started, const std::wstring& text,
                long long exitCode = hrengine::kNoExitCode) {
        m_answers[command].push_back(ScriptedAnswer{started, text, exitCode});
    }
    hrengine::CommandRunnerFn Fn() {
        return [this](std::wstring command, std::wstring& output, long long& exitCode) {
            calls.push_back(command);
            exitCode = hrengine::kNoExitCode;
            auto it = m_answers.find(command);
            if (it == m_answers.end()) return 1;  // ran, printed nothing
            const ScriptedAnswer answer = it->second.front();
            if (it->second.size() > 1) it->second.pop_front();
            if (answer.started) output += answer.text;
            if (answer.started) exitCode = answer.exitCode;
            return answer.started;
        };
    }
    std::vector<std::wstring> calls;

private:
    std::map<std::wstring, std::deque<ScriptedAnswer>> m_answers;
};
