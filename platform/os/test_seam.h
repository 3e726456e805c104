// SPDX-License-Identifier: GPL-3.0-or-later
// A hook between two steps of a file operation, so tests can change the disk at an exact
// moment (swap a folder for a link, rewrite a file) instead of racing a thread.
#pragma once

#include <functional>
#include <string>

namespace corvelle {

using SeamHook = std::function<void(const char* point, const std::string& item)>;

// nullptr removes the hook.
void SetSeamHook(SeamHook hook);
// Called by the file layer at the named point; does nothing without a hook.
void Seam(const char* point, const std::string& item);

}  // namespace corvelle
