// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/message_service.h"

namespace corvelle {
namespace {

struct State {
    MessageService::Backend backend;
    std::deque<MsgAnswer> queued;
    std::vector<MessageRequest> shown;
};

State& S() {
    static State state;
    return state;
}

// Without a window layer (the command-line tool), a box answers with its safest button.
MsgAnswer DefaultAnswer(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return MsgAnswer::Ok;
        case MsgButtons::OkCancel:
            return MsgAnswer::Cancel;
        case MsgButtons::AbortRetryIgnore:
            return MsgAnswer::Abort;
        case MsgButtons::YesNo:
            return MsgAnswer::No;
        case MsgButtons::YesNoCancel:
            return MsgAnswer::Cancel;
    }
    return MsgAnswer::Cancel;
}

}  // namespace

MsgAnswer MessageService::Show(const std::string& text, MsgIcon icon, MsgButtons buttons) {
    MessageRequest req{text, icon, buttons};
    // Kept for scripted tests; bounded so a long session does not grow it.
    if (S().shown.size() >= 256)
        S().shown.erase(S().shown.begin());
    S().shown.push_back(req);
    if (!S().queued.empty()) {
        const MsgAnswer a = S().queued.front();
        S().queued.pop_front();
        return a;
    }
    if (S().backend)
        return S().backend(req);
    return DefaultAnswer(buttons);
}

void MessageService::SetBackend(Backend backend) {
    S().backend = std::move(backend);
}
void MessageService::QueueAnswer(MsgAnswer answer) {
    S().queued.push_back(answer);
}
const std::vector<MessageRequest>& MessageService::Shown() {
    return S().shown;
}

void MessageService::ResetScript() {
    S().queued.clear();
    S().shown.clear();
}

}  // namespace corvelle
