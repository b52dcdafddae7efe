// SPDX-License-Identifier: MIT
// quillpix_add_image_sources under a compile farm and a compiler cache: a
// small project of its own against the installed package (an image in a
// static library, one in the program, one in the standalone form that a C and
// a C++ source of the program share, sources that include their headers and
// sources that do not), built
//
//   * through distcc to a server that cannot see the tree (sources, build
//     tree, the installed package, Quillpix's own tree), with no compiling
//     here in its place: every C++ compile must go to the server and succeed
//     there, from what the client sends it alone;
//   * through ccache twice from cold in the same place: the second build must
//     be all hits, and neither may hold a compile ccache cannot cache.
//
// Each time the program must give back the images' bytes.

#include "BitmapDumps.h"
#include "DistccServer.h"
#include "EmbedProjects.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace testsupport;

namespace {

constexpr const char* kCompiler = "/usr/bin/g++";
constexpr const char* kCCompiler = "/usr/bin/gcc";

struct FarmImage {
	const char* file;
	const char* identifier;
	int width;
	int height;
	const char* space; // the COLOR_SPACE given
	color_space colorSpace;
};

// The badge goes into the static library, whose sources see it as the
// program does; the mark, of an odd width, so that its rows are padded,
// into the program.
const FarmImage kBadge = {"badge.pam", "badge", 24, 16, "rgb32", B_RGB32};
const FarmImage kMark = {"mark.pam", "mark", 13, 7, "cmap8", B_CMAP8};
const FarmImage kSeal = {"seal.pam", "seal", 9, 4, "rgb32", B_RGB32};

// Whether `name` is a program in PATH.
bool
OnPath(const std::string& name)
{
	const char* path = getenv("PATH");
	std::istringstream folders(path != nullptr ? path : "");
	std::string folder;
	while (std::getline(folders, folder, ':')) {
		if (!folder.empty() && access((folder + "/" + name).c_str(), X_OK) == 0)
			return true;
	}
	return false;
}

// The test's variables that start with `prefix` taken away (so a cache or
// farm set up for the machine's own builds plays no part), and `given` set.
std::vector<std::string>
EnvironmentWithout(const std::string& prefix, std::vector<std::string> given)
{
	for (char** entry = environ; *entry != nullptr; entry++) {
		const std::string variable = *entry;
		if (variable.compare(0, prefix.size(), prefix) == 0)
			given.push_back(variable.substr(0, variable.find('=')));
	}
	return given;
}

// The project: sources and images in FOLDER/source, built in FOLDER/build.
class FarmProject {
public:
	explicit FarmProject(const std::string& folder)
		: fSource(folder + "/source"), fBuild(folder + "/build")
	{
		mkdir(folder.c_str(), 0755);
		mkdir(fSource.c_str(), 0755);
		WriteWhole(fSource + "/CMakeLists.txt",
			"cmake_minimum_required(VERSION 3.25)\n"
			"project(CompileFarm LANGUAGES C CXX)\n"
			"set(CMAKE_CXX_STANDARD 20)\n"
			"find_package(Quillpix REQUIRED)\n"
			"add_library(parts STATIC part-1.cpp part-2.cpp part-3.cpp part-4.cpp)\n"
			"quillpix_add_image_sources(TARGET parts COLOR_SPACE "
				+ std::string(kBadge.space) + " IMAGES " + kBadge.file
				+ ")\n"
				  "add_executable(farm main.cpp seal.c)\n"
				  "target_link_libraries(farm PRIVATE parts)\n"
				  "quillpix_add_image_sources(TARGET farm COLOR_SPACE "
				+ std::string(kMark.space) + " IMAGES " + kMark.file
				+ ")\n"
				  "quillpix_add_image_sources(TARGET farm STANDALONE IMAGES "
				+ kSeal.file + ")\n");
		for (const FarmImage* image : {&kBadge, &kMark, &kSeal}) {
			WriteWhole(
				fSource + "/" + image->file, embedtest::PamImage(image->width, image->height, 3));
		}
		// The pointer the program's copy of the header fills in is the one
		// the library's sources see.
		WriteWhole(fSource + "/part-1.cpp",
			"#include \"quillpix-images/badge.h\"\n\n"
			"PrefilledBitmap*\nPartBadge()\n{\n\treturn badge_MICN;\n}\n");
		for (int part = 2; part <= 4; part++) {
			WriteWhole(fSource + "/part-" + std::to_string(part) + ".cpp",
				"int\nPart" + std::to_string(part) + "(int x)\n{\n\treturn x * "
					+ std::to_string(part) + " + 1;\n}\n");
		}
		// The C file and the C++ one see one array.
		WriteWhole(fSource + "/seal.c",
			"#include \"quillpix-images/seal.h\"\n\n"
			"const uint8_t* SealBytes(void);\n\n"
			"const uint8_t*\nSealBytes(void)\n{\n\treturn seal_MData;\n}\n");
		WriteWhole(fSource + "/main.cpp",
			"#include \"quillpix-images/badge.h\"\n"
			"#include \"quillpix-images/mark.h\"\n"
			"#include \"quillpix-images/seal.h\"\n\n"
			"#include <cstdio>\n\n"
			"extern \"C\" const uint8_t* SealBytes(void);\n"
			"PrefilledBitmap* PartBadge();\n"
			"int Part2(int x);\nint Part3(int x);\nint Part4(int x);\n\n"
				+ std::string(embedtest::kDumpFunctions)
				+ "\nint\nmain()\n{\n"
				  "\tif (int failure = Dump(\"badge.dump\", badge_MakeBitmap(), "
				  "sizeof(badge_MData)))\n"
				  "\t\treturn failure;\n"
				  "\tif (int failure = Dump(\"mark.dump\", mark_MakeBitmap(), "
				  "sizeof(mark_MData)))\n"
				  "\t\treturn failure;\n"
				  "\tif (PartBadge() != badge_MICN)\n\t\treturn 5;\n"
				  "\tif (SealBytes() != seal_MData || sizeof(seal_MData) != seal_BytesPerRow * "
				  "seal_Height)\n"
				  "\t\treturn 7;\n"
				  "\tif (int failure = DumpBytes(\"seal.dump\", seal_MData, sizeof(seal_MData)))\n"
				  "\t\treturn failure;\n"
				  "\tif (Part2(1) + Part3(2) + Part4(3) != 3 + 7 + 13)\n\t\treturn 6;\n"
				  "\treturn 0;\n}\n");
	}

	const std::string& Source() const { return fSource; }
	const std::string& BuildFolder() const { return fBuild; }

	bool Configure(const std::string& launcher, const std::vector<std::string>& environment) const
	{
		return embedtest::RunTool({"cmake", "-S", fSource, "-B", fBuild, "-G", "Ninja",
									  "-DCMAKE_BUILD_TYPE=Release",
									  std::string("-DCMAKE_CXX_COMPILER=") + kCompiler,
									  std::string("-DCMAKE_C_COMPILER=") + kCCompiler,
									  "-DCMAKE_CXX_COMPILER_LAUNCHER=" + launcher,
									  "-DCMAKE_C_COMPILER_LAUNCHER=" + launcher,
									  "-DCMAKE_EXPORT_COMPILE_COMMANDS=ON",
									  "-DCMAKE_PREFIX_PATH=" + embedtest::InstalledPrefix()},
				   fSource, LogPath(), environment)
			== 0;
	}

	bool Build(const std::vector<std::string>& environment) const
	{
		return embedtest::RunTool(
				   {"cmake", "--build", fBuild, "--parallel", "2"}, fSource, LogPath(), environment)
			== 0;
	}

	// What the last configure or build said.
	std::string Log() const { return ReadWhole(LogPath()); }

	// The C and C++ compiles of the build: those the launcher runs.
	int CompileCount() const
	{
		const std::string commands = ReadWhole(fBuild + "/compile_commands.json");
		int count = 0;
		for (size_t at = commands.find("\"file\":"); at != std::string::npos;
			 at = commands.find("\"file\":", at + 1)) {
			count++;
		}
		return count;
	}

	// Runs the program and compares each bitmap it built with the image.
	void ExpectBitmapsRight() const
	{
		ASSERT_EQ(embedtest::RunTool({fBuild + "/farm"}, fBuild, fBuild + "/farm.log"), 0)
			<< ReadWhole(fBuild + "/farm.log");
		for (const FarmImage* image : {&kBadge, &kMark, &kSeal}) {
			const std::string expected = embedtest::ExpectedDump(
				fSource + "/" + image->file, image->colorSpace, image == &kSeal);
			ASSERT_FALSE(expected.empty()) << image->file;
			EXPECT_TRUE(ReadWhole(fBuild + "/" + image->identifier + ".dump") == expected)
				<< image->file;
		}
	}

private:
	std::string LogPath() const { return fSource + "/../cmake.log"; }

	const std::string fSource;
	const std::string fBuild;
};

// The counters of `ccache --print-stats` ("name<TAB>value" lines).
std::map<std::string, long>
CcacheCounters(const std::vector<std::string>& environment, const std::string& log)
{
	std::map<std::string, long> counters;
	if (embedtest::RunTool({"ccache", "--print-stats"}, "/", log, environment) != 0)
		return counters;
	std::istringstream lines(ReadWhole(log));
	std::string name;
	long value;
	while (lines >> name >> value)
		counters[name] = value;
	return counters;
}

// Counters that say nothing about whether a compile could be cached: its
// lookups, the cache's size and age, remote storage (none here).
bool
IsBookkeeping(const std::string& name)
{
	static const char* const kNames[] = {"cache_miss", "direct_cache_hit", "direct_cache_miss",
		"preprocessed_cache_hit", "preprocessed_cache_miss", "cache_size_kibibyte",
		"files_in_cache", "cleanups_performed", "stats_updated_timestamp",
		"stats_zeroed_timestamp"};
	return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames)
		|| name.find("storage") != std::string::npos;
}

} // namespace

TEST(CompileFarm, DistccCompilesEverythingOnAServerThatCannotSeeTheTree)
{
	for (const char* program : {"distcc", "distccd", "unshare"}) {
		if (!OnPath(program))
			GTEST_SKIP() << program << " is not installed";
	}
	const std::string prefix = embedtest::InstalledPrefix();
	ASSERT_FALSE(prefix.empty()) << "cannot install the package";
	ScratchDirectory scratch;
	FarmProject project(scratch / "tree");

	embedtest::DistccServer server;
	const std::string why = server.Start(
		{scratch / "tree", prefix, QUILLPIX_SOURCE_DIR, QUILLPIX_BINARY_DIR}, kCompiler,
		scratch / "distccd.log");
	if (!why.empty()) {
		// Root may always make a mount namespace; another user only where
		// user namespaces are allowed.
		ASSERT_NE(geteuid(), 0u) << why;
		GTEST_SKIP() << "no mount namespace for a distcc server: " << why;
	}
	ASSERT_TRUE(server.Sees(kCompiler));
	for (const std::string& path : {project.Source() + "/main.cpp", prefix + "/include",
			 std::string(QUILLPIX_SOURCE_DIR "/CMakeLists.txt")}) {
		EXPECT_FALSE(server.Sees(path)) << path;
	}

	mkdir((scratch / "distcc").c_str(), 0755);
	const std::vector<std::string> environment = EnvironmentWithout("DISTCC_",
		{"DISTCC_HOSTS=" + server.Hosts(),
			// A compile the server cannot do fails the build: not distributed,
			// or failed there, it is not compiled here instead.
			"DISTCC_FALLBACK=0", "DISTCC_SKIP_LOCAL_RETRY=1", "DISTCC_DIR=" + scratch / "distcc",
			"DISTCC_LOG=" + scratch / "distcc.log"});
	ASSERT_TRUE(project.Configure("distcc", environment)) << project.Log();
	const int jobsBefore = server.JobSummaries().succeeded;
	const bool built = project.Build(environment);
	const embedtest::DistccServer::Jobs jobs = server.JobSummaries();
	const std::string clientLog = ReadWhole(scratch / "distcc.log");
	ASSERT_TRUE(built) << project.Log() << "\ndistcc:\n" << clientLog;
	EXPECT_FALSE(server.Sees(project.BuildFolder() + "/CMakeCache.txt"));
	EXPECT_TRUE(jobs.others.empty()) << server.Log();
	// main.cpp, seal.c and four parts at least; every one of them compiled
	// there.
	const int compiles = project.CompileCount();
	EXPECT_GE(compiles, 6);
	EXPECT_EQ(jobs.succeeded - jobsBefore, compiles) << server.Log();
	EXPECT_EQ(clientLog.find("locally"), std::string::npos) << clientLog;
	EXPECT_EQ(clientLog.find("ERROR"), std::string::npos) << clientLog;
	project.ExpectBitmapsRight();

	// What needs a file of the tree by its path, such as an assembler's
	// .incbin, fails there, and is not compiled here in its place.
	WriteWhole(scratch / "tree/probe.cpp",
		"__asm__(\".incbin \\\"" + project.Source() + "/" + kBadge.file + "\\\"\");\n");
	EXPECT_NE(embedtest::RunTool({"distcc", kCompiler, "-c", "probe.cpp", "-o", "probe.o"},
				  scratch / "tree", scratch / "probe.log", environment),
		0)
		<< ReadWhole(scratch / "probe.log");
	EXPECT_EQ(server.JobSummaries().others.size(), 1u) << server.Log();
}

TEST(CompileFarm, CcacheHitsEveryCompileOfASecondBuildFromCold)
{
	if (!OnPath("ccache"))
		GTEST_SKIP() << "ccache is not installed";
	ASSERT_FALSE(embedtest::InstalledPrefix().empty()) << "cannot install the package";
	ScratchDirectory scratch;
	FarmProject project(scratch / "tree");
	// A cache of its own, with no configuration but its defaults.
	WriteWhole(scratch / "ccache.conf", "");
	const std::vector<std::string> environment = EnvironmentWithout("CCACHE_",
		{"CCACHE_DIR=" + scratch / "ccache", "CCACHE_CONFIGPATH=" + scratch / "ccache.conf"});

	for (int round = 0; round < 2; round++) {
		SCOPED_TRACE(round == 0 ? "first build" : "second build, the build tree made anew");
		std::filesystem::remove_all(project.BuildFolder());
		ASSERT_TRUE(project.Configure("ccache", environment)) << project.Log();
		ASSERT_EQ(embedtest::RunTool(
					  {"ccache", "--zero-stats"}, "/", scratch / "ccache.log", environment),
			0)
			<< ReadWhole(scratch / "ccache.log");
		ASSERT_TRUE(project.Build(environment)) << project.Log();
		std::map<std::string, long> counters = CcacheCounters(environment, scratch / "ccache.log");
		ASSERT_FALSE(counters.empty()) << ReadWhole(scratch / "ccache.log");
		const int compiles = project.CompileCount();
		EXPECT_GE(compiles, 5);
		const long hits = counters["direct_cache_hit"] + counters["preprocessed_cache_hit"];
		EXPECT_EQ(hits, round == 0 ? 0 : compiles);
		EXPECT_EQ(counters["cache_miss"], round == 0 ? compiles : 0);
		// Nothing it could not cache (unsupported_code_directive: what the
		// compiler gets from elsewhere than the preprocessed text, such as
		// .incbin), nothing failed.
		for (const auto& [name, value] : counters) {
			if (!IsBookkeeping(name)) {
				EXPECT_EQ(value, 0) << name;
			}
		}
		project.ExpectBitmapsRight();
	}
}
