// The open-files check of a disconnect pass with 500 processes holding 100k
// descriptors: one reading of /proc for the whole pass against the reading
// once per letter it replaced, alternated in the same run. Prints the medians
// and their ratio.
//
//   build/release/proc_scan_bench [rounds]
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/smb/open_files.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kProcesses = 500;
constexpr int kDescriptorsEach = 200;
constexpr int kLetters = 26;

std::string readLink(const std::string& path) {
  std::string buffer(PATH_MAX, '\0');
  const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
  if (n <= 0) return {};
  buffer.resize(static_cast<std::size_t>(n));
  return buffer;
}

bool under(const std::string& path, const std::string& root) {
  return path == root || (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
                          path[root.size()] == '/');
}

// The check as each letter made it before: working folders and descriptors
// of every process, read again for every letter.
bool inUseOld(const std::string& root) {
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return false;
  bool found = false;
  while (const dirent* p = ::readdir(proc)) {
    if (found) break;
    if (p->d_name[0] < '0' || p->d_name[0] > '9') continue;
    const std::string base = std::string("/proc/") + p->d_name;
    if (under(readLink(base + "/cwd"), root)) {
      found = true;
      break;
    }
    DIR* fds = ::opendir((base + "/fd").c_str());
    if (fds == nullptr) continue;
    while (const dirent* f = ::readdir(fds)) {
      if (f->d_name[0] == '.') continue;
      if (under(readLink(base + "/fd/" + f->d_name), root)) {
        found = true;
        break;
      }
    }
    ::closedir(fds);
  }
  ::closedir(proc);
  return found;
}

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  // The holders: each opens its descriptors, says so and waits for the end.
  int ready[2];
  int end[2];
  if (::pipe(ready) != 0 || ::pipe(end) != 0) return 1;
  std::vector<pid_t> holders;
  for (int i = 0; i < kProcesses; ++i) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(end[1]);
      for (int d = 0; d < kDescriptorsEach; ++d) ::open("/dev/null", O_RDONLY);
      char byte = 1;
      [[maybe_unused]] ssize_t w = ::write(ready[1], &byte, 1);
      [[maybe_unused]] ssize_t r = ::read(end[0], &byte, 1);
      ::_exit(0);
    }
    if (pid < 0) break;
    holders.push_back(pid);
  }
  ::close(end[0]);
  for (std::size_t i = 0; i < holders.size(); ++i) {
    char byte = 0;
    if (::read(ready[0], &byte, 1) != 1) return 1;
  }
  // A mount root under which nothing is open: every reading goes through all.
  const std::string root = "/run/quilbert-bench/gvfs/smb-share:server=s,share=x";
  std::vector<double> perLetter;
  std::vector<double> perPass;
  for (int round = 0; round < rounds; ++round) {
    auto start = Clock::now();
    for (int l = 0; l < kLetters; ++l) inUseOld(root);
    perLetter.push_back(msSince(start));
    start = Clock::now();
    const auto snapshot = quilbert::smb::OpenFiles::read("/run/quilbert-bench/gvfs");
    for (int l = 0; l < kLetters; ++l) (void)snapshot.anyUnder(root);
    perPass.push_back(msSince(start));
  }
  ::close(end[1]);
  for (const pid_t pid : holders) ::waitpid(pid, nullptr, 0);
  const double before = median(perLetter);
  const double after = median(perPass);
  std::printf("%zu processes x %d descriptors, %d letters, median of %d rounds\n", holders.size(),
              kDescriptorsEach, kLetters, rounds);
  std::printf("reading per letter (before): %.0f ms\n", before);
  std::printf("reading per pass (now):      %.0f ms (descriptors, folders, programs, maps)\n",
              after);
  std::printf("ratio per pass / per letter: %.3f\n", after / before);
  return 0;
}
