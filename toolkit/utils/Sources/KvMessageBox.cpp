#include "KvMessageBox.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace {

std::mutex g_HandlerLock;
KvMessageBoxHandler g_Handler;

const char* IconWord(uint32_t icon) {
    switch (icon) {
        case KvMB::ICONERROR:
            return "error";
        case KvMB::ICONWARNING:
            return "warning";
        case KvMB::ICONQUESTION:
            return "question";
        case KvMB::ICONINFORMATION:
            return "information";
        default:
            return "message";
    }
}

int HeadlessAnswer(const KvMessageBoxRequest& request) {
    std::fprintf(stderr, "[%s] %s%s%s\n", IconWord(request.Icon()),
                 request.m_sCaption.c_str_ascii(), request.m_sCaption.IsEmpty() ? "" : ": ",
                 request.m_sText.c_str_ascii());
    return request.DefaultButton();
}

}  // namespace

std::vector<int> KvMessageBoxRequest::Buttons() const {
    switch (m_nStyle & KvMB::BUTTON_MASK) {
        case KvMB::OKCANCEL:
            return {KvID::OK, KvID::CANCEL};
        case KvMB::YESNOCANCEL:
            return {KvID::YES, KvID::NO, KvID::CANCEL};
        case KvMB::YESNO:
            return {KvID::YES, KvID::NO};
        default:
            return {KvID::OK};
    }
}

int KvMessageBoxRequest::DefaultButton() const {
    const std::vector<int> buttons = Buttons();
    const size_t index = (m_nStyle & KvMB::DEFBUTTON_MASK) >> 8;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

KvMessageBoxHandler KvSetMessageBoxHandler(KvMessageBoxHandler handler) {
    std::lock_guard lock(g_HandlerLock);
    std::swap(g_Handler, handler);
    return handler;
}

int KvMessageBox(std::string_view text, std::string_view caption, uint32_t style) {
    const KvMessageBoxRequest request{KvString(text), KvString(caption), style};
    KvMessageBoxHandler handler;
    {
        // Run the handler unlocked: a box may stay open a long time, and
        // its code may show another box.
        std::lock_guard lock(g_HandlerLock);
        handler = g_Handler;
    }
    const int answer = handler ? handler(request) : HeadlessAnswer(request);
    const std::vector<int> buttons = request.Buttons();
    return std::ranges::find(buttons, answer) != buttons.end() ? answer : request.DefaultButton();
}
