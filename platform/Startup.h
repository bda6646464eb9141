#pragma once
// The start-up sequence shared by the front ends.

#include <functional>

namespace qz {

// Refuses to start beside the running target program or a second copy of the tool (an information
// box with the reason, exit code 1); otherwise holds the tools lock while `run` creates the forms and
// runs the message loop, and returns its exit code.
int RunGuarded(const std::function<int()>& run);

}  // namespace qz
