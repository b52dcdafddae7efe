#include "roundtrip/EmbedProjects.h"

#include "image/BitmapConversion.h"
#include "support/Files.h"
#include "support/Program.h"

#include <Bitmap.h>
#include <TranslationUtils.h>

#include <cstdio>
#include <memory>

namespace embedtest {

int
Run(const std::vector<std::string>& argv, const std::string& directory, const std::string& log,
	const std::vector<std::string>& environment)
{
	testsupport::Program program;
	program.arguments = argv;
	program.environment = environment;
	program.directory = directory;
	program.outputPath = log;
	program.errorToOutput = true;
	return testsupport::RunProgram(program).ExitCode();
}

std::string
PamImage(int width, int height, int seed)
{
	std::string image = "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " + std::to_string(height)
		+ "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
	image.reserve(image.size() + size_t(width) * height * 4);
	for (int y = 0; y < height; y++) {
		for (int x = 0; x < width; x++) {
			image += char(x * 7 + y + seed);
			image += char((y * 3) ^ x ^ seed);
			image += char((x * y) >> 3);
			image += char((x + y + seed) % 5 == 0 ? 0 : 200 + ((x ^ y) & 55));
		}
	}
	return image;
}

std::string
CMakeQuoted(const std::string& text)
{
	std::string quoted = "\"";
	for (char c : text) {
		if (c == '\\' || c == '"' || c == '$' || c == ';')
			quoted += '\\';
		if (c == '\n')
			quoted += "\\n";
		else
			quoted += c;
	}
	return quoted + "\"";
}

const std::string&
InstalledPrefix()
{
	static testsupport::ScratchDirectory* scratch = new testsupport::ScratchDirectory();
	static std::string prefix = [] {
		std::string prefix = *scratch / "prefix";
		int status = Run({"cmake", "--install", QUILLPIX_BINARY_DIR, "--component", "tools",
			"--prefix", prefix}, scratch->Path(), *scratch / "install.log");
		return status == 0 ? prefix : std::string();
	}();
	return prefix;
}

const char* const kDumpFunctions =
	"static int\nDumpBytes(const char* name, const uint8* bytes, size_t size)\n{\n"
	"\tFILE* file = fopen(name, \"wb\");\n"
	"\tfwrite(bytes, 1, size, file);\n"
	"\treturn fclose(file) == 0 ? 0 : 4;\n}\n"
	"\nstatic int\nDump(const char* name, PrefilledBitmap* bitmap, size_t size)\n{\n"
	"\tif (bitmap == nullptr || bitmap->InitCheck() != B_OK)\n\t\treturn 1;\n"
	"\tif (size_t(bitmap->BitsLength()) != size)\n\t\treturn 2;\n"
	"\tFILE* file = fopen(name, \"wb\");\n"
	"\tBRect r = bitmap->Bounds();\n"
	"\tfprintf(file, \"%g %g %g %g %d\\n\", r.left, r.top, r.right, r.bottom,\n"
	"\t\tint(bitmap->ColorSpace()));\n"
	"\tfwrite(bitmap->Bits(), 1, size, file);\n"
	"\treturn fclose(file) == 0 ? 0 : 4;\n}\n";

std::string
ExpectedDump(const std::string& imageFile, color_space space, bool bytesOnly)
{
	std::unique_ptr<BBitmap> bitmap(BTranslationUtils::GetBitmapFile(imageFile.c_str()));
	if (bitmap && bitmap->ColorSpace() != space)
		bitmap = ConvertedBitmap(*bitmap, space);
	if (!bitmap)
		return std::string();
	const std::string bytes(static_cast<const char*>(bitmap->Bits()),
		size_t(bitmap->BitsLength()));
	if (bytesOnly)
		return bytes;
	BRect bounds = bitmap->Bounds();
	char head[128];
	snprintf(head, sizeof(head), "%g %g %g %g %d\n", bounds.left, bounds.top, bounds.right,
		bounds.bottom, int(space));
	return head + bytes;
}

} // namespace embedtest
