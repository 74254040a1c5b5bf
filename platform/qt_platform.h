#pragma once

#include "platform/platform.h"

namespace tintwell::platform {

// The platform services as Qt provides them.
class QtPlatform : public Platform {
public:
    Answer MsgBox(const std::string& prompt, MsgStyle style, const std::string& title) override;
    void Beep() override;
    void DoEvents() override;
    void SetMousePointer(Pointer pointer) override;
    void End() override;

private:
    bool m_cursorOverridden = false;
};

}  // namespace tintwell::platform
