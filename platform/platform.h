#pragma once

#include <string>

namespace tintwell::platform {

// Message box styles, with the numeric values the window's messages are defined by.
enum class MsgStyle : int {
    OkForeground = 0x10000,  // OK only, no icon, brought to the front
    Information = 64,        // information icon, OK
    YesNoWarning = 308,      // Yes and No, warning icon, No is the default
};

enum class Answer : int { Ok = 1, Yes = 6, No = 7 };

// Application-wide mouse pointer.
enum class Pointer : int { Arrow = 1, Busy = 11 };

// The few services of the desktop that the program's logic calls. Bound to Qt for the real
// program and replaced by a recording fake in tests.
class Platform {
public:
    virtual ~Platform() = default;

    virtual Answer MsgBox(const std::string& prompt, MsgStyle style, const std::string& title) = 0;
    virtual void Beep() = 0;
    // Runs every pending event handler, then returns.
    virtual void DoEvents() = 0;
    virtual void SetMousePointer(Pointer pointer) = 0;
    // Ends the program: the caller returns at once and no further handler runs.
    virtual void End() = 0;
};

// Shows the busy pointer for its lifetime; Restore() puts the arrow back early, at a chosen
// point in a sequence of steps.
class BusyPointer {
public:
    explicit BusyPointer(Platform& platform) : m_platform(platform) {
        m_platform.SetMousePointer(Pointer::Busy);
    }
    ~BusyPointer() { Restore(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

    void Restore() {
        if (m_busy) m_platform.SetMousePointer(Pointer::Arrow);
        m_busy = false;
    }

private:
    Platform& m_platform;
    bool m_busy = true;
};

}  // namespace tintwell::platform
