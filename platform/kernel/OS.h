// SPDX-License-Identifier: MIT
#pragma once

// Kernel services: threads, atomic operations and time.
//
// Threads are real POSIX threads. spawn_thread makes a thread that waits,
// suspended, until resume_thread lets it run its function; the function's
// return value is the thread's exit value, which wait_for_thread hands to one
// waiter. Every thread that calls into the kernel kit, spawned here or not
// (the main thread, say), has a thread_id; find_thread(nullptr) names the
// calling thread.
//
// All functions here may be called from any thread.

#include <SupportDefs.h>

typedef int32 thread_id;
typedef int32 (*thread_func)(void* data);

// Thread priorities. They are recorded and reported, not enforced: an
// ordinary Linux process cannot raise its threads' scheduling priority.
enum : int32 {
	B_IDLE_PRIORITY = 0,
	B_LOWEST_ACTIVE_PRIORITY = 1,
	B_LOW_PRIORITY = 5,
	B_NORMAL_PRIORITY = 10,
	B_DISPLAY_PRIORITY = 15,
	B_URGENT_DISPLAY_PRIORITY = 20,
	B_REAL_TIME_DISPLAY_PRIORITY = 100,
	B_URGENT_PRIORITY = 110,
	B_REAL_TIME_PRIORITY = 120,
};

// Longest kernel object name kept, the terminating NUL included. The name the
// system shows for a thread (pthread_setname_np) is cut to 15 characters.
constexpr int32 B_OS_NAME_LENGTH = 32;

constexpr bigtime_t B_INFINITE_TIMEOUT = INT64_MAX;

enum thread_state : int32 {
	B_THREAD_RUNNING = 1,
	B_THREAD_READY,
	B_THREAD_RECEIVING,
	B_THREAD_ASLEEP,
	B_THREAD_SUSPENDED,
	B_THREAD_WAITING,
};

struct thread_info {
	thread_id thread;
	char name[B_OS_NAME_LENGTH];
	thread_state state; // B_THREAD_SUSPENDED until resumed, then B_THREAD_RUNNING
	int32 priority;
};

// Makes a suspended thread that will run `function(data)` once resumed.
// Answers its id (positive), or B_NO_MORE_THREADS / B_NO_MEMORY when no
// thread can be made, B_BAD_VALUE for a null function. A null name is taken
// as "unnamed thread".
thread_id spawn_thread(thread_func function, const char* name, int32 priority, void* data);
// Lets a suspended thread run. B_BAD_THREAD_ID when there is no such thread
// or it was resumed already.
status_t resume_thread(thread_id thread);
// Blocks until `thread` has ended and stores its function's return value in
// `exitValue` (may be null). A suspended thread is resumed first, as on the
// platform. Answers B_BAD_THREAD_ID for an unknown thread, for a thread that
// another waiter has claimed, and for the calling thread itself. The ids of
// threads nobody waits for are forgotten some time after they end.
status_t wait_for_thread(thread_id thread, status_t* exitValue);
// The id of the calling thread for a null name; otherwise of a live spawned
// thread with exactly that name, or B_NAME_NOT_FOUND.
thread_id find_thread(const char* name);
status_t get_thread_info(thread_id thread, thread_info* info);
// Changes the recorded priority; answers the previous one, or B_BAD_THREAD_ID.
status_t set_thread_priority(thread_id thread, int32 priority);
status_t rename_thread(thread_id thread, const char* name);

// Sleeps at least `microseconds`. For code that really wants to wait a time
// (tests wait on events instead).
status_t snooze(bigtime_t microseconds);
// Microseconds since an arbitrary fixed moment (a monotonic clock).
bigtime_t system_time();

// Atomic operations on a shared int32 or int64 (sequentially consistent).
// Each answers the value the variable held before the operation.
int32 atomic_add(int32* value, int32 addValue);
int32 atomic_and(int32* value, int32 andValue);
int32 atomic_or(int32* value, int32 orValue);
int32 atomic_set(int32* value, int32 newValue);
// Stores `newValue` only when the variable holds `testAgainst`.
int32 atomic_test_and_set(int32* value, int32 newValue, int32 testAgainst);
// Answers the current value.
int32 atomic_get(int32* value);

int64 atomic_add64(int64* value, int64 addValue);
int64 atomic_set64(int64* value, int64 newValue);
int64 atomic_get64(int64* value);
