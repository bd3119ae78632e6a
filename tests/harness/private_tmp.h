// A private /tmp for a test process and the children it starts, so that the
// fixed names korvane uses there (the remote-control socket /tmp/.korvane)
// meet neither another test run nor a user's korvane.
#pragma once

#include <string>
#include <vector>

// Moves this process into a mount namespace of its own with an empty tmpfs
// (mode 1777) on /tmp; a user namespace mapping only the caller's ids is
// taken when the process may not make one alone. The entries of the old /tmp
// that hold a path of keep, the working directory or this executable are
// bound back in, so a tree below /tmp stays reachable. Call it while the
// process has a single thread. On failure returns false with the reason in
// why; /tmp may then still be the machine's.
[[nodiscard]] bool enter_private_tmp(const std::vector<std::string> &keep, std::string &why);
