#pragma once

// The one thread on which Qt decodes images. Qt's image readers load their
// format plugins as objects owned by the thread that first asks for them;
// when that thread ends, Qt frees its per-thread data and the plugins are
// freed a second time when the process exits. Decoding on a thread that
// lives as long as the process keeps that from happening whichever threads
// load images, and also runs one decode at a time, since Qt's readers share
// state that several threads must not use at once. Private to the
// translation kit.

#include <functional>

namespace BPrivate {

class QtDecoderThread {
public:
	// Runs `work` on the decoder thread and returns once it has run. Any
	// thread but the decoder thread itself; a forked child gets a decoder
	// thread of its own.
	static void Run(const std::function<void()>& work);
};

} // namespace BPrivate
