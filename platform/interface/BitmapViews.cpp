// SPDX-License-Identifier: MIT
// The view side of BBitmap: a bitmap that accepts views gets an offscreen
// window (a looper that never runs, with no thread and no server) whose
// views draw straight into the bitmap's pixels.

#include <Bitmap.h>

#include <View.h>
#include <Window.h>

#include <memory>

namespace BPrivate {

class BitmapHost : public BitmapViewHost {
public:
	explicit BitmapHost(BBitmap* bitmap) : fWindow(new BWindow(bitmap)) { }

	// The views go with the window.
	~BitmapHost() override = default;

	BWindow* Window() const { return fWindow.get(); }

private:
	std::unique_ptr<BWindow> fWindow;
};

} // namespace BPrivate

namespace {

BWindow*
HostWindow(BPrivate::BitmapViewHost* host)
{
	if (host == nullptr)
		return nullptr;
	return static_cast<BPrivate::BitmapHost*>(host)->Window();
}

} // namespace

void
BBitmap::AddChild(BView* view)
{
	if (view == nullptr || !fAcceptsViews)
		return;
	if (fViewHost == nullptr)
		fViewHost = new BPrivate::BitmapHost(this);
	HostWindow(fViewHost)->AddChild(view);
}

bool
BBitmap::RemoveChild(BView* view)
{
	BWindow* window = HostWindow(fViewHost);
	return window != nullptr && window->RemoveChild(view);
}

int32
BBitmap::CountChildren() const
{
	BWindow* window = HostWindow(fViewHost);
	return window != nullptr ? window->CountChildren() : 0;
}

BView*
BBitmap::ChildAt(int32 index) const
{
	BWindow* window = HostWindow(fViewHost);
	return window != nullptr ? window->ChildAt(index) : nullptr;
}

BWindow*
BBitmap::OffscreenWindow() const
{
	return HostWindow(fViewHost);
}

bool
BBitmap::Lock()
{
	if (!fAcceptsViews)
		return false;
	if (fViewHost == nullptr)
		fViewHost = new BPrivate::BitmapHost(this);
	return HostWindow(fViewHost)->Lock();
}

void
BBitmap::Unlock()
{
	if (BWindow* window = HostWindow(fViewHost))
		window->Unlock();
}
