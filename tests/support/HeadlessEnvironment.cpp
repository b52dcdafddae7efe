// SPDX-License-Identifier: MIT
// Every test executable runs on a headless server unless a test installs
// another: the kits have no default server, and most tests make windows,
// alerts or panels without caring which server shows them.

#include <HeadlessServer.h>

#include <gtest/gtest.h>

namespace {

class HeadlessEnvironment : public testing::Environment {
public:
	void SetUp() override { HeadlessServer::InstallNew(); }
};

testing::Environment* const sHeadlessEnvironment = testing::AddGlobalTestEnvironment(
	new HeadlessEnvironment());

} // namespace
