// SPDX-License-Identifier: MIT
#pragma once

// A message: a 32-bit command code (`what`) and any number of named fields,
// each holding one or more values of one type. Messages are plain values:
// copying one copies all its fields, and a looper queues its own copy of
// every message posted to it.
//
// A BMessage is not locked; one thread uses it at a time.
//
// Find functions answer B_OK, or B_NAME_NOT_FOUND when there is no field of
// that name, B_BAD_TYPE when the field holds another type, B_BAD_INDEX when
// it holds fewer values. Pointers handed out by FindString/FindData stay
// valid until the field is changed or the message destroyed.

#include <AppDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <memory>
#include <vector>

struct entry_ref;
class BMessenger;

class BMessage {
public:
	BMessage();
	explicit BMessage(uint32 what);
	BMessage(const BMessage& other);
	BMessage(BMessage&& other) noexcept;
	BMessage& operator=(const BMessage& other);
	BMessage& operator=(BMessage&& other) noexcept;
	virtual ~BMessage();

	uint32 what;

	// The type and number of values of the field `name`.
	status_t GetInfo(const char* name, type_code* type, int32* count = nullptr) const;
	// The `index`-th field whose type matches `type` (B_ANY_TYPE: every field).
	status_t GetInfo(type_code type, int32 index, const char** name, type_code* typeFound,
		int32* count = nullptr) const;
	// Number of fields whose type matches `type`.
	int32 CountNames(type_code type = B_ANY_TYPE) const;
	bool HasField(const char* name, type_code type = B_ANY_TYPE) const;
	bool IsEmpty() const;
	void MakeEmpty();
	status_t RemoveName(const char* name);
	status_t RemoveData(const char* name, int32 index = 0);

	// Adding: appends a value to the field, making the field when it is new.
	// B_BAD_TYPE when a field of that name holds another type, B_BAD_VALUE
	// for a null name (or a null string/ref/message).
	status_t AddRef(const char* name, const entry_ref* ref);
	status_t AddString(const char* name, const char* string);
	status_t AddInt8(const char* name, int8 value);
	status_t AddInt16(const char* name, int16 value);
	status_t AddInt32(const char* name, int32 value);
	status_t AddInt64(const char* name, int64 value);
	status_t AddBool(const char* name, bool value);
	status_t AddFloat(const char* name, float value);
	status_t AddDouble(const char* name, double value);
	status_t AddPointer(const char* name, const void* pointer);
	status_t AddRect(const char* name, BRect rect);
	status_t AddPoint(const char* name, BPoint point);
	status_t AddMessage(const char* name, const BMessage* message);
	status_t AddMessenger(const char* name, const BMessenger& messenger);
	// Raw bytes under any type code (copied).
	status_t AddData(const char* name, type_code type, const void* data, ssize_t numBytes);
	// The same, taking the bytes over without a copy (for large data, such
	// as a text for the clipboard).
	status_t AddData(const char* name, type_code type, std::vector<uint8>&& bytes);

	status_t FindRef(const char* name, entry_ref* ref) const;
	status_t FindRef(const char* name, int32 index, entry_ref* ref) const;
	status_t FindString(const char* name, const char** string) const;
	status_t FindString(const char* name, int32 index, const char** string) const;
	status_t FindInt8(const char* name, int8* value) const;
	status_t FindInt8(const char* name, int32 index, int8* value) const;
	status_t FindInt16(const char* name, int16* value) const;
	status_t FindInt16(const char* name, int32 index, int16* value) const;
	status_t FindInt32(const char* name, int32* value) const;
	status_t FindInt32(const char* name, int32 index, int32* value) const;
	status_t FindInt64(const char* name, int64* value) const;
	status_t FindInt64(const char* name, int32 index, int64* value) const;
	status_t FindBool(const char* name, bool* value) const;
	status_t FindBool(const char* name, int32 index, bool* value) const;
	status_t FindFloat(const char* name, float* value) const;
	status_t FindFloat(const char* name, int32 index, float* value) const;
	status_t FindDouble(const char* name, double* value) const;
	status_t FindDouble(const char* name, int32 index, double* value) const;
	status_t FindPointer(const char* name, void** pointer) const;
	status_t FindPointer(const char* name, int32 index, void** pointer) const;
	status_t FindRect(const char* name, BRect* rect) const;
	status_t FindRect(const char* name, int32 index, BRect* rect) const;
	status_t FindPoint(const char* name, BPoint* point) const;
	status_t FindPoint(const char* name, int32 index, BPoint* point) const;
	status_t FindMessage(const char* name, BMessage* message) const;
	status_t FindMessage(const char* name, int32 index, BMessage* message) const;
	status_t FindMessenger(const char* name, BMessenger* messenger) const;
	status_t FindMessenger(const char* name, int32 index, BMessenger* messenger) const;
	status_t FindData(const char* name, type_code type, const void** data, ssize_t* numBytes) const;
	status_t FindData(
		const char* name, type_code type, int32 index, const void** data, ssize_t* numBytes) const;

	// Replacing the `index`-th value of an existing field.
	status_t ReplaceRef(const char* name, int32 index, const entry_ref* ref);
	status_t ReplaceString(const char* name, int32 index, const char* string);
	status_t ReplaceInt32(const char* name, int32 index, int32 value);
	status_t ReplaceBool(const char* name, int32 index, bool value);
	status_t ReplacePointer(const char* name, int32 index, const void* pointer);

	// The value, or `defaultValue` when it cannot be found.
	const char* GetString(const char* name, const char* defaultValue = nullptr) const;
	int32 GetInt32(const char* name, int32 defaultValue) const;
	bool GetBool(const char* name, bool defaultValue = false) const;

	// Writes the code and fields to standard output, for debugging.
	void PrintToStream() const;

private:
	friend class BClipboard;
	// Moves the first value of a data field out (the field stays, emptied),
	// so the clipboard hands large data on without copying it.
	status_t TakeData(const char* name, type_code type, std::vector<uint8>* bytes);

	struct Fields;
	std::unique_ptr<Fields> fFields;
};
