// Carrying out the processing list: raise rows and delete rows, each through the shell
// wrappers, each checked again just before it acts.
#pragma once

#include <functional>
#include <string>

#include "platform/os/file_op.h"

namespace corvelle {

class ProcessList;
struct ProcessRow;

struct ExecutionUi {
    OwnerHandle owner = 0;
    std::function<void(const std::string& text)> status;  // panel "pbFileName"
};

// Raises the before folder's whole content into the after folder and removes the emptied
// folder, or removes an empty folder; true when the row fully took place.
bool ExecuteRow(const ProcessRow& row, OwnerHandle owner);
// Every unticked row in the list's current order, results written in; returns the number
// of rows that failed.
int ExecuteList(ProcessList& list, const ExecutionUi& ui);

}  // namespace corvelle
