// SPDX-License-Identifier: MIT
#include "support/Files.h"

#include <Entry.h>
#include <File.h>
#include <NodeInfo.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <type_traits>
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

// A row asking `getter` of `object` for an Out: a place for one, or null.
template <typename Out, typename Object>
GetterRow
Row(const char* name, const Object& object,
	status_t (Object::*getter)(
		std::conditional_t<std::is_array_v<Out>, std::remove_extent_t<Out>*, Out*>) const)
{
	return {name, [&object, getter](bool place) {
				Out out{};
				if constexpr (std::is_array_v<Out>)
					return (object.*getter)(place ? out : nullptr);
				else
					return (object.*getter)(place ? &out : nullptr);
			}};
}

std::vector<GetterRow>
GettersOf(const BEntry& entry, const BPath& path, const BNode& node, const BFile& file,
	const BNodeInfo& info)
{
	return {
		Row<entry_ref>("BEntry::GetRef", entry, &BEntry::GetRef),
		Row<BPath>("BEntry::GetPath", entry, &BEntry::GetPath),
		Row<BEntry>("BEntry::GetParent", entry, &BEntry::GetParent),
		Row<char[B_FILE_NAME_LENGTH]>("BEntry::GetName", entry, &BEntry::GetName),
		Row<struct stat>("BEntry::GetStat", entry, &BEntry::GetStat),
		Row<BPath>("BPath::GetParent", path, &BPath::GetParent),
		Row<struct stat>("BNode::GetStat", node, &BNode::GetStat),
		Row<mode_t>("BNode::GetPermissions", node, &BNode::GetPermissions),
		Row<off_t>("BFile::GetSize", file, &BFile::GetSize),
		Row<char[B_MIME_TYPE_LENGTH]>("BNodeInfo::GetType", info, &BNodeInfo::GetType),
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
	rows.pop_back(); // an unset BNodeInfo: covered above
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
