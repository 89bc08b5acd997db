// SPDX-License-Identifier: GPL-3.0-or-later
// The temporary files of the sets being written, as an interrupting signal (SIGINT, SIGTERM,
// SIGHUP) finds them: its handler removes every one and ends the program with that signal, as
// the default action would have, so that the shell sees the conventional status (128 + signal).
// Used by file_write.cpp only.
#pragma once

namespace kc::exporting::interrupt_cleanup {

// While it lives, the three signals are blocked in this thread and the list of temporaries is
// held: a handler that runs meanwhile on another thread waits until it is released. Every change
// of the list, and the renames of a commit, happen inside one, so that a handler never sees a
// temporary half registered nor a set half renamed.
class CriticalSection {
  public:
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
};

// Registers and unregisters a temporary's path; only inside a CriticalSection. The text must stay
// unchanged in its place while it is registered.
void Add(const char* path);
void Remove(const char* path);

// Installs the handler for each of the three signals whose action is still the default one (a
// signal that is ignored, as under nohup, or handled by the program stays so). Once per process;
// later calls do nothing.
void InstallHandlers();

}  // namespace kc::exporting::interrupt_cleanup
