#include "platform/temp_cleanup.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace vortan::temp_cleanup {

namespace {

// Saves in flight at once: one per open AtomicFile, so a handful in practice.
constexpr int kSlots = 64;
constexpr std::size_t kPathCapacity = PATH_MAX;

enum SlotState : int { kFree = 0, kFilling = 1, kReady = 2 };

struct Slot {
    std::atomic<int> state{kFree};
    char path[kPathCapacity];
};

// Static storage: the handler neither allocates nor locks.
static_assert(std::atomic<int>::is_always_lock_free);
Slot g_slots[kSlots];
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
std::once_flag g_installed;

extern "C" void RemoveTempFilesAndResignal(int signal) {
    for (Slot& slot : g_slots) {
        if (slot.state.load(std::memory_order_acquire) == kReady) ::unlink(slot.path);
    }
    // The default action (ending the process) follows once the handler is
    // gone and the signal no longer blocked.
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    ::sigaction(signal, &dfl, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signal);
    ::sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
    ::raise(signal);
}

void Install() {
    for (const int signal : kSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0) continue;
        const bool isDefault = !(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_DFL;
        if (!isDefault) continue;
        struct sigaction mine {};
        mine.sa_handler = RemoveTempFilesAndResignal;
        sigemptyset(&mine.sa_mask);
        for (const int other : kSignals) sigaddset(&mine.sa_mask, other);
        mine.sa_flags = SA_RESTART;
        ::sigaction(signal, &mine, nullptr);
    }
}

}  // namespace

void InstallSignalCleanup() {
    std::call_once(g_installed, Install);
}

int Track(const std::string& path) {
    char absolute[kPathCapacity];
    std::size_t used = 0;
    if (path.empty()) return -1;
    if (path[0] != '/') {
        if (::getcwd(absolute, sizeof absolute) == nullptr) return -1;
        used = std::strlen(absolute);
        if (used + 1 >= sizeof absolute) return -1;
        absolute[used++] = '/';
    }
    if (used + path.size() + 1 > sizeof absolute) return -1;
    std::memcpy(absolute + used, path.data(), path.size());
    absolute[used + path.size()] = '\0';

    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!g_slots[i].state.compare_exchange_strong(expected, kFilling,
                                                      std::memory_order_acquire)) {
            continue;
        }
        std::memcpy(g_slots[i].path, absolute, used + path.size() + 1);
        g_slots[i].state.store(kReady, std::memory_order_release);
        return i;
    }
    return -1;
}

void Forget(int slot) {
    if (slot < 0 || slot >= kSlots) return;
    g_slots[slot].state.store(kFree, std::memory_order_release);
}

}  // namespace vortan::temp_cleanup
