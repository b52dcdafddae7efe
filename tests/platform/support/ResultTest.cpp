// SPDX-License-Identifier: MIT
#include <Result.h>

#include <gtest/gtest.h>

#include <memory>

using BPrivate::Failure;
using BPrivate::Result;

namespace {

Result<std::unique_ptr<int>>
MakeNumber(bool fail)
{
	if (fail)
		return Failure(B_NO_MEMORY, "is too large");
	return std::make_unique<int>(7);
}

} // namespace

TEST(ResultTest, CarriesAValueOrAFailureWithItsStatusAndSentence)
{
	Result<std::unique_ptr<int>> made = MakeNumber(false);
	ASSERT_TRUE(made.Ok());
	EXPECT_EQ(made.Status(), B_OK);
	std::unique_ptr<int> number = std::move(made).Value();
	ASSERT_NE(number, nullptr);
	EXPECT_EQ(*number, 7);

	Result<std::unique_ptr<int>> refused = MakeNumber(true);
	ASSERT_FALSE(refused);
	EXPECT_EQ(refused.Status(), B_NO_MEMORY);
	EXPECT_EQ(refused.Error().detail, "is too large");
	Failure taken = refused.TakeError();
	EXPECT_EQ(taken.detail, "is too large");
}

TEST(ResultTest, AFailureNeverCarriesSuccess)
{
	// A failure made from B_OK by mistake must still read as a failure, or a
	// caller would go on with a value that is not there.
	EXPECT_EQ(Failure(B_OK).status, B_ERROR);
	Result<int> result = Failure(B_OK, "lost");
	EXPECT_FALSE(result.Ok());
	EXPECT_NE(result.Status(), B_OK);
}

TEST(ResultTest, VoidResultsComeFromStatuses)
{
	Result<void> done = Result<void>::FromStatus(B_OK, "ignored");
	EXPECT_TRUE(done.Ok());
	EXPECT_EQ(done.Status(), B_OK);

	Result<void> failed = Result<void>::FromStatus(B_PERMISSION_DENIED, "is read-only");
	ASSERT_FALSE(failed);
	EXPECT_EQ(failed.Status(), B_PERMISSION_DENIED);
	EXPECT_EQ(failed.Error().detail, "is read-only");
}
