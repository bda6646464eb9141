#pragma once
// The start-up sequence shared by the front ends, and the status-line text of the wizard's hints.

#include <functional>
#include <string>
#include <string_view>

namespace qz {

// Refuses to start beside the running target program or a second copy of the tool (an information
// box with the reason, exit code 1); otherwise holds the tools lock while `run` creates the forms and
// runs the message loop, and returns its exit code.
int RunGuarded(const std::function<int()>& run);

// The status-line text for a control's hint: one full-width space before the hint, only the part
// after "|" when there is one, and an empty text for an empty hint.
std::string StatusTextOfHint(std::string_view hint);

}  // namespace qz
