// SPDX-License-Identifier: MIT
#include "interruption.h"

#include <atomic>
#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace velora::tools {
namespace {

// Written by the main thread, read by the handler: the path is complete
// before the flag says so.
char pendingPath[4096];
volatile std::sig_atomic_t pendingActive = 0;
volatile std::sig_atomic_t exitCode = 0;

#ifdef _WIN32
BOOL WINAPI onConsoleEvent(DWORD event) {
    if (!pendingActive) return FALSE;  // nothing to clean up: the default ends the program
    exitCode = event == CTRL_C_EVENT ? 130 : 143;
    // A closing console ends the program once this returns: give the writing
    // loop a moment to notice and clean up.
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        for (int wait = 0; wait < 40 && pendingActive; ++wait) Sleep(100);
    return TRUE;
}
#else
void writeText(const char* text) {
    const ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

void onSignal(int signal) {
    if (pendingActive) {
        unlink(pendingPath);
        writeText("velora-host: interrupted; the output file was not written\n");
    }
    _exit(128 + signal);
}
#endif

}  // namespace

void installInterruptHandling() {
#ifdef _WIN32
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

void setPendingTemporary(const char* path) {
    pendingActive = 0;
    if (std::strlen(path) >= sizeof pendingPath) return;  // never remove a file by a cut-off name
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::memcpy(pendingPath, path, std::strlen(path) + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    pendingActive = 1;
}

void clearPendingTemporary() { pendingActive = 0; }

bool interruptRequested() { return exitCode != 0; }

int interruptExitCode() { return exitCode; }

}  // namespace velora::tools
