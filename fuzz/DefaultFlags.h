#pragma once
// Flags a fuzz target runs with unless its command line says otherwise:
// they go in front of the given ones, and libFuzzer takes the last of a
// flag given twice. Used from LLVMFuzzerInitialize, which libFuzzer calls
// before it reads its flags.
#include <initializer_list>
#include <vector>

namespace fuzz {

inline void PutDefaultFlags(int* argc, char*** argv, std::initializer_list<const char*> flags) {
  static std::vector<char*> args;
  args.assign(*argv, *argv + 1);
  for (const char* flag : flags) args.push_back(const_cast<char*>(flag));
  args.insert(args.end(), *argv + 1, *argv + *argc);
  args.push_back(nullptr);
  *argc = static_cast<int>(args.size()) - 1;
  *argv = args.data();
}

// For a target that makes and frees all it uses within a run, so that the
// leak check of each run stays: only the plain schedule. The entropic one's
// weighing of features took an eighth of such a target's time (the CSV
// import's) for no more coverage.
inline int PlainSchedule(int* argc, char*** argv) {
  PutDefaultFlags(argc, argv, {"-entropic=0"});
  return 0;
}

// For a target whose runs each reach many features (a window and its
// painting, a report run): the entropic schedule's bookkeeping over them
// took a third of such a target's time, and the plain schedule reached as
// much coverage in the same time with more runs.
//
// Such a target also keeps its windows from run to run, so a run's
// allocations seldom match its frees, and libFuzzer then ran the input a
// second time to look for a leak: a fifth of the time went on runs that
// found nothing. Leaks are still found: the leak check at exit (the
// sanitizer build runs with it on, and a leak fails the run) sees every
// block no longer reachable, a run's as well as the window's; only the
// input that leaked is not named, and a run of the corpus with
// -detect_leaks=1 names it.
inline int HeavyRuns(int* argc, char*** argv) {
  PutDefaultFlags(argc, argv, {"-entropic=0", "-detect_leaks=0"});
  return 0;
}

}  // namespace fuzz
