#include "support/Files.h"

#include <Entry.h>
#include <File.h>
#include <NodeInfo.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <vector>

using testsupport::ScratchDirectory;
using testsupport::WriteWhole;

namespace {

// Every getter is asked twice: with no place for the answer, then with one.
struct GetterRow {
	const char* name;
	std::function<status_t(bool withPlace)> get;
};

// Answers with and without a place, in that order, for every row.
void
ExpectAnswers(const std::vector<GetterRow>& rows, status_t withoutPlace, status_t withPlace)
{
	for (const GetterRow& row : rows) {
		EXPECT_EQ(row.get(false), withoutPlace) << row.name << " without a place";
		EXPECT_EQ(row.get(true), withPlace) << row.name << " with a place";
	}
}

std::vector<GetterRow>
GettersOf(const BEntry& entry, const BPath& path, const BNode& node, const BFile& file,
	const BNodeInfo& info)
{
	return {
		{"BEntry::GetRef", [&](bool place) {
			entry_ref ref;
			return entry.GetRef(place ? &ref : nullptr);
		}},
		{"BEntry::GetPath", [&](bool place) {
			BPath out;
			return entry.GetPath(place ? &out : nullptr);
		}},
		{"BEntry::GetParent", [&](bool place) {
			BEntry out;
			return entry.GetParent(place ? &out : nullptr);
		}},
		{"BEntry::GetName", [&](bool place) {
			char name[B_FILE_NAME_LENGTH];
			return entry.GetName(place ? name : nullptr);
		}},
		{"BEntry::GetStat", [&](bool place) {
			struct stat out;
			return entry.GetStat(place ? &out : nullptr);
		}},
		{"BPath::GetParent", [&](bool place) {
			BPath out;
			return path.GetParent(place ? &out : nullptr);
		}},
		{"BNode::GetStat", [&](bool place) {
			struct stat out;
			return node.GetStat(place ? &out : nullptr);
		}},
		{"BNode::GetPermissions", [&](bool place) {
			mode_t out;
			return node.GetPermissions(place ? &out : nullptr);
		}},
		{"BFile::GetSize", [&](bool place) {
			off_t out;
			return file.GetSize(place ? &out : nullptr);
		}},
		{"BNodeInfo::GetType", [&](bool place) {
			char type[B_MIME_TYPE_LENGTH];
			return info.GetType(place ? type : nullptr);
		}},
	};
}

} // namespace

TEST(Getters, NoPlaceComesBeforeTheObjectsOwnFailure)
{
	BEntry entry;
	BPath path;
	BNode node;
	BFile file;
	BNodeInfo info;
	ExpectAnswers(GettersOf(entry, path, node, file, info), B_BAD_VALUE, B_NO_INIT);
}

TEST(Getters, AnswerForAnOpenFile)
{
	ScratchDirectory scratch;
	const std::string name = scratch / "eleven.txt";
	ASSERT_TRUE(WriteWhole(name, "eleven char"));
	ASSERT_EQ(chmod(name.c_str(), 0640), 0);
	BEntry entry(name.c_str());
	BPath path(name.c_str());
	BNode node(name.c_str());
	BFile file(name.c_str(), B_READ_ONLY);
	BNodeInfo unsetInfo;
	std::vector<GetterRow> rows = GettersOf(entry, path, node, file, unsetInfo);
	rows.pop_back();  // an unset BNodeInfo: covered above
	ExpectAnswers(rows, B_BAD_VALUE, B_OK);

	off_t size = -1;
	EXPECT_EQ(file.GetSize(&size), B_OK);
	EXPECT_EQ(size, 11);
	mode_t permissions = 0;
	EXPECT_EQ(node.GetPermissions(&permissions), B_OK);
	EXPECT_EQ(permissions, mode_t(0640));
}

TEST(Getters, OpeningByAnUnsetEntryOrBadRefHoldsNothing)
{
	BEntry unset;
	entry_ref empty;
	BNode node("/");
	ASSERT_EQ(node.InitCheck(), B_OK);
	EXPECT_NE(node.SetTo(&unset), B_OK);
	EXPECT_NE(node.InitCheck(), B_OK);
	BFile file("/dev/null", B_READ_ONLY);
	ASSERT_EQ(file.InitCheck(), B_OK);
	EXPECT_NE(file.SetTo(&empty, B_READ_ONLY), B_OK);
	EXPECT_NE(file.InitCheck(), B_OK);
	EXPECT_FALSE(file.IsReadable());
}
