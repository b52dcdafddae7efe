// SPDX-License-Identifier: MIT
#include <Entry.h>
#include <Message.h>
#include <Messenger.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(MessageTest, TypedFieldsComeBackAsAdded)
{
	BMessage message('Test');
	entry_ref first("/tmp", "a.png");
	entry_ref second("/home/user", "b.png");
	int anchor = 0;

	ASSERT_EQ(message.AddRef("refs", &first), B_OK);
	ASSERT_EQ(message.AddRef("refs", &second), B_OK);
	ASSERT_EQ(message.AddString("name", "pic.h"), B_OK);
	ASSERT_EQ(message.AddInt32("count", -12), B_OK);
	ASSERT_EQ(message.AddBool("flag", true), B_OK);
	ASSERT_EQ(message.AddPointer("source", &anchor), B_OK);
	ASSERT_EQ(message.AddRect("frame", BRect(1, 2, 3, 4)), B_OK);

	EXPECT_EQ(message.what, static_cast<uint32>('Test'));
	EXPECT_EQ(message.CountNames(), 6);
	EXPECT_EQ(message.CountNames(B_REF_TYPE), 1);

	type_code type = 0;
	int32 count = 0;
	ASSERT_EQ(message.GetInfo("refs", &type, &count), B_OK);
	EXPECT_EQ(type, B_REF_TYPE);
	EXPECT_EQ(type, static_cast<type_code>(0x52524546));
	EXPECT_EQ(count, 2);

	entry_ref ref;
	ASSERT_EQ(message.FindRef("refs", 1, &ref), B_OK);
	EXPECT_EQ(ref, second);
	ASSERT_EQ(message.FindRef("refs", &ref), B_OK);
	EXPECT_EQ(ref, first);

	const char* name = nullptr;
	ASSERT_EQ(message.FindString("name", &name), B_OK);
	EXPECT_STREQ(name, "pic.h");
	int32 number = 0;
	ASSERT_EQ(message.FindInt32("count", &number), B_OK);
	EXPECT_EQ(number, -12);
	bool flag = false;
	ASSERT_EQ(message.FindBool("flag", &flag), B_OK);
	EXPECT_TRUE(flag);
	void* pointer = nullptr;
	ASSERT_EQ(message.FindPointer("source", &pointer), B_OK);
	EXPECT_EQ(pointer, &anchor);
	BRect frame;
	ASSERT_EQ(message.FindRect("frame", &frame), B_OK);
	EXPECT_EQ(frame, BRect(1, 2, 3, 4));
}

TEST(MessageTest, LookupsReportWhatIsWrong)
{
	BMessage message(B_SAVE_REQUESTED);
	message.AddString("name", "x");
	message.AddInt32("count", 1);

	struct Case {
		const char* what;
		status_t result;
		status_t expected;
	};
	const char* text = nullptr;
	int32 number = 0;
	entry_ref ref;
	const Case cases[] = {
		{"missing field", message.FindString("directory", &text), B_NAME_NOT_FOUND},
		{"missing ref", message.FindRef("directory", &ref), B_NAME_NOT_FOUND},
		{"other type", message.FindInt32("name", &number), B_BAD_TYPE},
		{"ref of a string", message.FindRef("name", &ref), B_BAD_TYPE},
		{"past the end", message.FindString("name", 1, &text), B_BAD_INDEX},
		{"negative index", message.FindInt32("count", -1, &number), B_BAD_INDEX},
		{"info of nothing", message.GetInfo("none", nullptr), B_NAME_NOT_FOUND},
		{"adding another type", message.AddInt32("name", 3), B_BAD_TYPE},
		{"null string", message.AddString("other", nullptr), B_BAD_VALUE},
	};
	for (const Case& test : cases)
		EXPECT_EQ(test.result, test.expected) << test.what;
	EXPECT_EQ(message.CountNames(), 2) << "failed adds change nothing";
}

TEST(MessageTest, CopiesAreIndependent)
{
	BMessage original('Orig');
	original.AddString("name", "first");
	const char* kept = nullptr;
	ASSERT_EQ(original.FindString("name", &kept), B_OK);

	BMessage copy(original);
	copy.what = 'Copy';
	copy.ReplaceString("name", 0, "second");
	copy.AddInt32("extra", 5);

	EXPECT_EQ(original.what, static_cast<uint32>('Orig'));
	EXPECT_STREQ(kept, "first") << "the original's strings stay where they were";
	EXPECT_FALSE(original.HasField("extra"));

	BMessage assigned;
	assigned = copy;
	EXPECT_STREQ(assigned.GetString("name"), "second");
	EXPECT_EQ(assigned.GetInt32("extra", 0), 5);
}

TEST(MessageTest, NestedMessagesAndRemoval)
{
	BMessage inner('Innr');
	inner.AddString("label", "in");
	BMessage outer('Outr');
	outer.AddMessage("inner", &inner);
	outer.AddInt32("a", 1);
	outer.AddInt32("a", 2);

	BMessage found;
	ASSERT_EQ(outer.FindMessage("inner", &found), B_OK);
	EXPECT_EQ(found.what, static_cast<uint32>('Innr'));
	EXPECT_STREQ(found.GetString("label"), "in");

	EXPECT_EQ(outer.RemoveData("a", 0), B_OK);
	EXPECT_EQ(outer.GetInt32("a", 0), 2);
	EXPECT_EQ(outer.RemoveName("a"), B_OK);
	EXPECT_EQ(outer.RemoveName("a"), B_NAME_NOT_FOUND);

	const char* name = nullptr;
	type_code type = 0;
	ASSERT_EQ(outer.GetInfo(B_ANY_TYPE, 0, &name, &type), B_OK);
	EXPECT_STREQ(name, "inner");
	EXPECT_EQ(type, B_MESSAGE_TYPE);
	EXPECT_EQ(outer.GetInfo(B_ANY_TYPE, 1, &name, &type), B_BAD_INDEX);
	outer.MakeEmpty();
	EXPECT_TRUE(outer.IsEmpty());
}

TEST(MessageTest, CommandCodesKeepThePlatformValues)
{
	EXPECT_EQ(B_QUIT_REQUESTED, 0x5F515251u);
	EXPECT_EQ(B_SAVE_REQUESTED, 0x53415645u);
	EXPECT_EQ(B_CANCEL, 0x5F434E43u);
	EXPECT_EQ(static_cast<uint32>('Open'), 0x4F70656Eu);
	EXPECT_EQ(B_STRING_TYPE, static_cast<type_code>('CSTR'));
}

} // namespace
