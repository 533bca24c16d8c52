#include <windows.h>

#include <mmsystem.h>

#include "app/StopWatch.h"

TStopWatch::TStopWatch() : TStopWatch([] { return static_cast<uint32_t>(timeGetTime()); }) {}
