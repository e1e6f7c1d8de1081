#include "Copies.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <deque>

namespace {
struct Running {
  size_t index = 0;  // the trial
  pid_t child = -1;
  int channel = -1;  // read end of the child's pipe
};

// Forks a copy that runs trial and writes its result into a pipe.
Running Launch(const std::function<MoveEnd()>& trial, size_t index) {
  Running running;
  running.index = index;
  int channel[2];
  if (pipe(channel) != 0) return running;
  std::fflush(nullptr);
  pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    MoveEnd end = trial();
    ssize_t written = write(channel[1], &end, sizeof end);
    _exit(written == sizeof end ? 0 : 1);
  }
  close(channel[1]);
  if (child < 0) {
    close(channel[0]);
    return running;
  }
  running.child = child;
  running.channel = channel[0];
  return running;
}

MoveEnd Collect(const Running& running) {
  MoveEnd end;
  if (running.child < 0) return end;
  if (read(running.channel, &end, sizeof end) != sizeof end) end = MoveEnd{};
  close(running.channel);
  waitpid(running.child, nullptr, 0);
  return end;
}

void Stop(const Running& running) {
  if (running.child < 0) return;
  kill(running.child, SIGKILL);
  close(running.channel);
  waitpid(running.child, nullptr, 0);
}
}  // namespace

std::vector<MoveEnd> RunInCopies(const std::vector<std::function<MoveEnd()>>& trials, int jobs,
                                 const std::function<bool(const MoveEnd&)>& accept) {
  std::vector<MoveEnd> ends(trials.size());
  std::deque<Running> running;
  size_t next = 0;
  bool stopped = false;
  while (!running.empty() || (!stopped && next < trials.size())) {
    while (!stopped && next < trials.size() &&
           static_cast<int>(running.size()) < std::max(1, jobs)) {
      running.push_back(Launch(trials[next], next));
      ++next;
    }
    const Running oldest = running.front();
    running.pop_front();
    ends[oldest.index] = Collect(oldest);
    if (!stopped && !accept(ends[oldest.index])) {
      stopped = true;
      for (const Running& other : running) Stop(other);
      running.clear();
    }
  }
  return ends;
}
