// SPDX-License-Identifier: MIT
#include "Message.h"

#include <Entry.h>
#include <Messenger.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <variant>
#include <vector>

namespace {

using Bytes = std::vector<uint8>;
using MessagePointer = std::shared_ptr<const BMessage>;

// One value of a field. Nested messages are shared between copies of the
// outer message: a message added to a field is never changed afterwards.
using Value = std::variant<bool, int8, int16, int32, int64, float, double, const void*, std::string,
	entry_ref, BRect, BPoint, MessagePointer, BMessenger, Bytes>;

struct Field {
	std::string name;
	type_code type;
	std::vector<Value> values;
};

} // namespace

struct BMessage::Fields {
	std::vector<Field> fields;

	Field* Find(const char* name)
	{
		if (name == nullptr)
			return nullptr;
		for (Field& field : fields) {
			if (field.name == name)
				return &field;
		}
		return nullptr;
	}

	const Field* Find(const char* name) const { return const_cast<Fields*>(this)->Find(name); }

	status_t Add(const char* name, type_code type, Value value)
	{
		if (name == nullptr)
			return B_BAD_VALUE;
		Field* field = Find(name);
		if (field == nullptr) {
			fields.push_back(Field{name, type, {}});
			field = &fields.back();
		} else if (field->type != type) {
			return B_BAD_TYPE;
		}
		field->values.push_back(std::move(value));
		return B_OK;
	}

	// The value at `index` of a field of `type`, with the platform's errors.
	status_t Get(const char* name, type_code type, int32 index, const Value** value) const
	{
		const Field* field = Find(name);
		if (field == nullptr)
			return B_NAME_NOT_FOUND;
		if (type != B_ANY_TYPE && field->type != type)
			return B_BAD_TYPE;
		if (index < 0 || static_cast<size_t>(index) >= field->values.size())
			return B_BAD_INDEX;
		*value = &field->values[index];
		return B_OK;
	}

	status_t Replace(const char* name, type_code type, int32 index, Value value)
	{
		const Value* existing = nullptr;
		status_t status = Get(name, type, index, &existing);
		if (status != B_OK)
			return status;
		*const_cast<Value*>(existing) = std::move(value);
		return B_OK;
	}

	template <typename T>
	status_t FindTyped(const char* name, type_code type, int32 index, T* result) const
	{
		if (result == nullptr)
			return B_BAD_VALUE;
		const Value* value = nullptr;
		status_t status = Get(name, type, index, &value);
		if (status != B_OK)
			return status;
		const T* typed = std::get_if<T>(value);
		if (typed == nullptr)
			return B_BAD_TYPE;
		*result = *typed;
		return B_OK;
	}
};

BMessage::BMessage() : what(0), fFields(std::make_unique<Fields>())
{ }

BMessage::BMessage(uint32 command) : what(command), fFields(std::make_unique<Fields>())
{ }

BMessage::BMessage(const BMessage& other)
	: what(other.what), fFields(std::make_unique<Fields>(*other.fFields))
{ }

BMessage::BMessage(BMessage&& other) noexcept : what(other.what), fFields(std::move(other.fFields))
{
	other.fFields = std::make_unique<Fields>();
}

BMessage&
BMessage::operator=(const BMessage& other)
{
	if (this != &other) {
		what = other.what;
		*fFields = *other.fFields;
	}
	return *this;
}

BMessage&
BMessage::operator=(BMessage&& other) noexcept
{
	if (this != &other) {
		what = other.what;
		std::swap(fFields, other.fFields);
		other.fFields->fields.clear();
	}
	return *this;
}

BMessage::~BMessage() = default;

status_t
BMessage::GetInfo(const char* name, type_code* type, int32* count) const
{
	const Field* field = fFields->Find(name);
	if (field == nullptr)
		return name == nullptr ? B_BAD_VALUE : B_NAME_NOT_FOUND;
	if (type != nullptr)
		*type = field->type;
	if (count != nullptr)
		*count = static_cast<int32>(field->values.size());
	return B_OK;
}

status_t
BMessage::GetInfo(
	type_code type, int32 index, const char** name, type_code* typeFound, int32* count) const
{
	if (index < 0)
		return B_BAD_INDEX;
	int32 seen = 0;
	for (const Field& field : fFields->fields) {
		if (type != B_ANY_TYPE && field.type != type)
			continue;
		if (seen++ != index)
			continue;
		if (name != nullptr)
			*name = field.name.c_str();
		if (typeFound != nullptr)
			*typeFound = field.type;
		if (count != nullptr)
			*count = static_cast<int32>(field.values.size());
		return B_OK;
	}
	return seen == 0 ? B_BAD_TYPE : B_BAD_INDEX;
}

int32
BMessage::CountNames(type_code type) const
{
	int32 count = 0;
	for (const Field& field : fFields->fields) {
		if (type == B_ANY_TYPE || field.type == type)
			count++;
	}
	return count;
}

bool
BMessage::HasField(const char* name, type_code type) const
{
	const Field* field = fFields->Find(name);
	return field != nullptr && (type == B_ANY_TYPE || field->type == type);
}

bool
BMessage::IsEmpty() const
{
	return fFields->fields.empty();
}

void
BMessage::MakeEmpty()
{
	fFields->fields.clear();
}

status_t
BMessage::RemoveName(const char* name)
{
	if (name == nullptr)
		return B_BAD_VALUE;
	auto& fields = fFields->fields;
	for (auto it = fields.begin(); it != fields.end(); ++it) {
		if (it->name == name) {
			fields.erase(it);
			return B_OK;
		}
	}
	return B_NAME_NOT_FOUND;
}

status_t
BMessage::RemoveData(const char* name, int32 index)
{
	Field* field = fFields->Find(name);
	if (field == nullptr)
		return name == nullptr ? B_BAD_VALUE : B_NAME_NOT_FOUND;
	if (index < 0 || static_cast<size_t>(index) >= field->values.size())
		return B_BAD_INDEX;
	field->values.erase(field->values.begin() + index);
	if (field->values.empty())
		return RemoveName(name);
	return B_OK;
}

status_t
BMessage::AddRef(const char* name, const entry_ref* ref)
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	return fFields->Add(name, B_REF_TYPE, *ref);
}

status_t
BMessage::AddString(const char* name, const char* string)
{
	if (string == nullptr)
		return B_BAD_VALUE;
	return fFields->Add(name, B_STRING_TYPE, std::string(string));
}

status_t
BMessage::AddMessage(const char* name, const BMessage* message)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	return fFields->Add(name, B_MESSAGE_TYPE, std::make_shared<const BMessage>(*message));
}

status_t
BMessage::AddData(const char* name, type_code type, const void* data, ssize_t numBytes)
{
	if (numBytes < 0 || (data == nullptr && numBytes > 0))
		return B_BAD_VALUE;
	const uint8* bytes = static_cast<const uint8*>(data);
	return fFields->Add(name, type, Bytes(bytes, bytes + numBytes));
}

status_t
BMessage::AddData(const char* name, type_code type, std::vector<uint8>&& bytes)
{
	return fFields->Add(name, type, std::move(bytes));
}

status_t
BMessage::TakeData(const char* name, type_code type, std::vector<uint8>* bytes)
{
	Field* field = fFields->Find(name);
	if (field == nullptr)
		return B_NAME_NOT_FOUND;
	if (field->type != type || field->values.empty()
		|| !std::holds_alternative<Bytes>(field->values[0])) {
		return B_BAD_TYPE;
	}
	*bytes = std::move(std::get<Bytes>(field->values[0]));
	std::get<Bytes>(field->values[0]).clear();
	return B_OK;
}

status_t
BMessage::FindRef(const char* name, entry_ref* ref) const
{
	return FindRef(name, 0, ref);
}

status_t
BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const
{
	return fFields->FindTyped(name, B_REF_TYPE, index, ref);
}

status_t
BMessage::FindString(const char* name, const char** string) const
{
	return FindString(name, 0, string);
}

status_t
BMessage::FindString(const char* name, int32 index, const char** string) const
{
	if (string == nullptr)
		return B_BAD_VALUE;
	const Value* value = nullptr;
	status_t status = fFields->Get(name, B_STRING_TYPE, index, &value);
	if (status != B_OK)
		return status;
	*string = std::get<std::string>(*value).c_str();
	return B_OK;
}

// The fields that hold one plain value each: added as given, found as a copy.
#define DEFINE_VALUE_FIELD(Name, Type, Parameter, TypeCode)                                        \
	status_t BMessage::Add##Name(const char* name, Parameter value)                                \
	{                                                                                              \
		return fFields->Add(name, TypeCode, Type(value));                                          \
	}                                                                                              \
	status_t BMessage::Find##Name(const char* name, Type* value) const                             \
	{                                                                                              \
		return Find##Name(name, 0, value);                                                         \
	}                                                                                              \
	status_t BMessage::Find##Name(const char* name, int32 index, Type* value) const                \
	{                                                                                              \
		return fFields->FindTyped(name, TypeCode, index, value);                                   \
	}

DEFINE_VALUE_FIELD(Int8, int8, int8, B_INT8_TYPE)
DEFINE_VALUE_FIELD(Int16, int16, int16, B_INT16_TYPE)
DEFINE_VALUE_FIELD(Int32, int32, int32, B_INT32_TYPE)
DEFINE_VALUE_FIELD(Int64, int64, int64, B_INT64_TYPE)
DEFINE_VALUE_FIELD(Bool, bool, bool, B_BOOL_TYPE)
DEFINE_VALUE_FIELD(Float, float, float, B_FLOAT_TYPE)
DEFINE_VALUE_FIELD(Double, double, double, B_DOUBLE_TYPE)
DEFINE_VALUE_FIELD(Rect, BRect, BRect, B_RECT_TYPE)
DEFINE_VALUE_FIELD(Point, BPoint, BPoint, B_POINT_TYPE)
DEFINE_VALUE_FIELD(Messenger, BMessenger, const BMessenger&, B_MESSENGER_TYPE)

#undef DEFINE_VALUE_FIELD

status_t
BMessage::AddPointer(const char* name, const void* pointer)
{
	return fFields->Add(name, B_POINTER_TYPE, pointer);
}

status_t
BMessage::FindPointer(const char* name, void** pointer) const
{
	return FindPointer(name, 0, pointer);
}

status_t
BMessage::FindPointer(const char* name, int32 index, void** pointer) const
{
	const void* found = nullptr;
	status_t status = fFields->FindTyped(name, B_POINTER_TYPE, index, &found);
	if (status == B_OK && pointer != nullptr)
		*pointer = const_cast<void*>(found);
	return pointer == nullptr ? B_BAD_VALUE : status;
}

status_t
BMessage::FindMessage(const char* name, BMessage* message) const
{
	return FindMessage(name, 0, message);
}

status_t
BMessage::FindMessage(const char* name, int32 index, BMessage* message) const
{
	MessagePointer found;
	status_t status = fFields->FindTyped(name, B_MESSAGE_TYPE, index, &found);
	if (status == B_OK)
		*message = *found;
	return status;
}

status_t
BMessage::FindData(const char* name, type_code type, const void** data, ssize_t* numBytes) const
{
	return FindData(name, type, 0, data, numBytes);
}

status_t
BMessage::FindData(
	const char* name, type_code type, int32 index, const void** data, ssize_t* numBytes) const
{
	if (data == nullptr || numBytes == nullptr)
		return B_BAD_VALUE;
	const Value* value = nullptr;
	status_t status = fFields->Get(name, type, index, &value);
	if (status != B_OK)
		return status;
	// Typed values are handed out as their bytes, as the platform does.
	return std::visit(
		[&](const auto& item) -> status_t {
			using T = std::decay_t<decltype(item)>;
			if constexpr (std::is_same_v<T, Bytes>) {
				*data = item.data();
				*numBytes = static_cast<ssize_t>(item.size());
			} else if constexpr (std::is_same_v<T, std::string>) {
				*data = item.c_str();
				*numBytes = static_cast<ssize_t>(item.size() + 1);
			} else if constexpr (std::is_trivially_copyable_v<T>) {
				*data = &item;
				*numBytes = sizeof(T);
			} else {
				return B_BAD_TYPE;
			}
			return B_OK;
		},
		*value);
}

status_t
BMessage::ReplaceRef(const char* name, int32 index, const entry_ref* ref)
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	return fFields->Replace(name, B_REF_TYPE, index, *ref);
}

status_t
BMessage::ReplaceString(const char* name, int32 index, const char* string)
{
	if (string == nullptr)
		return B_BAD_VALUE;
	return fFields->Replace(name, B_STRING_TYPE, index, std::string(string));
}

status_t
BMessage::ReplaceInt32(const char* name, int32 index, int32 value)
{
	return fFields->Replace(name, B_INT32_TYPE, index, value);
}

status_t
BMessage::ReplaceBool(const char* name, int32 index, bool value)
{
	return fFields->Replace(name, B_BOOL_TYPE, index, value);
}

status_t
BMessage::ReplacePointer(const char* name, int32 index, const void* pointer)
{
	return fFields->Replace(name, B_POINTER_TYPE, index, pointer);
}

const char*
BMessage::GetString(const char* name, const char* defaultValue) const
{
	const char* value = nullptr;
	return FindString(name, &value) == B_OK ? value : defaultValue;
}

int32
BMessage::GetInt32(const char* name, int32 defaultValue) const
{
	int32 value = 0;
	return FindInt32(name, &value) == B_OK ? value : defaultValue;
}

bool
BMessage::GetBool(const char* name, bool defaultValue) const
{
	bool value = false;
	return FindBool(name, &value) == B_OK ? value : defaultValue;
}

namespace {

std::string
CodeText(uint32 code)
{
	char text[16];
	char chars[4] = {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
	bool printable = true;
	for (char c : chars)
		printable = printable && c >= 0x20 && c < 0x7f;
	if (printable)
		snprintf(text, sizeof(text), "'%c%c%c%c'", chars[0], chars[1], chars[2], chars[3]);
	else
		snprintf(text, sizeof(text), "0x%08" PRIx32, code);
	return text;
}

} // namespace

void
BMessage::PrintToStream() const
{
	printf("BMessage(%s) {\n", CodeText(what).c_str());
	for (const Field& field : fFields->fields) {
		printf("\t%s (%s, %zu value%s)\n", field.name.c_str(), CodeText(field.type).c_str(),
			field.values.size(), field.values.size() == 1 ? "" : "s");
	}
	printf("}\n");
}
