// SPDX-License-Identifier: MIT
// Many windows and threads at once: document windows opened and closed from
// several threads, close prompts answered after their windows are gone, and
// save requests racing colour-space switches on one image window. Run under
// ASan and TSan; each test takes a few seconds at most.

#include "app/framework/DocumentApp.h"
#include "document/FileDocumentWindow.h"
#include "export/BitmapConversion.h"
#include "export/BitmapSourceExport.h"
#include "support/Files.h"
#include "support/ProgramFixture.h"

#include <AppDefs.h>
#include <OS.h>
#include <TranslationUtils.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

namespace {

using testsupport::Gate;

// Counts the quit requests that reach it.
class CountingApp : public DocumentApp {
public:
	CountingApp() : DocumentApp("application/x-vnd.Zq-QuillpixStress") { }

	bool QuitRequested() override
	{
		fQuitRequests++;
		return DocumentApp::QuitRequested();
	}

	std::atomic<int> fQuitRequests{0};
};

class PlainWindow : public FileDocumentWindow {
public:
	PlainWindow(const char* name, bool modified)
		: FileDocumentWindow(BRect(10, 10, 200, 100), name, B_TITLED_WINDOW, 0)
	{
		SetModified(modified);
	}
};

// A CountingApp running on a thread of its own, on a fresh headless server.
class StressTest : public testing::Test {
public:
	void SetUp() override
	{
		fServer = HeadlessServer::InstallNew();
		fProbe = std::make_unique<HeadlessProbe>(*fServer);
		Gate constructed;
		fAppThread = std::thread([this, &constructed] {
			fApp = new CountingApp();
			constructed.Open();
			fApp->Run();
			fRunReturns++;
			fExited.Open();
		});
		ASSERT_TRUE(constructed.Wait());
	}

	void TearDown() override
	{
		if (!fExited.IsOpen())
			be_app_messenger.SendMessage(B_QUIT_REQUESTED);
		fAppThread.join();
		delete fApp;
	}

	bool Eventually(const std::function<bool()>& predicate)
	{
		return fServer->WaitUntil(predicate,
			std::chrono::duration_cast<std::chrono::microseconds>(testsupport::kWatchdog).count());
	}

	// Opens a window on the calling thread and shows it.
	static PlainWindow* Open(const std::string& name, bool modified = false)
	{
		auto* window = new PlainWindow(name.c_str(), modified);
		window->Show();
		return window;
	}

	// Closes `window` the way a person's close box does, or forcibly.
	static void Close(PlainWindow* window, bool force)
	{
		if (!force) {
			window->PostMessage(B_QUIT_REQUESTED);
			return;
		}
		if (window->Lock())
			window->Quit();
	}

	HeadlessServer* fServer = nullptr;
	std::unique_ptr<HeadlessProbe> fProbe;
	CountingApp* fApp = nullptr;
	std::thread fAppThread;
	std::atomic<int> fRunReturns{0};
	Gate fExited;
};

TEST_F(StressTest, TwoHundredWindowsFromFourThreadsEndInOneQuitRequest)
{
	constexpr int kThreads = 4;
	constexpr int kPerThread = 50;
	// The first round keeps one window open throughout, so the count must
	// not reach 0 however the others interleave.
	PlainWindow* anchor = Open("/tmp/anchor.h");
	std::vector<std::thread> threads;
	for (int thread = 0; thread < kThreads; thread++) {
		threads.emplace_back([thread] {
			for (int index = 0; index < kPerThread; index++) {
				PlainWindow* window = Open(
					"/tmp/w" + std::to_string(thread) + "-" + std::to_string(index) + ".h");
				Close(window, index % 3 == 0);
			}
		});
	}
	for (std::thread& thread : threads)
		thread.join();
	threads.clear();
	ASSERT_TRUE(Eventually([&] { return fApp->CountDocumentWindows() == 1; }))
		<< fApp->CountDocumentWindows();
	EXPECT_EQ(fApp->fQuitRequests, 0);

	// The second round opens 200 and closes them all at once, the anchor
	// among them: only the last one out asks the application to quit.
	std::vector<PlainWindow*> windows;
	std::mutex windowsLock;
	for (int thread = 0; thread < kThreads; thread++) {
		threads.emplace_back([&, thread] {
			for (int index = 0; index < kPerThread; index++) {
				PlainWindow* window = Open("Untitled " + std::to_string(thread * 100 + index));
				std::lock_guard<std::mutex> lock(windowsLock);
				windows.push_back(window);
			}
		});
	}
	for (std::thread& thread : threads)
		thread.join();
	threads.clear();
	EXPECT_EQ(fApp->CountDocumentWindows(), 1 + kThreads * kPerThread);
	windows.push_back(anchor);
	Gate go;
	for (int thread = 0; thread < kThreads; thread++) {
		threads.emplace_back([&, thread] {
			go.Wait();
			for (size_t index = thread; index < windows.size(); index += kThreads)
				Close(windows[index], index % 2 == 0);
		});
	}
	go.Open();
	for (std::thread& thread : threads)
		thread.join();

	ASSERT_TRUE(fExited.Wait());
	EXPECT_EQ(fApp->CountDocumentWindows(), 0);
	EXPECT_EQ(fApp->fQuitRequests, 1);
	EXPECT_EQ(fRunReturns, 1);
	EXPECT_TRUE(fServer->Windows().empty());
}

// Prompts that wait while their windows are closed under them: every answer
// arrives for a window that is gone, and none of them may touch it.
TEST_F(StressTest, ClosePromptsAnsweredAfterTheirWindowIsGone)
{
	constexpr int kWindows = 30;
	std::mutex lock;
	std::condition_variable changed;
	std::vector<thread_id> promptThreads;
	bool answer = false;
	std::atomic<int> next{0};
	fServer->SetAlertHandler([&](const AlertInfo&) {
		std::unique_lock<std::mutex> guard(lock);
		promptThreads.push_back(find_thread(nullptr));
		changed.notify_all();
		changed.wait(guard, [&] { return answer; });
		// "Don't save", "Cancel" and "Save" in turn.
		return int32(next++ % 3);
	});

	PlainWindow* anchor = Open("/tmp/anchor.h");
	std::vector<BMessenger> windows;
	for (int index = 0; index < kWindows; index++) {
		PlainWindow* window = Open("/tmp/modified" + std::to_string(index) + ".h", true);
		windows.emplace_back(window);
		// Two close requests each: two prompts for one window.
		window->PostMessage(B_QUIT_REQUESTED);
		window->PostMessage(B_QUIT_REQUESTED);
	}
	{
		std::unique_lock<std::mutex> guard(lock);
		ASSERT_TRUE(changed.wait_for(guard, testsupport::kWatchdog,
			[&] { return promptThreads.size() == size_t(2 * kWindows); }));
	}
	// Every prompt is up: the windows go without asking anyone.
	for (BMessenger& messenger : windows) {
		ASSERT_TRUE(messenger.LockTarget());
		BLooper* looper = nullptr;
		messenger.Target(&looper);
		looper->Quit();
	}
	ASSERT_TRUE(Eventually([&] { return fApp->CountDocumentWindows() == 1; }));
	{
		std::lock_guard<std::mutex> guard(lock);
		answer = true;
		changed.notify_all();
	}
	for (thread_id thread : promptThreads)
		wait_for_thread(thread, nullptr);

	EXPECT_EQ(fApp->CountDocumentWindows(), 1);
	EXPECT_EQ(fApp->fQuitRequests, 0);
	EXPECT_EQ(fRunReturns, 0);
	EXPECT_EQ(fServer->Alerts().size(), size_t(2 * kWindows));
	Close(anchor, false);
	ASSERT_TRUE(fExited.Wait());
	EXPECT_EQ(fApp->fQuitRequests, 1);
}

using ImageWindowStress = testsupport::ProgramFixture;

// Save requests from one thread and colour-space switches from another, on
// one window, with a third thread reading the window under its lock: every
// saved file is exactly the export of the image in one of its two spaces.
TEST_F(ImageWindowStress, SaveRequestsRaceColourSpaceSwitches)
{
	constexpr int kSaves = 40;
	const std::string image = CopyImage("colour.png", "pic.png");
	std::filesystem::create_directory(fDirectory + "/out");
	Launch({image});
	std::vector<int32> ids = VisibleWindows(1);
	ASSERT_EQ(ids.size(), 1u);
	BMessenger window;
	ASSERT_TRUE(WithImageWindow(
		"pic.png.h", [&](BitmapImageWindow& target) { window = BMessenger(&target); }));

	entry_ref out((fDirectory + "/out").c_str(), nullptr);
	ASSERT_EQ(BEntry((fDirectory + "/out").c_str()).GetRef(&out), B_OK);
	Gate go;
	std::thread saver([&] {
		go.Wait();
		for (int index = 0; index < kSaves; index++) {
			BMessage save(B_SAVE_REQUESTED);
			save.AddRef("directory", &out);
			save.AddString("name", ("save" + std::to_string(index) + ".h").c_str());
			window.SendMessage(&save);
			if (index % 4 == 3)
				window.SendMessage(B_SAVE_REQUESTED); // bare: rewrites the current name
		}
	});
	std::thread switcher([&] {
		go.Wait();
		for (int index = 0; index < 3 * kSaves; index++)
			window.SendMessage(index % 2 == 0 ? 'CoM8' : 'Co32');
	});
	std::atomic<bool> reading{true};
	std::atomic<int> reads{0};
	std::thread reader([&] {
		go.Wait();
		while (reading) {
			if (!window.LockTarget())
				break;
			BLooper* looper = nullptr;
			window.Target(&looper);
			const BBitmap* held = static_cast<BitmapImageWindow*>(looper)->Image();
			if (held != nullptr && held->ColorSpace() != B_CMAP8 && held->ColorSpace() != B_RGB32)
				ADD_FAILURE() << "held colour space " << held->ColorSpace();
			looper->Unlock();
			reads++;
		}
	});
	go.Open();
	saver.join();
	switcher.join();
	// A last save, queued behind everything the two threads sent: once the
	// title names it, all of that has been handled.
	BMessage lastSave(B_SAVE_REQUESTED);
	lastSave.AddRef("directory", &out);
	lastSave.AddString("name", "final.h");
	ASSERT_EQ(window.SendMessage(&lastSave), B_OK);
	ASSERT_TRUE(Eventually([&] { return fProbe->Title(ids[0]) == "final.h"; }));
	ASSERT_TRUE(WithImageWindow("final.h", [](BitmapImageWindow&) {}));
	reading = false;
	reader.join();
	EXPECT_GT(reads, 0);

	// What each saved file may hold: the exporter's text in either space.
	std::unique_ptr<BBitmap> rgb(BTranslationUtils::GetBitmapFile(image.c_str()));
	ASSERT_TRUE(rgb);
	std::unique_ptr<BBitmap> cmap8 = ConvertedBitmap(*rgb, B_CMAP8).Value();
	// Back from B_CMAP8 the image holds the map's colours, not its own.
	std::unique_ptr<BBitmap> mapped = ConvertedBitmap(*cmap8, B_RGB32).Value();
	const std::string reference = fDirectory + "/reference.h";
	for (int index = 0; index < kSaves; index++) {
		const std::string name = "save" + std::to_string(index) + ".h";
		SCOPED_TRACE(name);
		ASSERT_TRUE(ExportBitmapSource(rgb.get(), reference.c_str(), {.iconName = name.c_str()}));
		const std::string asRgb = testsupport::ReadWhole(reference);
		ASSERT_TRUE(ExportBitmapSource(cmap8.get(), reference.c_str(), {.iconName = name.c_str()}));
		const std::string asCmap8 = testsupport::ReadWhole(reference);
		ASSERT_TRUE(
			ExportBitmapSource(mapped.get(), reference.c_str(), {.iconName = name.c_str()}));
		const std::string asMapped = testsupport::ReadWhole(reference);
		const std::string saved = testsupport::ReadWhole(fDirectory + "/out/" + name);
		EXPECT_TRUE(saved == asRgb || saved == asCmap8 || saved == asMapped)
			<< saved.substr(0, 200);
	}
	std::string listing = testsupport::Listing(fDirectory + "/out");
	EXPECT_EQ(std::count(listing.begin(), listing.end(), ' ') + 1, kSaves + 1) << listing;
}

} // namespace
