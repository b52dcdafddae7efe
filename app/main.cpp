#include "QuillpixApp.h"

int
main()
{
	new QuillpixApp();
	be_app->Run();
	delete be_app;
	return 0;
}
