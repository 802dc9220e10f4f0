// SPDX-License-Identifier: MIT
#pragma once
// Stopping a tool cleanly: SIGINT and SIGTERM (Ctrl+C, Ctrl+Break or a
// closed console on Windows) remove the temporary file of the output being
// written, so an interrupted run leaves nothing half-written behind, and the
// program ends with 128 + the signal number (130, 143).
namespace velora::tools {

// Once, at program start. Also makes a write beyond the file-size limit an
// ordinary write error (EFBIG) instead of a fatal signal.
void installInterruptHandling();

// The temporary file an interruption removes; one at a time, kept until
// cleared. The text is copied.
void setPendingTemporary(const char* path);
void clearPendingTemporary();

// On POSIX systems the signal handler ends the program itself. On Windows the
// console handler only raises this flag while an output is pending: loops
// that write check it, stop, and the program returns interruptExitCode().
bool interruptRequested();
int interruptExitCode();

}  // namespace velora::tools
