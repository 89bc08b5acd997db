// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/interrupt_cleanup.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <mutex>
#include <vector>

namespace kc::exporting::interrupt_cleanup {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Held by a critical section, or by a handler from the moment it runs until the process ends.
std::atomic_flag listHeld = ATOMIC_FLAG_INIT;
// The registered temporaries. Made once and never freed, so that a handler may still read it
// while the program's static objects are being destroyed.
std::vector<const char*>* const temporaries = new std::vector<const char*>;

sigset_t InterruptingSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : kSignals) {
        sigaddset(&signals, signal);
    }
    return signals;
}

// Only async-signal-safe calls: unlink and raise. The action was reset to the default when the
// handler was entered (SA_RESETHAND), so raising the signal again ends the process with it.
// Another thread that holds the list is inside a critical section, which ends soon and never
// waits for anything a handler holds; a handler never meets its own thread's section, since the
// section blocks the signals.
void RemoveTemporariesAndEnd(int signal) {
    while (listHeld.test_and_set(std::memory_order_acquire)) {
    }
    for (const char* path : *temporaries) {
        ::unlink(path);
    }
    ::raise(signal);
}

void Install() {
    struct sigaction action {};
    action.sa_handler = RemoveTemporariesAndEnd;
    action.sa_mask = InterruptingSignals();
    // SA_NODEFER lets the raise in the handler take effect at once.
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    for (const int signal : kSignals) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) == 0 && (previous.sa_flags & SA_SIGINFO) == 0 &&
            previous.sa_handler == SIG_DFL) {
            ::sigaction(signal, &action, nullptr);
        }
    }
}

// The thread's signal mask before the outermost section; sections do not nest in practice, but a
// count keeps a nested one harmless.
thread_local sigset_t maskBefore;
thread_local int sectionDepth = 0;

}  // namespace

CriticalSection::CriticalSection() {
    if (sectionDepth++ > 0) {
        return;
    }
    const sigset_t signals = InterruptingSignals();
    pthread_sigmask(SIG_BLOCK, &signals, &maskBefore);
    while (listHeld.test_and_set(std::memory_order_acquire)) {
    }
}

CriticalSection::~CriticalSection() {
    if (--sectionDepth > 0) {
        return;
    }
    listHeld.clear(std::memory_order_release);
    pthread_sigmask(SIG_SETMASK, &maskBefore, nullptr);
}

void Add(const char* path) {
    temporaries->push_back(path);
}

void Remove(const char* path) {
    const auto found = std::find(temporaries->rbegin(), temporaries->rend(), path);
    if (found != temporaries->rend()) {
        *found = temporaries->back();
        temporaries->pop_back();
    }
}

void InstallHandlers() {
    static std::once_flag installed;
    std::call_once(installed, Install);
}

}  // namespace kc::exporting::interrupt_cleanup
