// SPDX-License-Identifier: MIT
#include "OS.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace {

// Ended threads nobody waited for are remembered this long, so that a late
// wait_for_thread still gets the exit value.
constexpr size_t kRememberedEndedThreads = 1024;
// What pthread_setname_np accepts: 15 characters and the NUL.
constexpr size_t kSystemNameLength = 15;

struct ThreadRecord {
	thread_id id = -1;
	std::string name;
	int32 priority = B_NORMAL_PRIORITY;
	thread_func function = nullptr;
	void* data = nullptr;
	bool resumed = false;
	bool ended = false;
	bool claimed = false;
	status_t exitValue = B_OK;
	std::condition_variable changed;
};

struct ThreadTable {
	std::mutex lock;
	std::map<thread_id, std::shared_ptr<ThreadRecord>> threads;
	std::deque<thread_id> ended;
};

// Never destroyed: detached threads may still end while the process exits.
ThreadTable&
Table()
{
	static ThreadTable* table = new ThreadTable;
	return *table;
}

std::atomic<int32> sNextThreadId{1};
thread_local thread_id tCurrentThread = -1;

thread_id
NewThreadId()
{
	return sNextThreadId.fetch_add(1);
}

void
SetSystemName(const std::string& name)
{
	std::string shortName = name.substr(0, kSystemNameLength);
	pthread_setname_np(pthread_self(), shortName.c_str());
}

// Drops the oldest ended threads nobody claimed beyond the remembered number.
// Called with the table locked.
void
ForgetOldThreads(ThreadTable& table)
{
	while (table.ended.size() > kRememberedEndedThreads) {
		thread_id oldest = table.ended.front();
		table.ended.pop_front();
		auto found = table.threads.find(oldest);
		if (found != table.threads.end() && !found->second->claimed)
			table.threads.erase(found);
	}
}

void*
ThreadTrampoline(void* argument)
{
	std::unique_ptr<std::shared_ptr<ThreadRecord>> holder(
		static_cast<std::shared_ptr<ThreadRecord>*>(argument));
	std::shared_ptr<ThreadRecord> record = *holder;
	holder.reset();

	tCurrentThread = record->id;
	SetSystemName(record->name);

	ThreadTable& table = Table();
	{
		std::unique_lock<std::mutex> lock(table.lock);
		record->changed.wait(lock, [&] { return record->resumed; });
	}

	status_t result = record->function(record->data);

	std::lock_guard<std::mutex> lock(table.lock);
	record->ended = true;
	record->exitValue = result;
	if (!record->claimed) {
		table.ended.push_back(record->id);
		ForgetOldThreads(table);
	}
	record->changed.notify_all();
	return nullptr;
}

std::shared_ptr<ThreadRecord>
FindRecord(ThreadTable& table, thread_id thread)
{
	auto found = table.threads.find(thread);
	if (found == table.threads.end())
		return nullptr;
	return found->second;
}

// A thread's record, looked up with the table locked; the lock is held for as
// long as this lives.
class LockedRecord {
public:
	explicit LockedRecord(thread_id thread)
		: fTable(Table()), fLock(fTable.lock), fRecord(FindRecord(fTable, thread))
	{ }

	// Whether the thread is known and has not ended.
	bool IsLive() const { return fRecord && !fRecord->ended; }
	bool IsKnown() const { return fRecord != nullptr; }
	ThreadRecord* operator->() const { return fRecord.get(); }
	ThreadTable& Threads() const { return fTable; }
	std::unique_lock<std::mutex>& Lock() { return fLock; }

private:
	ThreadTable& fTable;
	std::unique_lock<std::mutex> fLock;
	std::shared_ptr<ThreadRecord> fRecord;
};

// A thread's name as kept: at most B_OS_NAME_LENGTH - 1 characters.
std::string
KeptName(const char* name)
{
	std::string kept = name;
	if (kept.size() >= static_cast<size_t>(B_OS_NAME_LENGTH))
		kept.resize(B_OS_NAME_LENGTH - 1);
	return kept;
}

} // namespace

thread_id
spawn_thread(thread_func function, const char* name, int32 priority, void* data)
{
	if (function == nullptr)
		return B_BAD_VALUE;

	auto record = std::make_shared<ThreadRecord>();
	record->id = NewThreadId();
	record->name = KeptName(name != nullptr ? name : "unnamed thread");
	record->priority = priority;
	record->function = function;
	record->data = data;

	ThreadTable& table = Table();
	{
		std::lock_guard<std::mutex> lock(table.lock);
		table.threads[record->id] = record;
	}

	pthread_attr_t attributes;
	if (pthread_attr_init(&attributes) != 0) {
		std::lock_guard<std::mutex> lock(table.lock);
		table.threads.erase(record->id);
		return B_NO_MEMORY;
	}
	pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
	auto* argument = new std::shared_ptr<ThreadRecord>(record);
	pthread_t handle;
	int error = pthread_create(&handle, &attributes, ThreadTrampoline, argument);
	pthread_attr_destroy(&attributes);
	if (error != 0) {
		delete argument;
		std::lock_guard<std::mutex> lock(table.lock);
		table.threads.erase(record->id);
		return thread_error_to_status(error);
	}
	return record->id;
}

status_t
resume_thread(thread_id thread)
{
	LockedRecord record(thread);
	if (!record.IsKnown() || record->resumed)
		return B_BAD_THREAD_ID;
	record->resumed = true;
	record->changed.notify_all();
	return B_OK;
}

status_t
wait_for_thread(thread_id thread, status_t* exitValue)
{
	if (thread == tCurrentThread)
		return B_BAD_THREAD_ID;

	LockedRecord record(thread);
	if (!record.IsKnown() || record->claimed)
		return B_BAD_THREAD_ID;
	record->claimed = true;
	if (!record->resumed) {
		record->resumed = true;
		record->changed.notify_all();
	}
	record->changed.wait(record.Lock(), [&] { return record->ended; });
	if (exitValue != nullptr)
		*exitValue = record->exitValue;
	record.Threads().threads.erase(thread);
	return B_OK;
}

thread_id
find_thread(const char* name)
{
	if (name == nullptr) {
		if (tCurrentThread < 0)
			tCurrentThread = NewThreadId();
		return tCurrentThread;
	}

	ThreadTable& table = Table();
	std::lock_guard<std::mutex> lock(table.lock);
	for (const auto& [id, record] : table.threads) {
		if (!record->ended && record->name == name)
			return id;
	}
	return B_NAME_NOT_FOUND;
}

status_t
get_thread_info(thread_id thread, thread_info* info)
{
	if (info == nullptr)
		return B_BAD_VALUE;
	LockedRecord record(thread);
	if (!record.IsLive())
		return B_BAD_THREAD_ID;
	info->thread = record->id;
	strncpy(info->name, record->name.c_str(), sizeof(info->name) - 1);
	info->name[sizeof(info->name) - 1] = '\0';
	info->state = record->resumed ? B_THREAD_RUNNING : B_THREAD_SUSPENDED;
	info->priority = record->priority;
	return B_OK;
}

status_t
set_thread_priority(thread_id thread, int32 priority)
{
	LockedRecord record(thread);
	if (!record.IsLive())
		return B_BAD_THREAD_ID;
	int32 previous = record->priority;
	record->priority = priority;
	return previous;
}

status_t
rename_thread(thread_id thread, const char* name)
{
	if (name == nullptr)
		return B_BAD_VALUE;
	LockedRecord record(thread);
	if (!record.IsLive())
		return B_BAD_THREAD_ID;
	record->name = KeptName(name);
	if (thread == tCurrentThread)
		SetSystemName(record->name);
	return B_OK;
}

status_t
snooze(bigtime_t microseconds)
{
	if (microseconds > 0)
		std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
	return B_OK;
}

bigtime_t
system_time()
{
	auto now = std::chrono::steady_clock::now().time_since_epoch();
	return std::chrono::duration_cast<std::chrono::microseconds>(now).count();
}

int32
atomic_add(int32* value, int32 addValue)
{
	return __atomic_fetch_add(value, addValue, __ATOMIC_SEQ_CST);
}

int32
atomic_and(int32* value, int32 andValue)
{
	return __atomic_fetch_and(value, andValue, __ATOMIC_SEQ_CST);
}

int32
atomic_or(int32* value, int32 orValue)
{
	return __atomic_fetch_or(value, orValue, __ATOMIC_SEQ_CST);
}

int32
atomic_set(int32* value, int32 newValue)
{
	return __atomic_exchange_n(value, newValue, __ATOMIC_SEQ_CST);
}

int32
atomic_test_and_set(int32* value, int32 newValue, int32 testAgainst)
{
	int32 expected = testAgainst;
	__atomic_compare_exchange_n(
		value, &expected, newValue, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
	return expected;
}

int32
atomic_get(int32* value)
{
	return __atomic_load_n(value, __ATOMIC_SEQ_CST);
}

int64
atomic_add64(int64* value, int64 addValue)
{
	return __atomic_fetch_add(value, addValue, __ATOMIC_SEQ_CST);
}

int64
atomic_set64(int64* value, int64 newValue)
{
	return __atomic_exchange_n(value, newValue, __ATOMIC_SEQ_CST);
}

int64
atomic_get64(int64* value)
{
	return __atomic_load_n(value, __ATOMIC_SEQ_CST);
}
