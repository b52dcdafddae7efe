// SPDX-License-Identifier: MIT
// What the sanitizers leave out of their checks here, where Qt talks to a
// real X server.
//
// ThreadSanitizer: beside Qt's own libraries, whose threads (the X
// connection's event reader among them) the checker cannot follow, calls
// made from the X protocol library and the message bus are left out. Xlib
// and its extensions take and drop each other's locks, with Qt between
// them: their lock reports are left out, and their races. Everything of ours stays in the check. The same rules are in
// tsan.supp for the program the tests start.
//
// LeakSanitizer: on X11 Qt asks the session's message bus for desktop
// services, and the bus library keeps one buffer to the end of the process.
// The same rule is in lsan.supp for the program the tests start.

#include "support/QtThreadSuppressions.h"

#if defined(__SANITIZE_THREAD__)
extern "C" const char*
__tsan_default_suppressions()
{
	return QUILLPIX_QT_THREAD_SUPPRESSIONS "called_from_lib:libQt6XcbQpa.so.6\n"
										   "called_from_lib:libQt6DBus.so.6\n"
										   "called_from_lib:libqxcb.so\n"
										   "called_from_lib:libdbus-1.so.3\n"
										   "called_from_lib:libglib-2.0.so.0\n"
										   "called_from_lib:libxcb.so.1\n"
										   "called_from_lib:libxcb-glx.so.0\n"
										   "called_from_lib:libxcb-xkb.so.1\n"
										   "called_from_lib:libxcb-randr.so.0\n"
										   "called_from_lib:libxcb-render.so.0\n"
										   "called_from_lib:libxcb-shm.so.0\n"
										   "called_from_lib:libxcb-xinput.so.0\n"
										   "called_from_lib:libxkbcommon.so.0\n"
										   "called_from_lib:libxkbcommon-x11.so.0\n"
										   "mutex:libX11.so.6\n"
										   "mutex:libXfixes.so.3\n"
										   "mutex:libXrender.so.1\n"
										   "mutex:libXext.so.6\n"
										   "mutex:libXi.so.6\n"
										   "mutex:libXcursor.so.1\n"
										   "race:libX11.so.6\n";
}
#endif

#if defined(__SANITIZE_ADDRESS__)
extern "C" const char*
__lsan_default_suppressions()
{
	return "leak:libdbus-1.so.3\n";
}
#endif
