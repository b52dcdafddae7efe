// Qt is not built for ThreadSanitizer: its threads (the file dialog's
// pooled workers, for one) synchronise through futexes the checker cannot
// see, so the memory calls they make look like races. Calls made from Qt's
// libraries are left out of the check; everything of ours stays in it (our
// hand-over to the Qt thread is a std::mutex queue, which the checker sees).

#if defined(__SANITIZE_THREAD__)
extern "C" const char*
__tsan_default_suppressions()
{
	return "called_from_lib:libQt6Core.so.6\n"
		"called_from_lib:libQt6Gui.so.6\n"
		"called_from_lib:libQt6Widgets.so.6\n"
		"called_from_lib:libQt6Test.so.6\n";
}
#endif
