// SPDX-License-Identifier: GPL-3.0-or-later
// The one message-box service. Every box carries the title "Corvelle"; the window layer
// installs the real boxes, tests queue answers instead.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace corvelle {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, AbortRetryIgnore, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

inline constexpr const char* kProgramTitle = "Corvelle";

struct MessageRequest {
    std::string text;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

class MessageService {
  public:
    using Backend = std::function<MsgAnswer(const MessageRequest&)>;

    static MsgAnswer Show(const std::string& text, MsgIcon icon, MsgButtons buttons);
    static void SetBackend(Backend backend);

    // Scripting for tests: queued answers are used before the backend; every box is recorded.
    static void QueueAnswer(MsgAnswer answer);
    static const std::vector<MessageRequest>& Shown();
    static void ResetScript();
};

}  // namespace corvelle
