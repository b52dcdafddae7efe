// SPDX-License-Identifier: MIT
#pragma once

// The ThreadSanitizer suppressions every test of Qt code needs. Qt is not
// built for the checker: its threads (the file dialog's pooled workers, for
// one) synchronise through futexes it cannot see, so the memory calls they
// make look like races. Calls made from Qt's libraries are left out of the
// check; everything of ours stays in it (our hand-over to the Qt thread is a
// std::mutex queue, which the checker sees).

#define QUILLPIX_QT_THREAD_SUPPRESSIONS                                                            \
	"called_from_lib:libQt6Core.so.6\n"                                                            \
	"called_from_lib:libQt6Gui.so.6\n"                                                             \
	"called_from_lib:libQt6Widgets.so.6\n"                                                         \
	"called_from_lib:libQt6Test.so.6\n"
