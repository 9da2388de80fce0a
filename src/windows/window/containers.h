#pragma once
// The window classes of the main window: the top-level frame, and the plain containers (tab sheets, panels, the
// flow panel) that pass their children's notifications on to it, since Win32 sends them to the direct parent.

#include <windows.h>

namespace veltrane::platform::win32::window {

inline constexpr const wchar_t* kMainWindowClass = L"VeltraneMainWindow";
inline constexpr const wchar_t* kContainerClass = L"VeltraneContainer";

// How a container paints itself: its background brush (none: the button face) and whether it has a raised edge.
struct ContainerLook {
    HBRUSH background = nullptr;
    bool raisedEdge = false;
};

// Registers both classes once; mainProc handles the top-level window.
void registerWindowClasses(WNDPROC mainProc);

// Makes a container; look must outlive it.
HWND createContainer(HWND parent, int id, const ContainerLook* look);

// Tab in a multi-line edit moves on to the next control rather than typing a tab nobody reads.
void tabLeavesMemo(HWND memo);

// Group boxes are buttons, which keep their children's notifications: these are passed on too.
void forwardNotifications(HWND groupBox);

// An editable combo box draws a focus rectangle around its text field while it has the focus.
void showComboFocus(HWND combo);

}  // namespace veltrane::platform::win32::window
