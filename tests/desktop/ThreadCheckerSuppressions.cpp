// Qt is not built for ThreadSanitizer: its threads (the X connection's
// event reader, the file dialog's pooled workers) synchronise through
// futexes the checker cannot see, so the memory calls they make look like
// races. Calls made from Qt's and the X client libraries are left out of
// the check; everything of ours stays in it.

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
		"called_from_lib:libxcb.so.1\n"
		"called_from_lib:libX11.so.6\n"
		"called_from_lib:libglib-2.0.so.0\n";
}
#endif
