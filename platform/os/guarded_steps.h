// SPDX-License-Identifier: GPL-3.0-or-later
// The one Abort / Retry / Ignore helper: runs a command's steps in order and turns a failed
// step into the error prompt.
#pragma once

#include <functional>
#include <initializer_list>

#include "util/error.h"

namespace corvelle {

using GuardedStep = std::function<Error()>;

enum class GuardOutcome { Completed, Aborted };

// Abort leaves (the caller decides what leaving means), Retry runs the step again, Ignore goes
// on with the next step. Errors whose number is in `silent` are passed over without a box.
// beforePrompt runs before each box (restoring the pointer, clearing a status panel).
GuardOutcome RunGuardedSteps(std::initializer_list<GuardedStep> steps,
                             std::initializer_list<int> silent = {},
                             const std::function<void()>& beforePrompt = {});
// A single step; true unless the user chose Abort.
bool RunGuarded(const GuardedStep& step, std::initializer_list<int> silent = {},
                const std::function<void()>& beforePrompt = {});

}  // namespace corvelle
