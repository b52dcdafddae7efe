// SPDX-License-Identifier: MIT
#pragma once

// Objects the display owns by id (windows, file panels), listed in the order
// they were added. Not locked: the display uses it on the Qt thread only.

#include <SupportDefs.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace BPrivate {

template <typename T>
class IdRegistry {
public:
	// Adds `object` under `id`, last in the order, in place of one there before.
	T* Add(int32 id, std::unique_ptr<T> object)
	{
		T* added = object.get();
		fObjects[id] = std::move(object);
		Unlist(id);
		fOrder.push_back(id);
		return added;
	}

	// Takes the object under `id` out; null when there is none.
	std::unique_ptr<T> Remove(int32 id)
	{
		auto found = fObjects.find(id);
		if (found == fObjects.end())
			return nullptr;
		std::unique_ptr<T> removed = std::move(found->second);
		fObjects.erase(found);
		Unlist(id);
		return removed;
	}

	T* Find(int32 id) const
	{
		auto found = fObjects.find(id);
		return found != fObjects.end() ? found->second.get() : nullptr;
	}

	std::vector<T*> InOrder() const
	{
		std::vector<T*> objects;
		for (int32 id : fOrder)
			objects.push_back(fObjects.at(id).get());
		return objects;
	}

	void Clear()
	{
		fObjects.clear();
		fOrder.clear();
	}

private:
	void Unlist(int32 id)
	{
		fOrder.erase(std::remove(fOrder.begin(), fOrder.end(), id), fOrder.end());
	}

	std::map<int32, std::unique_ptr<T>> fObjects;
	std::vector<int32> fOrder;
};

} // namespace BPrivate
