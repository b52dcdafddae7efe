// SPDX-License-Identifier: MIT
// The clipboard of a real X desktop (Xvfb with openbox): what Quillpix
// copies, another client (xclip) reads; what another client copies,
// Quillpix pastes.

#include "support/Files.h"
#include "support/Program.h"
#include "support/XSession.h"

#include <SpaceConversion.h>
#include <TranslationUtils.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

using namespace testsupport;

namespace {

const std::string kProgram = std::string(QUILLPIX_BINARY_DIR) + "/app/quillpix";

class ClipboardDesktopTest : public testing::Test {
protected:
	void SetUp() override
	{
		fSession = std::make_unique<XSession>(WindowManager::kOpenbox, 1024, 768);
		ASSERT_EQ(fSession->Failure(), "");
	}

	// What another client reads from the clipboard as `type`.
	std::string Read(const std::string& type) const
	{
		return fSession->RunTool({"xclip", "-o", "-selection", "clipboard", "-t", type});
	}

	ScratchDirectory fScratch;
	std::unique_ptr<XSession> fSession;
};

TEST_F(ClipboardDesktopTest, OtherClientsReadWhatIsCopiedAndPasteIntoNewWindows)
{
	const std::string image = fScratch.Path() + "/pic.png";
	std::filesystem::copy_file(
		std::string(QUILLPIX_SOURCE_DIR) + "/tests/data/images/colour.png", image);
	pid_t program = fSession->Start({kProgram, image}, {"QT_QPA_PLATFORM=xcb"});
	unsigned long window = fSession->MappedWindow("pic.png.h");
	ASSERT_NE(window, 0u);
	ASSERT_TRUE(fSession->Focus(window));

	// The text, as UTF-8 text: the exporter's on standard output.
	ProgramOutcome exported = RunProgram(
		{{QUILLPIX_BINARY_DIR "/tools/quillpix-export", "-o", "-", image}});
	ASSERT_EQ(exported.ExitCode(), 0) << exported.Describe();
	ASSERT_TRUE(fSession->Keys({"ctrl+c"}));
	EXPECT_TRUE(PollUntil([&] { return Read("UTF8_STRING") == exported.out; }))
		<< Read("UTF8_STRING").substr(0, 200);

	// The picture, as a PNG of the pixels shown.
	ASSERT_TRUE(fSession->Keys({"ctrl+shift+c"}));
	std::string png;
	EXPECT_TRUE(PollUntil([&] { return (png = Read("image/png")).compare(0, 4, "\x89PNG") == 0; }));
	BPrivate::Result<std::unique_ptr<BBitmap>> copied = BPrivate::ReadBitmapBytes(
		png.data(), png.size());
	BPrivate::Result<std::unique_ptr<BBitmap>> original = BPrivate::ReadBitmapFile(image.c_str());
	ASSERT_TRUE(copied);
	ASSERT_TRUE(original);
	std::unique_ptr<BBitmap> a = BitmapInSpace(*copied.Value(), SpaceConversion{B_RGBA32});
	std::unique_ptr<BBitmap> b = BitmapInSpace(*original.Value(), SpaceConversion{B_RGBA32});
	ASSERT_EQ(a->BitsLength(), b->BitsLength());
	EXPECT_EQ(std::memcmp(a->Bits(), b->Bits(), size_t(a->BitsLength())), 0);

	// Another client's PNG opens in a new untitled window.
	BBitmap red(BRect(0, 0, 39, 29), B_RGB32);
	for (int32 pixel = 0; pixel < 40 * 30; pixel++)
		reinterpret_cast<uint32*>(red.Bits())[pixel] = 0xFFFF0000;
	BPrivate::Result<std::string> redPng = BPrivate::EncodePng(red);
	ASSERT_TRUE(redPng);
	const std::string redPath = fScratch.Path() + "/red.png";
	std::ofstream(redPath, std::ios::binary) << redPng.Value();
	fSession->Run("xclip -selection clipboard -t image/png -i '" + redPath + "' >/dev/null 2>&1");
	ASSERT_TRUE(PollUntil([&] { return Read("image/png") == redPng.Value(); }));
	ASSERT_TRUE(fSession->Focus(window));
	ASSERT_TRUE(fSession->Keys({"ctrl+v"}));
	unsigned long pasted = fSession->MappedWindow("Untitled 1.h");
	ASSERT_NE(pasted, 0u);
	// 16 pixels in from the left, below the menu bar: the image's red.
	EXPECT_TRUE(PollUntil([&] {
		Pixel pixel = fSession->Screenshot(std::to_string(pasted)).At(30, 60);
		return pixel.red == 255 && pixel.green == 0 && pixel.blue == 0;
	}));

	kill(program, SIGTERM);
	fSession->WaitForExit(program);
}

} // namespace
