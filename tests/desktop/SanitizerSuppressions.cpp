// What the sanitizers leave out of their checks here, where Qt talks to a
// real X server.
//
// ThreadSanitizer: Qt is not built for it; its threads (the X connection's
// event reader, the file dialog's pooled workers) synchronise through
// futexes the checker cannot see, so the memory calls they make look like
// races. Calls made from Qt's and the X client libraries are left out;
// everything of ours stays in the check.
//
// LeakSanitizer: on X11 Qt asks the session's message bus for desktop
// services, and the bus library keeps one buffer to the end of the process.
// The same rule is in lsan.supp for the program the tests start.

#if defined(__SANITIZE_THREAD__)
extern "C" const char*
__tsan_default_suppressions()
{
	return "called_from_lib:libQt6Core.so.6\n"
		"called_from_lib:libQt6Gui.so.6\n"
		"called_from_lib:libQt6Widgets.so.6\n"
		"called_from_lib:libQt6Test.so.6\n"
		"called_from_lib:libQt6XcbQpa.so.6\n"
		"called_from_lib:libQt6DBus.so.6\n"
		"called_from_lib:libdbus-1.so.3\n"
		"called_from_lib:libxcb.so.1\n"
		"called_from_lib:libX11.so.6\n"
		"called_from_lib:libglib-2.0.so.0\n";
}
#endif

#if defined(__SANITIZE_ADDRESS__)
extern "C" const char*
__lsan_default_suppressions()
{
	return "leak:libdbus-1.so.3\n";
}
#endif
