// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/os/guarded_steps.h"

#include <algorithm>

#include "platform/os/message_service.h"

namespace corvelle {

bool RunGuarded(const GuardedStep& step, std::initializer_list<int> silent,
                const std::function<void()>& beforePrompt) {
    for (;;) {
        const Error err = step();
        if (err.number == kErrEndQuietly)
            return false;
        if (!err || std::find(silent.begin(), silent.end(), err.number) != silent.end())
            return true;
        if (beforePrompt)
            beforePrompt();
        switch (MessageService::Show(err.description, MsgIcon::Exclamation,
                                     MsgButtons::AbortRetryIgnore)) {
            case MsgAnswer::Retry:
                continue;
            case MsgAnswer::Ignore:
                return true;
            default:
                return false;
        }
    }
}

GuardOutcome RunGuardedSteps(std::initializer_list<GuardedStep> steps,
                             std::initializer_list<int> silent,
                             const std::function<void()>& beforePrompt) {
    for (const GuardedStep& step : steps) {
        if (!RunGuarded(step, silent, beforePrompt))
            return GuardOutcome::Aborted;
    }
    return GuardOutcome::Completed;
}

}  // namespace corvelle
