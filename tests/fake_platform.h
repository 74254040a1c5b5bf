#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tintwell::tests {

// Records the platform calls, answers message boxes from a script, and runs a hook
// on each yield so a test can act "during" a pass.
class FakePlatform : public platform::Platform {
public:
    struct Message {
        std::string prompt;
        platform::MsgStyle style;
        std::string title;
    };

    platform::Answer MsgBox(const std::string& prompt, platform::MsgStyle style,
                            const std::string& title) override {
        messages.push_back({prompt, style, title});
        if (answers.empty()) return platform::Answer::Ok;
        const platform::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Beep() override { ++beeps; }
    void DoEvents() override {
        ++yields;
        if (onYield) onYield(yields);
    }
    void SetMousePointer(platform::Pointer pointer) override { this->pointer = pointer; }
    void End() override { ++ends; }

    std::vector<Message> messages;
    std::deque<platform::Answer> answers;
    std::function<void(int yieldNumber)> onYield;
    platform::Pointer pointer = platform::Pointer::Arrow;
    int beeps = 0;
    int yields = 0;
    int ends = 0;
};

}  // namespace tintwell::tests
