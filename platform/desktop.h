// The desktop: message boxes and modal dialogs, as the system shows them to
// the person at the practice's computer.
//
// On Linux (platform/posix) a box or dialog is answered at the terminal when
// one is attached, else from the environment variable KV_ANSWERS (a
// comma-separated list taken in order: yes, no, ok, cancel, or a list pick
// such as "pick:DR01" or "pick:2"), else with the cautious answer (No,
// Cancel). Every box shown is echoed on standard error with its caption,
// text and answer. The answers are process-wide: every module of the process
// takes them from the same list.
#pragma once

#include <string>

namespace kv::desktop {

using WindowHandle = void*;

enum class Buttons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class Icon { kNone, kInformation, kQuestion, kExclamation, kError };

// Windows' answer numbers.
enum class Answer { kNone = 0, kOk = 1, kCancel = 2, kYes = 6, kNo = 7 };

// The window that owns boxes shown now (none on Linux).
WindowHandle ActiveWindow();

// Shows a message box and waits for the answer.
Answer ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                      Buttons buttons, Icon icon);

}  // namespace kv::desktop
