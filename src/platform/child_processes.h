/// \file
/// Keeps the processes the program forks from outliving it.
///
/// Libraries fork behind the program's back: SDL shows its X11 message box from a child that
/// keeps a copy of the program's X connection, so while that child lives the program's windows
/// stay on screen, whatever ended the program. Once TieChildrenToProcess has run, the kernel
/// kills every child forked afterwards (SIGKILL) when the thread that forked it ends, SIGKILL of
/// the program included; a child whose parent is already gone when it starts ends at once.
/// A modal call that waits on its child (a message box) runs inside a ModalChildScope, so that a
/// termination request can end that child and the call returns.
///
/// Linux only. One scope open at a time, on whichever thread. A child of a thread that exits
/// before it dies with that thread: fine for calls that wait on their child, wrong for a
/// short-lived thread that starts something meant to outlive it.
#pragma once

namespace orix {

/// Installs the fork handlers (once).
void TieChildrenToProcess();

/// While one lives, the children forked are the modal call's (the latest is remembered).
class ModalChildScope {
public:
    ModalChildScope();
    ~ModalChildScope();
    ModalChildScope(const ModalChildScope&) = delete;
    ModalChildScope& operator=(const ModalChildScope&) = delete;
};

/// Kills the open scope's latest child, if any, and any the scope forks after. Async-signal-safe.
void EndModalChild();

}  // namespace orix
