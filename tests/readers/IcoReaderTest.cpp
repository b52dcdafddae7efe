#include "ReaderTestSupport.h"
