#pragma once
// The runner's hold on its helper processes: the browser engine starts
// several (zygote, renderer, GPU), and none may outlive the runner, however
// it ends (window closed, crash, SIGKILL from the agent).

namespace runner {

// Makes the runner the leader of a process group of its own and starts a
// small guard process in that group that waits for the runner to go away and
// then kills whatever is left of the group. Call it first in main, while the
// runner has no threads and no helpers yet. False when the runner cannot lead
// its own group (then no guard runs, so no foreign group is ever touched).
bool GuardProcessGroup();

// True when the runner runs with the rights of the superuser.
bool RunningAsRoot();

}  // namespace runner
