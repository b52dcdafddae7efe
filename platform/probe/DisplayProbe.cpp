// SPDX-License-Identifier: MIT
#include "DisplayProbe.h"

namespace {

const MenuItemState*
FindFrom(
	const std::vector<MenuItemState>& items, const std::vector<std::string>& path, size_t depth)
{
	for (const MenuItemState& item : items) {
		if (item.separator || item.label != path[depth])
			continue;
		if (depth + 1 == path.size())
			return &item;
		// A label on an item without a submenu cannot lead further; a later
		// item of the same label may.
		if (item.hasSubmenu)
			return FindFrom(item.items, path, depth + 1);
	}
	return nullptr;
}

} // namespace

const MenuItemState*
FindMenuItem(const std::vector<MenuItemState>& items, const std::vector<std::string>& path)
{
	return path.empty() ? nullptr : FindFrom(items, path, 0);
}

std::string
DisplayProbe::Title(int32 id) const
{
	std::optional<WindowView> window = Window(id);
	return window ? window->title : std::string();
}

BRect
DisplayProbe::Frame(int32 id) const
{
	std::optional<WindowView> window = Window(id);
	return window ? window->frame : BRect();
}

bool
DisplayProbe::IsVisible(int32 id) const
{
	std::optional<WindowView> window = Window(id);
	return window && window->visible;
}

int32
DisplayProbe::FindWindow(const char* title) const
{
	if (title == nullptr)
		return -1;
	for (int32 id : Windows()) {
		std::optional<WindowView> window = Window(id);
		if (window && window->title == title)
			return id;
	}
	return -1;
}

std::optional<MenuItemState>
DisplayProbe::MenuItem(int32 id, const std::vector<std::string>& path) const
{
	MenuBarState bar = MenuBar(id);
	const MenuItemState* item = FindMenuItem(bar.items, path);
	if (item == nullptr)
		return std::nullopt;
	return *item;
}

std::optional<ScrollBarState>
DisplayProbe::ScrollBar(int32 id, orientation direction) const
{
	for (const ScrollBarState& bar : ScrollBars(id)) {
		if (bar.direction == direction)
			return bar;
	}
	return std::nullopt;
}

rgb_color
DisplayProbe::ReadPixel(int32 id, int32 x, int32 y) const
{
	return PixelOf(Snapshot(id).get(), x, y);
}

rgb_color
DisplayProbe::PixelOf(const BBitmap* pixels, int32 x, int32 y)
{
	if (!pixels || !pixels->IsValid() || x < 0 || y < 0 || x >= pixels->Width()
		|| y >= pixels->Height()) {
		return rgb_color{0, 0, 0, 0};
	}
	const uint8* pixel = static_cast<const uint8*>(pixels->Bits()) + y * pixels->BytesPerRow()
		+ x * 4;
	return rgb_color{pixel[2], pixel[1], pixel[0], pixel[3]};
}

std::optional<DisplayProbe::PanelView>
DisplayProbe::Panel(int32 panelId) const
{
	for (PanelView& panel : Panels()) {
		if (panel.id == panelId)
			return panel;
	}
	return std::nullopt;
}

std::string
DisplayProbe::ClipboardBytes(const std::string& type) const
{
	for (const ClipboardInfo::Item& item : Clipboard().items) {
		if (item.type == type)
			return std::string(item.bytes.begin(), item.bytes.end());
	}
	return {};
}

status_t
DisplayProbe::CopyToClipboard(const std::string& type, const std::string& bytes)
{
	ClipboardInfo contents;
	contents.items.push_back({type, std::vector<uint8>(bytes.begin(), bytes.end())});
	return SetClipboard(contents);
}
