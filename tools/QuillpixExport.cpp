// SPDX-License-Identifier: MIT
// quillpix-export: the source-code export without a window. It loads each
// image through the translation kit, brings the bitmap into the colour
// space an image window would hold, and writes it through the same export
// function as the window's save, so the output is byte-identical.

#include "tools/options/ExportOptions.h"
#include "tools/jobs/ExportRunner.h"
#include "export/ImageIdentifier.h"
#include "tools/jobs/InterruptWatch.h"
#include "tools/jobs/OutputConflicts.h"

#include <cstdio>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

const char* const kProgram = "quillpix-export";

// A progress line only where a person watches the message stream, and not
// when the texts themselves go to that same terminal.
ExportRunner::Progress
ProgressFor(const ExportOptions& options)
{
	if (!isatty(STDERR_FILENO))
		return ExportRunner::Progress::kHidden;
	if (options.ToStandardOutput() && isatty(STDOUT_FILENO))
		return ExportRunner::Progress::kHidden;
	return ExportRunner::Progress::kOnTerminal;
}

std::vector<const char*>
ImageIdentifierArguments(const ExportOptions& options)
{
	std::vector<const char*> images;
	for (const std::string& image : options.Images())
		images.push_back(image.c_str());
	return images;
}

} // namespace

int
main(int argc, char** argv)
{
	ExportOptions options;
	if (BPrivate::Result<void> parsed = options.Parse(argc, argv); !parsed) {
		fprintf(stderr, "%s: %s\n%s\n", kProgram, parsed.Error().detail.c_str(),
			ExportOptions::UsageLine());
		return 2;
	}
	switch (options.WhatToDo()) {
	case ExportOptions::Action::kHelp:
		printf("%s\n\n%s", ExportOptions::UsageLine(), ExportOptions::Help());
		return 0;
	case ExportOptions::Action::kVersion:
		printf("%s %s\n", kProgram, QUILLPIX_VERSION);
		return 0;
	case ExportOptions::Action::kIdentifiers:
		return ImageIdentifier::Print(
				   int(options.Images().size()), ImageIdentifierArguments(options).data())
			? 0
			: 1;
	case ExportOptions::Action::kExport:
		break;
	}

	if (BPrivate::Result<void> conflict = OutputConflicts::Find(options); !conflict) {
		fprintf(stderr, "%s: %s\n", kProgram, conflict.Error().detail.c_str());
		return 2;
	}

	// Before the workers start, so that they inherit the blocked signals.
	InterruptWatch interrupts;
	ExportRunner runner(options, stderr, stdout, ProgressFor(options));
	runner.SetCancel(&interrupts.Interrupted());
	bool written = runner.Run();
	interrupts.DieIfInterrupted();
	return written ? 0 : 1;
}
