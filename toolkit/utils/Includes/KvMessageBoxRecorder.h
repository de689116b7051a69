#pragma once
// For tests: while it lives, every message box is recorded instead of shown
// and answered with the next queued answer, or with its default button when
// none is queued. The previous handler comes back on destruction.

#include <deque>
#include <mutex>
#include <vector>

#include "KvMessageBox.h"

class KvMessageBoxRecorder {
public:
    KvMessageBoxRecorder();
    ~KvMessageBoxRecorder();
    KvMessageBoxRecorder(const KvMessageBoxRecorder&) = delete;
    KvMessageBoxRecorder& operator=(const KvMessageBoxRecorder&) = delete;

    void QueueAnswer(int button);
    std::vector<KvMessageBoxRequest> Shown() const;

private:
    int Answer(const KvMessageBoxRequest& request);

    mutable std::mutex m_mLock;
    std::deque<int> m_Answers;
    std::vector<KvMessageBoxRequest> m_Shown;
    KvMessageBoxHandler m_Previous;
};
