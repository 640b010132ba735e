// The one place that chooses between the real Windows SDK and the port.
#pragma once

#ifdef _WIN32
#define DIRECTINPUT_VERSION 0x0700
#include <windows.h>
#include <ddraw.h>
#include <dinput.h>
#include <dsound.h>
#include <winsock.h>
#else
#include "port/include/windows.h"
#include "port/include/ddraw.h"
#include "port/include/dinput.h"
#include "port/include/dsound.h"
#include "port/include/winsock.h"
#endif
