#include "KvMessageBoxRecorder.h"

KvMessageBoxRecorder::KvMessageBoxRecorder() {
    m_Previous = KvSetMessageBoxHandler(
        [this](const KvMessageBoxRequest& request) { return Answer(request); });
}

KvMessageBoxRecorder::~KvMessageBoxRecorder() {
    KvSetMessageBoxHandler(std::move(m_Previous));
}

void KvMessageBoxRecorder::QueueAnswer(int button) {
    std::lock_guard lock(m_mLock);
    m_Answers.push_back(button);
}

std::vector<KvMessageBoxRequest> KvMessageBoxRecorder::Shown() const {
    std::lock_guard lock(m_mLock);
    return m_Shown;
}

int KvMessageBoxRecorder::Answer(const KvMessageBoxRequest& request) {
    std::lock_guard lock(m_mLock);
    m_Shown.push_back(request);
    if (m_Answers.empty()) {
        return request.DefaultButton();
    }
    const int answer = m_Answers.front();
    m_Answers.pop_front();
    return answer;
}
