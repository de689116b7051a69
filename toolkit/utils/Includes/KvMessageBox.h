#pragma once
// The one function through which every user-visible failure and question is
// shown. Styles and answers keep the values the camera programs have always
// used. Programs install a handler that shows a real box; without one, the
// text goes to standard error and the default button is the answer, so that
// headless tools never block on a question.

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "KvString.h"

namespace KvMB {
// Buttons
inline constexpr uint32_t OK = 0x0;
inline constexpr uint32_t OKCANCEL = 0x1;
inline constexpr uint32_t YESNOCANCEL = 0x3;
inline constexpr uint32_t YESNO = 0x4;
inline constexpr uint32_t BUTTON_MASK = 0xF;
// Icons
inline constexpr uint32_t ICONERROR = 0x10;
inline constexpr uint32_t ICONQUESTION = 0x20;
inline constexpr uint32_t ICONWARNING = 0x30;
inline constexpr uint32_t ICONINFORMATION = 0x40;
inline constexpr uint32_t ICON_MASK = 0xF0;
// Which button answers Enter (and a headless box)
inline constexpr uint32_t DEFBUTTON1 = 0x000;
inline constexpr uint32_t DEFBUTTON2 = 0x100;
inline constexpr uint32_t DEFBUTTON3 = 0x200;
inline constexpr uint32_t DEFBUTTON_MASK = 0xF00;
}  // namespace KvMB

// Answers
namespace KvID {
inline constexpr int OK = 1;
inline constexpr int CANCEL = 2;
inline constexpr int YES = 6;
inline constexpr int NO = 7;
}  // namespace KvID

struct KvMessageBoxRequest {
    KvString m_sText;
    KvString m_sCaption;
    uint32_t m_nStyle = KvMB::OK;

    // The buttons of the style, left to right (an unknown set is OK alone).
    std::vector<int> Buttons() const;
    // The button that answers when the user just confirms.
    int DefaultButton() const;
    uint32_t Icon() const { return m_nStyle & KvMB::ICON_MASK; }
};

// Shows the box and answers the button pressed. A handler answer that is not
// one of the style's buttons counts as the default button.
using KvMessageBoxHandler = std::function<int(const KvMessageBoxRequest&)>;

// Installs a handler (an empty one restores the headless default) and
// returns the previous one. The handler runs on the caller's thread.
KvMessageBoxHandler KvSetMessageBoxHandler(KvMessageBoxHandler handler);

int KvMessageBox(std::string_view text, std::string_view caption = {}, uint32_t style = KvMB::OK);
