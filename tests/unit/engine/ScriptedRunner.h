#pragma once
// A command runner that answers from a script and remembers what it was asked.
#include "engine/UninstallCore.h"

#include <map>
#include <string>
#include <vector>

struct ScriptedAnswer {
    int started = 1;
    std::wstring text;
};

class ScriptedRunner {
public:
    void Answer(const std::wstring& command, int started, const std::wstring& text) {
        m_answers[command] = ScriptedAnswer{started, text};
    }
    hrengine::CommandRunnerFn Fn() {
        return [this](std::wstring command, std::wstring& output) {
            calls.push_back(command);
            auto it = m_answers.find(command);
            if (it == m_answers.end()) return 1;  // ran, printed nothing
            if (it->second.started) output += it->second.text;
            return it->second.started;
        };
    }
    std::vector<std::wstring> calls;

private:
    std::map<std::wstring, ScriptedAnswer> m_answers;
};
